#include "toys/Toyanime.h"

#include <algorithm>
#include <limits>

#include "data/Texdb.h"
#include "data/Toybox.h"
#include "toys/Wrap.h"
#include "toys/Toyframe.h"

namespace {

std::size_t EntriesAfterCursor(const TTexDb& db) {
    const TexBlock* block = db.Current();
    if (block == nullptr) return 0;
    const std::int64_t left = static_cast<std::int64_t>(block->entries.size()) - db.KeyCursor() - 1;
    return static_cast<std::size_t>(std::max<std::int64_t>(left, 0));
}

}  // namespace

TToyAnime::TToyAnime(TToyBox* box, TTexDb& db) : TToyShape(box, kClassAnime, "", 0, 0) {
    name = db.ReadValue("name").Text();
    const std::int32_t seqNum = db.ReadValue("seqNum").Int(0);
    if (seqNum > 0) sequence.reserve(std::min(static_cast<std::size_t>(seqNum), EntriesAfterCursor(db)));
    for (std::int32_t i = 0; i < seqNum; ++i) {
        if (!db.NextKey()) break;
        TAnimeEntry entry;
        entry.frameName = db.CursorKey();
        entry.duration = db.CursorValue().Int(0);
        // An entry whose frame is not (yet) there is kept: it takes its time and shows nothing.
        if (box != nullptr) entry.frame = box->FindToyAs<TToyFrame>(kClassFrame, entry.frameName);
        sequence.push_back(std::move(entry));
    }
    for (const TAnimeEntry& entry : sequence) totalDuration = WrapAdd(totalDuration, entry.duration);
    if (const TToyFrame* first = GetFrame(0)) hitRect = first->hitRect;
}

TToyFrame* TToyAnime::GetFrame(std::int32_t time) const {
    if (sequence.empty()) return nullptr;
    // Each entry covers [start, start + duration): a zero-length entry is never shown unless it is last.
    std::int32_t end = 0;
    for (const TAnimeEntry& entry : sequence) {
        end = WrapAdd(end, entry.duration);
        if (end > time) return entry.frame;
    }
    return sequence.back().frame;
}

void TToyAnime::DrawFrame(std::int32_t time) {
    const TToyFrame* frame = GetFrame(time);
    if (frame == nullptr) return;
    frame->DrawCells(x, y);
    hitRect = frame->hitRect;
}

void TToyAnime::WriteRecord(std::vector<std::string>& lines) const {
    TToyShape::WriteRecord(lines);
    lines.push_back("\tseqNum\t\t" + std::to_string(sequence.size()));
    for (const TAnimeEntry& entry : sequence) {
        const std::string& frameName = entry.frame != nullptr ? entry.frame->name : entry.frameName;
        lines.push_back("\t" + frameName + "\t\t" + std::to_string(entry.duration));
    }
    lines.emplace_back("}");
}

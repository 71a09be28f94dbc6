// Clips in the browser build: none. The GIF encoder and its quantiser are not built for wasm, and the
// page has no file a player could take away: every clip is refused with a reason, as an unwritable
// folder would be, so the shared clip recorder never starts its worker. Takes the place of
// src/platform/GifWriter.cpp in web/CMakeLists.txt only.
#include "platform/GifWriter.h"

namespace platform {

namespace {
constexpr const char* kNoClips = "clips are not recorded in the browser build";
}  // namespace

GifWriter::GifWriter() = default;
GifWriter::~GifWriter() = default;

bool GifWriter::Fail(const std::string& message) {
    if (error.empty()) error = message;
    return false;
}

bool GifWriter::Open(const std::string& target) {
    path = target;
    return Fail(kNoClips);
}

bool GifWriter::Write(const std::vector<std::uint32_t>&, int, int) { return Fail(kNoClips); }

bool GifWriter::Close() { return false; }

}  // namespace platform

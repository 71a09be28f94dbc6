// Clips in the browser build: none. The GIF encoder and its quantiser are not built for wasm, and the
// page has no file a player could take away; every clip is refused with a reason, as an unwritable
// folder would be. Takes the place of src/platform/ClipRecorder.cpp in web/CMakeLists.txt only.
#include "platform/ClipRecorder.h"

namespace platform {

namespace {
constexpr const char* kNoClips = "clips are not recorded in the browser build";
}  // namespace

GifClipWriter::GifClipWriter() = default;
GifClipWriter::~GifClipWriter() = default;

ClipRecorder::~ClipRecorder() { Stop(); }

bool ClipRecorder::Start(const std::string& target) {
    path = target;
    std::lock_guard<std::mutex> hold(mutex);
    error = kNoClips;
    written = false;
    return false;
}

bool ClipRecorder::AddFrame(const std::vector<std::uint32_t>&, int, int) { return false; }

bool ClipRecorder::Stop() {
    recording = false;
    return false;
}

bool ClipRecorder::IsFinishing() const { return false; }

std::string ClipRecorder::Error() const {
    std::lock_guard<std::mutex> hold(mutex);
    return error;
}

}  // namespace platform

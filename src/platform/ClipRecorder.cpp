#include "platform/ClipRecorder.h"

#include <system_error>

#include "platform/System.h"

namespace platform {

ClipRecorder::~ClipRecorder() { Stop(); }

bool ClipRecorder::Start(const std::string& target) {
    // The worker of a clip still recording waits for more frames: it must be told to finish, not only joined.
    Stop();
    {
        std::lock_guard lock(mutex);
        error.clear();
        written = false;
        closing = false;
        queue.clear();
    }
    path = target;
    frameCount = 0;
    frameWidth = frameHeight = 0;
    writer = std::make_unique<GifWriter>();
    if (!writer->Open(target)) {
        std::lock_guard lock(mutex);
        error = writer->Error();
        return false;
    }
    {
        std::lock_guard lock(mutex);
        workerDone = false;
    }
    try {
        worker = std::thread([this] { Work(); });
    } catch (const std::system_error& failed) {
        writer->Close();
        std::lock_guard lock(mutex);
        workerDone = true;
        error = std::string("Cannot start the clip's encoder (") + failed.what() + "); close other programs and try again.";
        return false;
    }
    recording = true;
    return true;
}

bool ClipRecorder::AddFrame(const std::vector<std::uint32_t>& rgb, int width, int height) {
    if (!recording) return false;
    if (frameCount == 0) {
        frameWidth = width;
        frameHeight = height;
    } else if (width != frameWidth || height != frameHeight) {
        EndRecording("The picture changed size during the clip; it ends with the frames before.");
        return false;
    }
    std::vector<std::uint32_t> buffer;
    {
        std::lock_guard lock(mutex);
        if (!error.empty()) {
            recording = false;
            closing = true;
            wake.notify_one();
            return false;
        }
        if (queue.size() >= static_cast<std::size_t>(maxQueued)) {
            recording = false;
            closing = true;
            error = "The clip ended after " + std::to_string(frameCount) +
                    " frames: this computer could not encode it as fast as the game runs.";
            wake.notify_one();
            return false;
        }
        if (!spare.empty()) {
            buffer = std::move(spare.back());
            spare.pop_back();
        }
    }
    buffer.assign(rgb.begin(), rgb.end());
    {
        std::lock_guard lock(mutex);
        queue.push_back(Frame{std::move(buffer), width, height});
        ++frameCount;
        if (frameCount >= kMaxFrames) {
            recording = false;
            closing = true;
        }
    }
    wake.notify_one();
    return recording;
}

void ClipRecorder::EndRecording(const std::string& reason) {
    recording = false;
    {
        std::lock_guard lock(mutex);
        if (error.empty()) error = reason;
        closing = true;
    }
    wake.notify_one();
}

bool ClipRecorder::Stop() {
    if (!worker.joinable()) return false;
    recording = false;
    {
        std::lock_guard lock(mutex);
        closing = true;
    }
    wake.notify_one();
    return Join();
}

bool ClipRecorder::Join() {
    if (!worker.joinable()) return false;
    worker.join();
    writer.reset();
    std::lock_guard lock(mutex);
    return written;
}

bool ClipRecorder::IsFinishing() const {
    std::lock_guard lock(mutex);
    return !recording && !workerDone;
}

std::string ClipRecorder::Error() const {
    std::lock_guard lock(mutex);
    return error;
}

void ClipRecorder::Work() {
    // Encoding is background work: woken by AddFrame, a worker of the game's own priority would often
    // take the core from the frame that woke it. A failure only leaves the priority as it was.
    LowerThreadPriority();
    bool failed = false;
    for (;;) {
        Frame frame;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return !queue.empty() || closing; });
            if (queue.empty()) break;
            frame = std::move(queue.front());
            queue.pop_front();
        }
        if (!failed && !writer->Write(frame.pixels, frame.width, frame.height)) {
            failed = true;
            std::lock_guard lock(mutex);
            error = writer->Error();
        }
        std::lock_guard lock(mutex);
        // A few buffers are enough to cover the worker's lag; more would only hold memory.
        if (spare.size() < 8) spare.push_back(std::move(frame.pixels));
    }
    const bool whole = writer->Close();
    std::lock_guard lock(mutex);
    if (!whole && error.empty()) error = writer->Error();
    // An early end (the size changed, the encoder lagged) still leaves a whole clip of what came before.
    written = whole;
    workerDone = true;
}

}  // namespace platform

#pragma once
// Clips of the game as animated GIFs (platform::GifWriter), encoded on a worker thread so that the
// frames never wait for the encoder.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/GifWriter.h"

namespace platform {

// Records a clip on a worker thread: AddFrame only copies the picture into a queue, so the frame that
// calls it never waits for an encoder. Meant for one caller thread (the one running the frames).
class ClipRecorder {
public:
    static constexpr int kMaxFrames = 1500;   // 30 s of game frames; the clip ends by itself there
    static constexpr int kMaxQueued = 250;    // frames waiting for the worker (75 MB at 320 x 240)

    // maxQueued: how far the worker may lag, in frames (tests feeding frames faster than the game raise it).
    explicit ClipRecorder(int maxQueued = kMaxQueued) : maxQueued(maxQueued < 1 ? 1 : maxQueued) {}
    ~ClipRecorder();  // finishes a clip in progress, as Stop does
    ClipRecorder(const ClipRecorder&) = delete;
    ClipRecorder& operator=(const ClipRecorder&) = delete;

    // Creates the file and starts taking frames; a clip still recording or being finished is ended and
    // waited for first. False, with Error(), when the file cannot be created.
    bool Start(const std::string& path);
    // Queues one game frame. True while the clip takes more frames after this one; false once it has
    // ended: the 1500th frame filled it, the encoder failed, the picture changed size, or the encoder
    // fell maxQueued frames behind (the clip then ends with the frames it has). False also when not
    // recording. A clip ended here is finished on the worker; Stop collects it.
    bool AddFrame(const std::vector<std::uint32_t>& rgb, int width, int height);
    // Ends the clip and waits until its file is closed. True when a whole GIF was written by this clip
    // (Error() may still say why it ended early); false when nothing was recording or it failed.
    bool Stop();

    // Taking frames.
    bool IsRecording() const { return recording; }
    // The worker still has frames to write or the file to close (after AddFrame returned false).
    bool IsFinishing() const;
    // Frames taken into the current (or last) clip.
    int FrameCount() const { return frameCount; }
    // Why the current (or last) clip failed or ended early; empty when it did not.
    std::string Error() const;
    const std::string& Path() const { return path; }

private:
    struct Frame {
        std::vector<std::uint32_t> pixels;
        int width = 0;
        int height = 0;
    };

    void Work();
    void EndRecording(const std::string& reason);
    bool Join();

    const int maxQueued;
    // Caller thread only.
    bool recording = false;
    int frameCount = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    std::string path;
    std::thread worker;

    // Shared with the worker, under the mutex.
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<Frame> queue;
    std::vector<std::vector<std::uint32_t>> spare;  // buffers the worker is done with
    bool closing = false;
    bool workerDone = true;
    bool written = false;
    std::string error;

    std::unique_ptr<GifWriter> writer;  // the worker's alone while it runs
};

}  // namespace platform

#pragma once
// Keeps what libraries print on their own (ALSA's "ALSA lib …" lines while SDL probes for a sound card,
// JACK's "Cannot connect to server") off the player's terminal: while one lives, standard error goes
// to a scratch file, and at its end every other line is passed on as it was written.
namespace platform {

class LibraryNoise {
public:
    LibraryNoise();
    ~LibraryNoise();
    LibraryNoise(const LibraryNoise&) = delete;
    LibraryNoise& operator=(const LibraryNoise&) = delete;

    // Whether a line of standard error is a library's noise rather than a message for the player.
    static bool IsNoise(const char* line);

private:
    int saved = -1;     // the real standard error
    int scratch = -1;   // where it goes meanwhile
};

}  // namespace platform

/* first-frame PROGRAM [ARGS...]
 * Starts PROGRAM on $DISPLAY (an X server whose root is black, 1024 x 768) and prints how many
 * milliseconds pass until the middle row of its centred 320 x 240 window shows anything but black,
 * then ends it with SIGTERM. Exit status 1 when nothing appears within 10 s. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: first-frame PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "first-frame: cannot open the display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    const int left = (screenWidth - 320) / 2, row = screenHeight / 2;

    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int found = 0;
    double elapsed = 0;
    while ((elapsed = Now() - start) < 10000.0) {
        XImage* image = XGetImage(display, root, left, row, 320, 1, AllPlanes, ZPixmap);
        if (image) {
            for (int x = 0; x < 320 && !found; ++x) found = XGetPixel(image, x, 0) != 0;
            XDestroyImage(image);
        }
        if (found) break;
        if (waitpid(pid, NULL, WNOHANG) == pid) break;
        const struct timespec pause = {0, 500000};
        nanosleep(&pause, NULL);
    }
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    XCloseDisplay(display);
    if (!found) {
        fprintf(stderr, "first-frame: no picture within 10 s\n");
        return 1;
    }
    printf("%.1f\n", elapsed);
    return 0;
}

#include "tests/support/xserver.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

double NowSeconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec / 1e9;
}

void SleepSeconds(double seconds) {
    timespec t;
    t.tv_sec = (time_t)seconds;
    t.tv_nsec = (long)((seconds - (double)t.tv_sec) * 1e9);
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

// Windows come and go while the harness looks at them (the program re-creates its window); a
// request about a window that has just gone must fail quietly, not end the test process.
static int IgnoreXError(Display*, XErrorEvent*) { return 0; }

XServer::XServer(int width, int height) {
    XSetErrorHandler(IgnoreXError);
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = "pipe failed";
        return;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        error_ = "fork failed";
        return;
    }
    // Xvfb writes its display number to the pipe once it accepts connections.
    char number[32] = {};
    size_t got = 0;
    while (got < sizeof number - 1) {
        ssize_t n = read(fds[0], number + got, sizeof number - 1 - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += (size_t)n;
        if (memchr(number, '\n', got)) break;
    }
    close(fds[0]);
    if (got == 0) {
        error_ = "Xvfb did not start (is it installed?)";
        return;
    }
    name_ = ":" + std::string(number, strcspn(number, "\n"));
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) {
        error_ = "cannot connect to " + name_;
        return;
    }
    int event, error, major, minor;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
        error_ = "no XTest extension";
        XCloseDisplay(display_);
        display_ = nullptr;
    }
}

XServer::~XServer() {
    if (display_) XCloseDisplay(display_);
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

void XServer::Sync() { XSync(display_, False); }

void XServer::PressKey(unsigned long keysym) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), True, CurrentTime);
    Sync();
}

void XServer::ReleaseKey(unsigned long keysym) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), False, CurrentTime);
    Sync();
}

void XServer::TapKey(unsigned long keysym) {
    PressKey(keysym);
    SleepSeconds(0.05);
    ReleaseKey(keysym);
}

bool XServer::HoldKeyUntil(unsigned long keysym, const std::function<bool()>& done, double seconds) {
    PressKey(keysym);
    const double end = NowSeconds() + seconds;
    bool ok = done();
    while (!ok && NowSeconds() < end) {
        SleepSeconds(0.02);
        ok = done();
    }
    ReleaseKey(keysym);
    return ok;
}

void XServer::MovePointer(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    Sync();
}

void XServer::PressButton(unsigned int button) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    Sync();
}

void XServer::ReleaseButton(unsigned int button) {
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    Sync();
}

static Window FindNamed(Display* display, Window parent, const char* title) {
    Window root, parentOut, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; i++) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
        char* name = nullptr;
        if (attributes.map_state == IsViewable && XFetchName(display, children[i], &name) && name) {
            if (strcmp(name, title) == 0) found = children[i];
        }
        if (name) XFree(name);
        if (!found) found = FindNamed(display, children[i], title);
    }
    if (children) XFree(children);
    return found;
}

Window XServer::FindWindow(const char* title) {
    return FindNamed(display_, DefaultRootWindow(display_), title);
}

bool XServer::WindowRect(Window window, ScreenRect* rect) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return false;
    int x, y;
    Window child;
    if (!XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child)) return false;
    *rect = {x, y, attributes.width, attributes.height};
    return true;
}

std::vector<unsigned char> XServer::Capture(const ScreenRect& rect) {
    std::vector<unsigned char> rgb;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), rect.x, rect.y, (unsigned)rect.width,
                              (unsigned)rect.height, AllPlanes, ZPixmap);
    if (!image) return rgb;
    rgb.resize((size_t)rect.width * rect.height * 3);
    for (int y = 0; y < rect.height; y++) {
        for (int x = 0; x < rect.width; x++) {
            unsigned long p = XGetPixel(image, x, y);
            unsigned char* out = &rgb[((size_t)y * rect.width + x) * 3];
            out[0] = (unsigned char)((p & image->red_mask) >> 16);
            out[1] = (unsigned char)((p & image->green_mask) >> 8);
            out[2] = (unsigned char)(p & image->blue_mask);
        }
    }
    XDestroyImage(image);
    return rgb;
}

bool XServer::SavePng(const ScreenRect& rect, const std::string& path) {
    std::vector<unsigned char> rgb = Capture(rect);
    if (rgb.empty()) return false;
    const std::string command = "convert -size " + std::to_string(rect.width) + "x" + std::to_string(rect.height) +
                                " -depth 8 rgb:- '" + path + "'";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) return false;
    fwrite(rgb.data(), 1, rgb.size(), pipe);
    return pclose(pipe) == 0;
}

DudProcess::DudProcess(const XServer& server, const std::string& workingDirectory) {
    const std::string directory = workingDirectory.empty() ? std::string(DUD_SOURCE_DIR) : workingDirectory;
    pid_ = fork();
    if (pid_ == 0) {
        setenv("DISPLAY", server.name().c_str(), 1);
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("WAYLAND_DISPLAY");
        if (chdir(directory.c_str()) != 0) _exit(126);
        execl(DUD_BINARY, DUD_BINARY, (char*)nullptr);
        _exit(127);
    }
}

DudProcess::~DudProcess() {
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool DudProcess::running() {
    if (ended_ || pid_ <= 0) return false;
    int status;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        ended_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

int DudProcess::Wait(double seconds) {
    const double end = NowSeconds() + seconds;
    while (running()) {
        if (NowSeconds() > end) return -1;
        SleepSeconds(0.02);
    }
    return exitCode_;
}

Window DudProcess::WaitForWindow(XServer& server, int width, int height, double seconds) {
    const double end = NowSeconds() + seconds;
    while (NowSeconds() < end && running()) {
        Window window = server.FindWindow("DUD");
        ScreenRect rect;
        if (window && server.WindowRect(window, &rect) && rect.width == width && rect.height == height) return window;
        SleepSeconds(0.05);
    }
    return 0;
}

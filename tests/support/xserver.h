// End-to-end harness: a private X server (Xvfb), real input through XTest, and the real program
// started as a child process on it.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ScreenRect {
    int x, y, width, height;
};

// An Xvfb of its own for the lifetime of the object. available() is false (and the reason is in
// error()) when Xvfb cannot be started; tests then skip.
class XServer {
public:
    explicit XServer(int width = 1600, int height = 1200);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool available() const { return display_ != nullptr; }
    const std::string& error() const { return error_; }
    const std::string& name() const { return name_; }  // ":N"
    Display* display() const { return display_; }

    // Real input through the XTest extension. Keys are X keysyms (XK_Escape, XK_F1, ...).
    void PressKey(unsigned long keysym);
    void ReleaseKey(unsigned long keysym);
    void TapKey(unsigned long keysym);
    // Holds a key down until `done` answers true (polled every 20 ms) or the time runs out, then
    // releases it; whether it was done. The program reads keys from its messages and drains all
    // waiting messages before it draws a frame, so a press and release that arrive together can
    // act on no frame at all: a test holds a key until it sees its effect.
    bool HoldKeyUntil(unsigned long keysym, const std::function<bool()>& done, double seconds = 10);
    void MovePointer(int x, int y);
    void PressButton(unsigned int button);
    void ReleaseButton(unsigned int button);
    void Sync();

    // Top-level window whose name is `title`, mapped and viewable; 0 when there is none.
    Window FindWindow(const char* title);
    // The window's rectangle in root coordinates.
    bool WindowRect(Window window, ScreenRect* rect);
    // Pixels of a rectangle of the root window, as RGB bytes, rows top-down.
    std::vector<unsigned char> Capture(const ScreenRect& rect);
    // Saves a rectangle as a PNG through ImageMagick's convert; false if that fails.
    bool SavePng(const ScreenRect& rect, const std::string& path);

private:
    pid_t pid_ = -1;
    Display* display_ = nullptr;
    std::string name_;
    std::string error_;
};

// The real program as a child process on a given X server.
class DudProcess {
public:
    // Starts the program in `workingDirectory` (the repo root by default: it holds bmp_cube/).
    DudProcess(const XServer& server, const std::string& workingDirectory = "");
    ~DudProcess();
    DudProcess(const DudProcess&) = delete;
    DudProcess& operator=(const DudProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Waits for the process to end; its exit code, or -1 on a time-out or a signal.
    int Wait(double seconds);
    // Waits until the server shows a window titled "DUD" of the given size; 0 on a time-out.
    Window WaitForWindow(XServer& server, int width, int height, double seconds = 20);

private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    bool ended_ = false;
};

// Seconds since an arbitrary start, for time-outs.
double NowSeconds();
void SleepSeconds(double seconds);

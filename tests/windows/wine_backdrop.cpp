// The Windows build, run by Wine on a private X server, shows the Linux build's backdrop pixel for
// pixel: at start-up, where it is centred as on Linux, and after a zoom key re-created its window
// through the real Win32 and WGL calls. Escape ends it with exit code 0.
//
// Skips when wine is not installed. The 32-bit exe is the one checked; where Wine cannot run
// 32-bit programs (or DUD_WINE_64=1 is set) the 64-bit exe is built and checked instead.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/random.h"
#include "screen/screen_buffer.h"
#include "tests/support/window_screen.h"
#include "tests/support/xserver.h"
#include "world/voxel_maps.h"

namespace {

const int kServerWidth = 1600, kServerHeight = 1200;

bool IsExecutable(const std::string& path) {
    return access(path.c_str(), X_OK) == 0;
}

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A program of that name on PATH.
bool OnPath(const char* name) {
    const char* path = getenv("PATH");
    std::string folders = path ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && IsExecutable(folder + "/" + name)) return true;
        start = end + 1;
    }
    return false;
}

// The environment every Wine process of the test gets: its own prefix, no debug chatter, and no
// offer to download the .NET and HTML engines when the prefix is made.
void SetWineEnvironment(const XServer& server) {
    setenv("DISPLAY", server.name().c_str(), 1);
    setenv("WINEPREFIX", DUD_WINE_PREFIX, 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    unsetenv("WAYLAND_DISPLAY");
}

// Wine's own output goes to a log beside the test, never to the test's output: processes that
// Wine starts outlive the one the test started, and would hold CTest's pipe open.
void RedirectOutput() {
    int log = open(DUD_WINE_LOG, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (log < 0) log = open("/dev/null", O_WRONLY);
    if (log >= 0) {
        dup2(log, 1);
        dup2(log, 2);
        close(log);
    }
}

// Runs a command in Wine's environment and waits up to `seconds`; its exit code, or -1.
int RunWine(const XServer& server, const std::vector<std::string>& command, double seconds) {
    pid_t pid = fork();
    if (pid == 0) {
        SetWineEnvironment(server);
        RedirectOutput();
        std::vector<char*> argv;
        for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) return -1;
    const double end = NowSeconds() + seconds;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (NowSeconds() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return -1;
        }
        SleepSeconds(0.05);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// dud.exe under Wine, started in the repo root (which holds bmp_cube/).
class WineProcess {
public:
    WineProcess(const XServer& server, const std::string& exe) : server_(server) {
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);  // one group for the loader and whatever it starts
            SetWineEnvironment(server);
            RedirectOutput();
            if (chdir(DUD_SOURCE_DIR) != 0) _exit(126);
            execlp("wine", "wine", exe.c_str(), (char*)nullptr);
            _exit(127);
        }
    }
    ~WineProcess() {
        if (pid_ > 0 && !ended_) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        // Whatever of this prefix still runs (the desktop process, the server) goes with the test.
        RunWine(server_, {"wineserver", "-k"}, 20);
    }
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;

    bool running() {
        if (ended_ || pid_ <= 0) return false;
        int status;
        if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
        ended_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    // The exit code, or -1 on a time-out or a signal.
    int Wait(double seconds) {
        const double end = NowSeconds() + seconds;
        while (running()) {
            if (NowSeconds() > end) return -1;
            SleepSeconds(0.05);
        }
        return exitCode_;
    }
    // The window titled "DUD" of that size; 0 on a time-out or when the program ended.
    Window WaitForWindow(XServer& server, int width, int height, double seconds) {
        const double end = NowSeconds() + seconds;
        while (NowSeconds() < end && running()) {
            Window window = server.FindWindow("DUD");
            ScreenRect rect;
            if (window && server.WindowRect(window, &rect) && rect.width == width && rect.height == height) {
                return window;
            }
            SleepSeconds(0.1);
        }
        return 0;
    }

private:
    const XServer& server_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    bool ended_ = false;
};

class WineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OnPath("wine")) GTEST_SKIP() << "wine is not installed";
        if (!server.available()) GTEST_SKIP() << server.error();
        // Debian's 32-bit loader; without it Wine runs only 64-bit programs. DUD_WINE_64=1 asks
        // for the 64-bit exe anyway.
        const char* want64 = getenv("DUD_WINE_64");
        if (IsExecutable("/usr/lib/wine/wine") && !(want64 && strcmp(want64, "1") == 0)) {
            exe = DUD_WINDOWS_EXE;
        } else {
            const std::string command = std::string("'") + DUD_SOURCE_DIR + "/scripts/build-windows.sh' '" +
                                        DUD_WINDOWS_X86_64_BUILD + "' x86_64";
            ASSERT_EQ(system(command.c_str()), 0) << "the 64-bit Windows build failed";
            exe = std::string(DUD_WINDOWS_X86_64_BUILD) + "/dud.exe";
        }
        ASSERT_TRUE(IsFile(exe)) << exe << " is missing";
        if (FILE* log = fopen(DUD_WINE_LOG, "w")) fclose(log);  // this run's Wine output only
        // A prefix is made once per build folder; that takes a while the first time.
        RunWine(server, {"wineserver", "-k"}, 20);
        if (!IsFile(std::string(DUD_WINE_PREFIX) + "/system.reg")) {
            ASSERT_EQ(RunWine(server, {"wineboot", "-i"}, 300), 0) << "wineboot failed";
            RunWine(server, {"wineserver", "-w"}, 60);
        }
        server.MovePointer(5, 5);  // keep the crosshair away from the windows
    }

    // Waits (up to about 10 s) until the window's backdrop pixels equal the reference's; the
    // last screen read is left in *screen.
    bool WaitForBackdrop(Window window, int zoom, const std::vector<unsigned char>& reference,
                         std::vector<unsigned char>* screen, std::string* why) {
        for (int attempt = 0; attempt < 100; attempt++) {
            if (attempt) SleepSeconds(0.1);
            if (!ReadWindowScreen(server, window, zoom, screen, why)) continue;
            bool same = true;
            for (int y = 0; y < 240 && same; y++) {
                for (int x = 0; x < 320 && same; x++) {
                    if (!BackdropOnly(x, y)) continue;
                    if (memcmp(&reference[(y * 320 + x) * 3], &(*screen)[(y * 320 + x) * 3], 3) != 0) {
                        *why = "screen pixel " + std::to_string(x) + "," + std::to_string(y) + " differs";
                        same = false;
                    }
                }
            }
            if (same) return true;
        }
        return false;
    }

    // Without a window manager nobody hands Wine's window the X focus, which Windows would have
    // given it through SetForegroundWindow; the key presses below need it.
    void Focus(Window window) {
        XSetInputFocus(server.display(), window, RevertToPointerRoot, CurrentTime);
        server.Sync();
    }

    // Held long enough for the program to see it between two messages.
    void HoldKey(unsigned long keysym) {
        server.PressKey(keysym);
        SleepSeconds(0.2);
        server.ReleaseKey(keysym);
    }

    XServer server{kServerWidth, kServerHeight};
    std::string exe;
};

TEST_F(WineTest, ShowsTheLinuxBuildsBackdrop) {
    std::string why;

    // The Linux build's screen, once it shows the backdrop.
    std::vector<unsigned char> linuxScreen;
    {
        DudProcess dud(server);
        Window window = dud.WaitForWindow(server, 960, 720, 30);
        ASSERT_NE(window, 0u) << "the Linux build opened no 960 x 720 window";
        ASSERT_TRUE(WaitForBackdrop(window, 3, ExpectedBackdropRGB(), &linuxScreen, &why)) << "Linux build: " << why;
        server.TapKey(XK_Escape);
        ASSERT_EQ(dud.Wait(10), 0);
    }

    WineProcess dud(server, exe);
    Window window = dud.WaitForWindow(server, 960, 720, 120);
    ASSERT_NE(window, 0u) << exe << " opened no 960 x 720 window under Wine";
    ScreenRect rect;
    ASSERT_TRUE(server.WindowRect(window, &rect));
    EXPECT_EQ(rect.x, kServerWidth / 2 - 480);
    EXPECT_EQ(rect.y, kServerHeight / 2 - 360);
    std::vector<unsigned char> wineScreen;
    EXPECT_TRUE(WaitForBackdrop(window, 3, linuxScreen, &wineScreen, &why)) << "zoom 3 under Wine: " << why;

    // F1: the window and its context are made anew at zoom 1.
    Focus(window);
    HoldKey(XK_F1);
    window = dud.WaitForWindow(server, 320, 240, 30);
    ASSERT_NE(window, 0u) << "no 320 x 240 window after F1 under Wine";
    ASSERT_TRUE(server.WindowRect(window, &rect));
    EXPECT_EQ(rect.x, kServerWidth / 2 - 160);
    EXPECT_EQ(rect.y, kServerHeight / 2 - 120);
    EXPECT_TRUE(WaitForBackdrop(window, 1, linuxScreen, &wineScreen, &why)) << "zoom 1 under Wine: " << why;

    Focus(window);
    HoldKey(XK_Escape);
    EXPECT_EQ(dud.Wait(20), 0);
    EXPECT_EQ(server.FindWindow("DUD"), 0u);
}

}  // namespace

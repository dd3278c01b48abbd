// The process entry point: builds the Win32 command line and runs WinMain.
#include "platform/internal.h"

#include <signal.h>
#include <string.h>

#include <string>

namespace {

volatile sig_atomic_t closeSignals = 0;

// The first SIGINT or SIGTERM asks the program to close its window (as the user closing it
// would); a second one, while the first is still waiting, ends the process the usual way.
void OnCloseSignal(int signalNumber) {
    if (closeSignals++ > 0) {
        signal(signalNumber, SIG_DFL);
        raise(signalNumber);
        return;
    }
    PlatformRequestClose();
}

// The arguments after the program name, quoted where they hold spaces, as Win32 hands them over.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        bool quote = strpbrk(argv[i], " \t") != nullptr || argv[i][0] == '\0';
        if (quote) line += '"';
        line += argv[i];
        if (quote) line += '"';
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::string line = CommandLine(argc, argv);
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, &line[0], SW_SHOWDEFAULT);
    PlatformShutdown();
    return result;
}

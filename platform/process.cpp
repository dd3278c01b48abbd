// Process services: the module handle, the last error, time, sleeping, and shutdown.
#include "platform/internal.h"

#include <errno.h>
#include <signal.h>
#include <time.h>

namespace {

// The one module there is. Any non-null value will do: nothing dereferences it.
HINSTANCE const kModuleHandle = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
thread_local DWORD lastError = ERROR_SUCCESS;
volatile sig_atomic_t closeRequested = 0;

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName != nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return kModuleHandle;
}

DWORD WINAPI GetLastError(void) { return lastError; }
void WINAPI SetLastError(DWORD error) { lastError = error; }

DWORD WINAPI GetTickCount(void) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);  // wraps after 49.7 days, as it does on Win32
}

void WINAPI Sleep(DWORD milliseconds) {
    if (SeamSleepRecorded(milliseconds)) return;
    timespec left;
    left.tv_sec = static_cast<time_t>(milliseconds / 1000u);
    left.tv_nsec = static_cast<long>(milliseconds % 1000u) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

// Async-signal-safe: only sets a flag.
void PlatformRequestClose() { closeRequested = 1; }

bool PlatformTakeCloseRequest() {
    if (!closeRequested) return false;
    closeRequested = 0;
    return true;
}

void PlatformShutdown() {
    X11Close();
    FreeSystemCursors();
    SDL_Quit();
}

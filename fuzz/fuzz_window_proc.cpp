// The window procedure on arbitrary messages, wParam and lParam, sent to the program's own window
// (with its OpenGL context) and then through the queue as the main loop would dispatch them. The
// window may close itself (WM_CLOSE, SC_CLOSE, Alt+F4); it is opened again for the next input.
// Nothing may crash, and no key flag outside the 256 may change.
#include <stdlib.h>
#include <string.h>

#include "app/display_window.h"
#include "app/program_state.h"
#include "app/window_proc.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform_seams.h"

namespace {

// The key flags sit among other globals: a guard copy of them shows a stray write.
bool keyFlagsCopy[256];

bool WindowAlive() { return mainWindow && SeamLiveWindows() > 0; }

void Reopen() {
    CloseDisplayWindow();
    zoomFactor = 1;
    if (!OpenDisplayWindow("DUD", kScreenWidth, kScreenHeight, 32, false)) abort();
}

// A few message numbers the procedure knows, and anything else.
UINT Message(InputReader& in) {
    static const UINT known[] = {WM_ACTIVATE,  WM_SYSCOMMAND,  WM_CLOSE,       WM_KEYDOWN,    WM_KEYUP,
                                 WM_SIZE,      WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_LBUTTONUP,  WM_RBUTTONDOWN,
                                 WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP,   WM_SYSKEYDOWN, WM_SYSKEYUP};
    const uint8_t how = in.Byte();
    const uint32_t raw = in.U32();
    if (how & 1) return known[raw % (sizeof known / sizeof known[0])];
    return raw;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterScratchFolder();
    OpenOffscreenDisplay();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputReader in{data, size};
    SeamReset();  // the layer's record of delivered messages would otherwise grow without end
    if (!WindowAlive()) Reopen();
    for (int step = 0; step < 16 && in.size > 0; step++) {
        const uint8_t how = in.Byte();
        const UINT message = Message(in);
        const WPARAM wParam = (WPARAM)in.U64();
        const LPARAM lParam = (LPARAM)in.U64();
        memcpy(keyFlagsCopy, keyDown, sizeof keyDown);
        if (how & 1) {
            SeamPostMessage(mainWindow, message, wParam, lParam);
        } else {
            WindowProc(mainWindow, message, wParam, lParam);
        }
        if ((message == WM_KEYDOWN || message == WM_KEYUP) && !(how & 1) && wParam < 256) {
            keyFlagsCopy[wParam] = message == WM_KEYDOWN;
        }
        if (!(how & 1) && memcmp(keyFlagsCopy, keyDown, sizeof keyDown) != 0) abort();
        // Drain the queue as the main loop does, quit messages included.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!WindowAlive()) Reopen();
    }
    // Mouse fields come from 16-bit halves of lParam.
    if (mouseX < 0 || mouseX > 0xFFFF || mouseY < 0 || mouseY > 0xFFFF) abort();
    return 0;
}

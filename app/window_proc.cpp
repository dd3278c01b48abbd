#include "app/window_proc.h"

#include "app/program_state.h"

namespace {

// Key messages carry the virtual-key code in wParam; only another program can send one outside the
// 256 codes, and such a message must not reach past the flags.
void SetKeyFlag(WPARAM key, bool down) {
    if (key < 256) keyDown[key] = down;
}

}  // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            // Only the minimised flag counts: a window that merely loses the focus stays active.
            isActive = HIWORD(wParam) == 0;
            return 0;
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
            break;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            SetKeyFlag(wParam, true);
            return 0;
        case WM_KEYUP:
            SetKeyFlag(wParam, false);
            return 0;
        case WM_SIZE:
            return 0;
        case WM_MOUSEMOVE:
            mouseX = LOWORD(lParam);
            mouseY = HIWORD(lParam);
            return 0;
        case WM_LBUTTONDOWN:
            mouseButtons[0] = 1;
            return 0;
        case WM_LBUTTONUP:
            mouseButtons[0] = 0;
            return 0;
        case WM_RBUTTONDOWN:
            mouseButtons[2] = 1;
            return 0;
        case WM_RBUTTONUP:
            mouseButtons[2] = 0;
            return 0;
        case WM_MBUTTONDOWN:
            mouseButtons[1] = 1;
            return 0;
        case WM_MBUTTONUP:
            mouseButtons[1] = 0;
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int IsKeyHeld(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) ? 1 : 0;
}

int IsKeyReleased(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) ? 0 : 1;
}

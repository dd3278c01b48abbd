// The message queue: posting, peeking, sending, dispatching and the default window procedure,
// and the translation of SDL's events into window messages.
//
// As on Win32, "sent" messages (activation, focus, size, position) go straight to the window
// procedure from inside the call that causes them, PeekMessageA included; input and posted
// messages wait in the queue; WM_QUIT comes out only when nothing else is waiting.
#include "platform/internal.h"

#include <deque>

namespace {

std::deque<MSG> queue;
bool quitPending = false;
int quitCode = 0;
Uint32 heldMouseButtons = 0;  // SDL_BUTTON_*MASK bits, from button events

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, POINT pt) {
    MSG msg;
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    msg.pt = pt;
    return msg;
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
        if (msg.hwnd != nullptr) return false;
    } else if (window != nullptr && msg.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

WPARAM MouseKeyFlags(Uint32 buttons) {
    WPARAM flags = 0;
    if (buttons & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) flags |= MK_MBUTTON;
    SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) flags |= MK_SHIFT;
    if (mod & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

void PostWithPoint(HWND window, UINT message, WPARAM wParam, LPARAM lParam, POINT pt) {
    queue.push_back(MakeMessage(window, message, wParam, lParam, pt));
}

void PostMouse(WindowRecord* window, UINT message, WPARAM flags, int x, int y) {
    POINT pt{SumHeldToLong(window->x, x), SumHeldToLong(window->y, y)};
    // Client coordinates travel as signed 16-bit halves, so positions left of or above the window
    // (a drag held outside it) wrap as they do on Win32.
    PostWithPoint(window->handle, message, flags, MAKELPARAM(static_cast<SHORT>(x), static_cast<SHORT>(y)), pt);
}

WindowRecord* EventWindow(Uint32 windowId) {
    if (WindowRecord* window = LookupWindowBySdlId(windowId)) return window;
    return LookupWindow(GetFocus());
}

void CloseMainWindow() {
    if (WindowRecord* main = MainWindowRecord())
        PostToQueue(main->handle, WM_CLOSE, 0, 0);
    else
        PostQuitMessage(0);
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    WindowRecord* window = LookupWindowBySdlId(event.windowID);
    if (!window || window->destroying) return;
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PostToQueue(window->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            SystemMinimized(window, true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            SystemMinimized(window, false);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            SystemActivate(window, true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            SystemActivate(window, false);
            break;
        case SDL_WINDOWEVENT_MOVED:
            SystemMoved(window, event.data1, event.data2);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            SystemResized(window, event.data1, event.data2);
            break;
        default:
            break;
    }
}

void TranslateEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            CloseMainWindow();
            break;
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(event.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            WindowRecord* window = EventWindow(event.key.windowID);
            KeyTranslation key = TranslateKeyEvent(event.key);
            if (window && key.message) PostToQueue(window->handle, key.message, key.wParam, key.lParam);
            break;
        }
        case SDL_MOUSEMOTION: {
            WindowRecord* window = EventWindow(event.motion.windowID);
            if (window) PostMouse(window, WM_MOUSEMOVE, MouseKeyFlags(event.motion.state), event.motion.x, event.motion.y);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            WindowRecord* window = EventWindow(event.button.windowID);
            bool down = event.type == SDL_MOUSEBUTTONDOWN;
            UINT message = 0;
            switch (event.button.button) {
                case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
                case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
                case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
                default: break;
            }
            if (!message) break;
            Uint32 mask = SDL_BUTTON(event.button.button);
            heldMouseButtons = down ? (heldMouseButtons | mask) : (heldMouseButtons & ~mask);
            if (window) PostMouse(window, message, MouseKeyFlags(heldMouseButtons), event.button.x, event.button.y);
            break;
        }
        case SDL_MOUSEWHEEL: {
            WindowRecord* window = EventWindow(event.wheel.windowID);
            if (!window) break;
            POINT pt = CurrentCursorPos();
            int delta = event.wheel.y * WHEEL_DELTA;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
            PostWithPoint(window->handle, WM_MOUSEWHEEL,
                          MAKEWPARAM(MouseKeyFlags(heldMouseButtons), static_cast<SHORT>(delta)),
                          MAKELPARAM(static_cast<SHORT>(pt.x), static_cast<SHORT>(pt.y)), pt);
            break;
        }
        default:
            break;
    }
}

void PumpSystemEvents() {
    if (PlatformTakeCloseRequest()) CloseMainWindow();
    if (!VideoReady()) return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PollEvent(&event)) TranslateEvent(event);
}

}  // namespace

// ---- for the rest of the layer ----------------------------------------------------------------

LRESULT SendToWindow(WindowRecord* window, UINT message, WPARAM wParam, LPARAM lParam) {
    RecordDelivery(window->handle, message, wParam, lParam, true);
    return window->procedure(window->handle, message, wParam, lParam);
}

void PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PostWithPoint(window, message, wParam, lParam, CurrentCursorPos());
}

void DropQueuedMessagesFor(HWND window) {
    for (auto it = queue.begin(); it != queue.end();) {
        if (it->hwnd == window)
            it = queue.erase(it);
        else
            ++it;
    }
}

// ---- the Win32 calls ------------------------------------------------------------------------

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PumpSystemEvents();
    bool remove = (removeFlags & PM_REMOVE) != 0;
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *msg = *it;
        if (remove) queue.erase(it);
        return TRUE;
    }
    if (quitPending) {
        *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, CurrentCursorPos());
        if (remove) quitPending = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg) return FALSE;
    if (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP) return TRUE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
    SDL_Keymod mod = VideoReady() ? SDL_GetModState() : KMOD_NONE;
    int character = CharacterForKey(static_cast<int>(msg->wParam), (mod & KMOD_SHIFT) != 0, (mod & KMOD_CAPS) != 0,
                                    (mod & KMOD_CTRL) != 0);
    if (character) {
        // The character comes next, ahead of anything already waiting, as on Win32.
        UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
        queue.push_front(MakeMessage(msg->hwnd, charMessage, static_cast<WPARAM>(character), msg->lParam, msg->pt));
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    WindowRecord* window = LookupWindow(msg->hwnd);
    if (!window) return 0;
    RecordDelivery(window->handle, msg->message, msg->wParam, msg->lParam, false);
    return window->procedure(window->handle, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* window = LookupWindow(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return SendToWindow(window, message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (handle && !LookupWindow(handle)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PostToQueue(handle, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    quitPending = true;
    quitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* window = LookupWindow(handle);
    switch (message) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(handle);
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F4 && (lParam & (1L << 29)) && window)
                SendToWindow(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        case WM_SYSCOMMAND:
            if (!window) return 0;
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    SendToWindow(window, WM_CLOSE, 0, 0);
                    break;
                case SC_MINIMIZE:
                    ShowWindow(handle, SW_MINIMIZE);
                    break;
                case SC_RESTORE:
                    ShowWindow(handle, SW_RESTORE);
                    break;
                default:
                    break;
            }
            return 0;
        default:
            return 0;
    }
}

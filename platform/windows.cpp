// Window classes and windows: registration, creation and destruction, showing, activation and
// focus, position and size. Windows are borderless SDL windows, so the client area is the whole
// window and outer and client sizes are the same.
#include "platform/internal.h"

#include <ctype.h>

#include <map>
#include <memory>

namespace {

struct ClassRecord {
    std::string key;  // lower-case name: class names compare without regard to case
    std::string name;
    HINSTANCE instance = nullptr;
    WNDCLASSA windowClass{};
    ATOM atom = 0;
    int windows = 0;
};

std::vector<ClassRecord> classes;
ATOM nextAtomSerial = 0;

std::map<HWND, std::unique_ptr<WindowRecord>> windows;
// Destroyed records are kept: a window procedure may still be running on one when it goes.
std::vector<std::unique_ptr<WindowRecord>> destroyedWindows;
std::map<HDC, HWND> dcOwners;
uintptr_t nextWindowSerial = 1;

HWND activeWindow = nullptr;
HWND focusWindow = nullptr;

HINSTANCE NormalInstance(HINSTANCE instance) { return instance ? instance : GetModuleHandleA(nullptr); }

// A class name may be an atom (MAKEINTATOM): a small integer in place of the pointer.
std::string ClassKey(LPCSTR name) {
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    if (value < 0x10000) return "#" + std::to_string(value);
    std::string key(name);
    for (char& c : key) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return key;
}

ClassRecord* FindClass(LPCSTR name, HINSTANCE instance) {
    if (!name) return nullptr;
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    instance = NormalInstance(instance);
    for (ClassRecord& record : classes) {
        if (record.instance != instance) continue;
        if (value < 0x10000 ? record.atom == value : record.key == ClassKey(name)) return &record;
    }
    return nullptr;
}

bool Alive(WindowRecord* window) { return window && LookupWindow(window->handle) == window; }

// Makes the window the active one and gives it the focus, telling the one that had them first.
void Activate(WindowRecord* window) {
    if (activeWindow == window->handle && focusWindow == window->handle) return;
    HWND previousActive = activeWindow;
    HWND previousFocus = focusWindow;
    if (previousActive != window->handle) {
        if (WindowRecord* old = LookupWindow(previousActive)) {
            activeWindow = nullptr;
            SendToWindow(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, old->minimized ? 1 : 0),
                         reinterpret_cast<LPARAM>(window->handle));
        }
        activeWindow = window->handle;
        // The high word says whether the window is minimised, as the program's procedure reads it.
        SendToWindow(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, window->minimized ? 1 : 0),
                     reinterpret_cast<LPARAM>(previousActive));
        if (!Alive(window)) return;
    }
    if (focusWindow != window->handle) {
        if (WindowRecord* old = LookupWindow(previousFocus)) {
            focusWindow = nullptr;
            SendToWindow(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window->handle), 0);
        }
        focusWindow = window->handle;
        SendToWindow(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previousFocus), 0);
    }
}

void Deactivate(WindowRecord* window) {
    if (activeWindow == window->handle) {
        activeWindow = nullptr;
        SendToWindow(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, window->minimized ? 1 : 0), 0);
    }
    if (focusWindow == window->handle && Alive(window)) {
        focusWindow = nullptr;
        SendToWindow(window, WM_KILLFOCUS, 0, 0);
    }
}

SDL_Window* CreateSdlWindow(const char* title, int x, int y, int width, int height) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    int w = width > 0 ? width : 1;
    int h = height > 0 ? height : 1;
    SDL_Window* window = SDL_CreateWindow(title ? title : "", x, y, w, h, flags);
    if (!window) {
        // Some X visuals carry no alpha or stencil bits; the program needs neither.
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        window = SDL_CreateWindow(title ? title : "", x, y, w, h, flags);
    }
    return window;
}

// The last steps of destruction, after the window procedure has had its messages.
void ReleaseWindow(WindowRecord* window) {
    GlWindowDestroyed(window);
    if (window->sdlWindow) SDL_DestroyWindow(window->sdlWindow);
    window->sdlWindow = nullptr;
    window->heldDCs = 0;
    if (activeWindow == window->handle) activeWindow = nullptr;
    if (focusWindow == window->handle) focusWindow = nullptr;
    for (ClassRecord& record : classes)
        if (record.name == window->className && record.instance == window->classInstance && record.windows > 0)
            record.windows--;
    DropQueuedMessagesFor(window->handle);
    dcOwners.erase(window->dc);
    auto found = windows.find(window->handle);
    destroyedWindows.push_back(std::move(found->second));
    windows.erase(found);
    SeamAdjustLiveWindows(-1);
}

}  // namespace

// ---- lookups for the rest of the layer ------------------------------------------------------

WindowRecord* LookupWindow(HWND window) {
    if (!window) return nullptr;
    auto found = windows.find(window);
    return found == windows.end() ? nullptr : found->second.get();
}

WindowRecord* LookupWindowBySdlId(Uint32 sdlId) {
    for (auto& entry : windows)
        if (entry.second->sdlId == sdlId) return entry.second.get();
    return nullptr;
}

WindowRecord* LookupWindowByDC(HDC dc) {
    if (!dc) return nullptr;
    auto found = dcOwners.find(dc);
    return found == dcOwners.end() ? nullptr : LookupWindow(found->second);
}

WindowRecord* MainWindowRecord() { return windows.empty() ? nullptr : windows.rbegin()->second.get(); }

HWND ActiveWindowHandle() { return activeWindow; }

int HeldDCCount() {
    int held = 0;
    for (auto& entry : windows) held += entry.second->heldDCs;
    return held;
}

// ---- changes the system reports -------------------------------------------------------------

void SystemActivate(WindowRecord* window, bool active) {
    if (active) {
        if (!window->minimized) Activate(window);
    } else {
        Deactivate(window);
    }
}

void SystemMinimized(WindowRecord* window, bool minimized) {
    if (window->minimized == minimized) return;
    window->minimized = minimized;
    if (minimized) {
        if (activeWindow == window->handle) activeWindow = nullptr;
        SendToWindow(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
        if (!Alive(window)) return;
        if (focusWindow == window->handle) {
            focusWindow = nullptr;
            SendToWindow(window, WM_KILLFOCUS, 0, 0);
            if (!Alive(window)) return;
        }
        SendToWindow(window, WM_SIZE, SIZE_MINIMIZED, 0);
    } else {
        Activate(window);
        if (!Alive(window)) return;
        SendToWindow(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->width, window->height));
    }
}

void SystemMoved(WindowRecord* window, int x, int y) {
    if (window->x == x && window->y == y) return;
    window->x = x;
    window->y = y;
    SendToWindow(window, WM_MOVE, 0, MAKELPARAM(x, y));
}

void SystemResized(WindowRecord* window, int width, int height) {
    if (window->width == width && window->height == height) return;
    window->width = width;
    window->height = height;
    SendToWindow(window, WM_SIZE, window->minimized ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
}

// ---- classes --------------------------------------------------------------------------------

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    if (SeamShouldFail(PlatformCall::RegisterClass)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    HINSTANCE instance = NormalInstance(windowClass->hInstance);
    if (FindClass(windowClass->lpszClassName, instance)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ClassRecord record;
    record.key = ClassKey(windowClass->lpszClassName);
    record.name = reinterpret_cast<uintptr_t>(windowClass->lpszClassName) < 0x10000 ? record.key
                                                                                     : windowClass->lpszClassName;
    record.instance = instance;
    record.windowClass = *windowClass;
    record.windowClass.lpszClassName = nullptr;  // the caller's string need not outlive the call
    record.windowClass.lpszMenuName = nullptr;
    record.atom = static_cast<ATOM>(0xC000 + (nextAtomSerial++ % 0x3FFF));
    classes.push_back(record);
    SeamAdjustClasses(+1);
    return record.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    if (SeamShouldFail(PlatformCall::UnregisterClass)) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    ClassRecord* record = FindClass(className, instance);
    if (!record) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (record->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    classes.erase(classes.begin() + (record - classes.data()));
    SeamAdjustClasses(-1);
    return TRUE;
}

// ---- windows --------------------------------------------------------------------------------

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD, BOOL, DWORD) {
    // Every window of the layer is borderless: the outer rectangle is the client rectangle.
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
    if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
    int width = 0, height = 0;
    if (!SeamScreenSizeOverride(&width, &height)) {
        SDL_DisplayMode mode;
        if (!EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
        width = mode.w;
        height = mode.h;
    }
    return index == SM_CXSCREEN ? width : height;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (SeamShouldFail(PlatformCall::CreateWindow)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ClassRecord* windowClass = FindClass(className, instance);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !LookupWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!EnsureVideo()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    SDL_Window* sdlWindow = CreateSdlWindow(windowName, x, y, width, height);
    if (!sdlWindow) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    auto record = std::make_unique<WindowRecord>();
    uintptr_t serial = nextWindowSerial++;
    record->handle = reinterpret_cast<HWND>(MakeHandleValue(kHandleWindow, serial));
    record->dc = reinterpret_cast<HDC>(MakeHandleValue(kHandleDC, serial));
    record->sdlWindow = sdlWindow;
    record->sdlId = SDL_GetWindowID(sdlWindow);
    record->className = windowClass->name;
    record->classInstance = windowClass->instance;
    record->procedure = windowClass->windowClass.lpfnWndProc;
    record->cursor = windowClass->windowClass.hCursor;
    record->style = style;
    record->exStyle = exStyle;
    record->x = x;
    record->y = y;
    record->width = width;
    record->height = height;
    WindowRecord* window = record.get();
    HWND handle = window->handle;
    windows[handle] = std::move(record);
    dcOwners[window->dc] = handle;
    windowClass->windows++;
    SeamAdjustLiveWindows(+1);
    if (window->cursor) ApplyClassCursor(window->cursor);

    CREATESTRUCTA create{};
    create.lpCreateParams = param;
    create.hInstance = NormalInstance(instance);
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cx = width;
    create.cy = height;
    create.x = x;
    create.y = y;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;

    if (!SendToWindow(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        if (Alive(window)) {
            window->destroying = true;
            SendToWindow(window, WM_NCDESTROY, 0, 0);
            if (Alive(window)) ReleaseWindow(window);
        }
        return nullptr;
    }
    if (!Alive(window)) return nullptr;
    if (SendToWindow(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        if (Alive(window)) DestroyWindow(handle);
        return nullptr;
    }
    if (!Alive(window)) return nullptr;
    SendToWindow(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    if (!Alive(window)) return nullptr;
    SendToWindow(window, WM_MOVE, 0, MAKELPARAM(x, y));
    if (!Alive(window)) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    return Alive(window) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND handle) {
    if (SeamShouldFail(PlatformCall::DestroyWindow)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    WindowRecord* window = LookupWindow(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->destroying) return TRUE;  // asked again from inside its own destruction
    window->destroying = true;
    if (window->visible && window->sdlWindow) SDL_HideWindow(window->sdlWindow);
    window->visible = false;
    Deactivate(window);
    SendToWindow(window, WM_DESTROY, 0, 0);
    SendToWindow(window, WM_NCDESTROY, 0, 0);
    ReleaseWindow(window);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
    WindowRecord* window = LookupWindow(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    BOOL wasVisible = window->visible ? TRUE : FALSE;
    if (window->destroying) return wasVisible;
    if (command == SW_HIDE) {
        if (window->visible) {
            SendToWindow(window, WM_SHOWWINDOW, FALSE, 0);
            if (!Alive(window)) return wasVisible;
            window->visible = false;
            SDL_HideWindow(window->sdlWindow);
            Deactivate(window);
        }
        return wasVisible;
    }
    if (!window->visible) {
        SendToWindow(window, WM_SHOWWINDOW, TRUE, 0);
        if (!Alive(window)) return wasVisible;
        window->visible = true;
        SDL_ShowWindow(window->sdlWindow);
    }
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
        SDL_MinimizeWindow(window->sdlWindow);
        SystemMinimized(window, true);
        return wasVisible;
    }
    if (window->minimized && (command == SW_RESTORE || command == SW_SHOWNORMAL)) {
        SDL_RestoreWindow(window->sdlWindow);
        SystemMinimized(window, false);
        return wasVisible;
    }
    if (!window->minimized) {
        Activate(window);
        if (Alive(window) && focusWindow == handle) SDL_SetWindowInputFocus(window->sdlWindow);
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND handle) {
    WindowRecord* window = LookupWindow(handle);
    if (!window || window->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->visible) SDL_RaiseWindow(window->sdlWindow);
    Activate(window);
    return TRUE;
}

HWND WINAPI SetFocus(HWND handle) {
    HWND previous = focusWindow;
    if (!handle) {
        if (WindowRecord* old = LookupWindow(focusWindow)) {
            focusWindow = nullptr;
            SendToWindow(old, WM_KILLFOCUS, 0, 0);
        }
        return previous;
    }
    WindowRecord* window = LookupWindow(handle);
    if (!window || window->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (focusWindow != handle || activeWindow != handle) {
        Activate(window);
        if (Alive(window) && window->visible) SDL_SetWindowInputFocus(window->sdlWindow);
    }
    return previous;
}

HWND WINAPI GetFocus(void) { return focusWindow; }

BOOL WINAPI IsWindow(HWND handle) { return LookupWindow(handle) ? TRUE : FALSE; }

BOOL WINAPI MoveWindow(HWND handle, int x, int y, int width, int height, BOOL) {
    WindowRecord* window = LookupWindow(handle);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    SDL_SetWindowSize(window->sdlWindow, width > 0 ? width : 1, height > 0 ? height : 1);
    SDL_SetWindowPosition(window->sdlWindow, x, y);
    SendToWindow(window, WM_MOVE, 0, MAKELPARAM(x, y));
    if (!Alive(window)) return TRUE;
    SendToWindow(window, WM_SIZE, window->minimized ? SIZE_MINIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
    WindowRecord* window = LookupWindow(handle);
    if (!window || !rect) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    rect->left = window->x;
    rect->top = window->y;
    rect->right = SumHeldToLong(window->x, window->width);
    rect->bottom = SumHeldToLong(window->y, window->height);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
    WindowRecord* window = LookupWindow(handle);
    if (!window || !rect) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    rect->left = 0;
    rect->top = 0;
    rect->right = window->width;
    rect->bottom = window->height;
    return TRUE;
}

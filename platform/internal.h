// What the files of the platform layer share among themselves. Nothing outside platform/ (other
// than the layer's own tests) includes this.
#pragma once

#include "platform/platform_seams.h"
#include "platform/win32.h"

#include <SDL2/SDL.h>

#include <string>
#include <vector>

// ---- handles --------------------------------------------------------------------------------
// Handles are small numbers dressed as pointers, never addresses of our records: a stale or made-up
// handle is looked up, not dereferenced, so it fails cleanly instead of crashing. Numbers are never
// reused within a run.
enum HandleKind : uintptr_t {
    kHandleWindow = 1,
    kHandleDC = 2,
    kHandleContext = 3,
    kHandleFile = 4,
};
inline uintptr_t MakeHandleValue(HandleKind kind, uintptr_t serial) { return (serial << 8) | (kind << 4); }

// ---- windows (windows.cpp) -----------------------------------------------------------------
struct WindowRecord {
    HWND handle = nullptr;
    HDC dc = nullptr;
    SDL_Window* sdlWindow = nullptr;
    Uint32 sdlId = 0;
    std::string className;  // as registered
    HINSTANCE classInstance = nullptr;
    WNDPROC procedure = nullptr;
    HCURSOR cursor = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;  // outer rectangle in desktop pixels (= client area)
    bool visible = false;
    bool minimized = false;
    bool destroying = false;  // inside DestroyWindow: no new sends, no second destroy
    int heldDCs = 0;          // GetDC calls not yet matched by ReleaseDC
    int pixelFormat = 0;      // set once by SetPixelFormat
};

WindowRecord* LookupWindow(HWND window);         // live windows only; null otherwise
WindowRecord* LookupWindowBySdlId(Uint32 sdlId);  // live windows only
WindowRecord* LookupWindowByDC(HDC dc);
WindowRecord* MainWindowRecord();               // the newest live window, or null
HWND ActiveWindowHandle();

// Activation and focus changes driven by the system (SDL window events).
void SystemActivate(WindowRecord* window, bool active);
void SystemMinimized(WindowRecord* window, bool minimized);
void SystemMoved(WindowRecord* window, int x, int y);
void SystemResized(WindowRecord* window, int width, int height);

// ---- video (video.cpp) ---------------------------------------------------------------------
// Initialises SDL's video subsystem once, with the hints and GL attributes the layer relies on.
bool EnsureVideo();
bool VideoReady();  // initialised already (never initialises)
bool VideoIsX11();  // the video driver talks to an X server

// ---- messages (messages.cpp) ---------------------------------------------------------------
// Delivers a message to the window's procedure straight away, as a sent message.
LRESULT SendToWindow(WindowRecord* window, UINT message, WPARAM wParam, LPARAM lParam);
void PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void DropQueuedMessagesFor(HWND window);
void RecordDelivery(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool sent);

// ---- keyboard (keyboard.cpp) ---------------------------------------------------------------
struct KeyTranslation {
    UINT message = 0;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP; 0 for a key we do not map
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
// The virtual key of an SDL key (generic VK_SHIFT/VK_CONTROL/VK_MENU for either side), its PC scan
// code and whether it is an extended key. numLock picks digits or navigation for the keypad.
struct KeyMapping {
    int virtualKey = 0;
    int scanCode = 0;
    bool extended = false;
};
KeyMapping MapSdlKey(SDL_Scancode scancode, SDL_Keycode keycode, bool numLock);
KeyTranslation TranslateKeyEvent(const SDL_KeyboardEvent& event);
// The character TranslateMessage posts for a key-down, or 0 for none.
int CharacterForKey(int virtualKey, bool shift, bool capsLock, bool control);
// The SDL scancodes that make up a virtual key (for SDL's keyboard state without X).
std::vector<SDL_Scancode> ScancodesForVirtualKey(int virtualKey);

// ---- X server access (x11.cpp) -------------------------------------------------------------
// The layer's own connection to the X server SDL uses, for the physical pointer and keys.
bool X11PointerState(int* x, int* y, unsigned int* buttonMask);  // false without X
// 1 down, 0 up, -1 when the X server cannot answer for this key.
int X11KeyDown(int virtualKey);
void X11Close();

// ---- cursor (cursor.cpp) --------------------------------------------------------------------
void ApplyClassCursor(HCURSOR cursor);
void FreeSystemCursors();
// The cursor position in desktop pixels: the seam, the X server, or SDL's global mouse state.
POINT CurrentCursorPos();

// ---- GL (gl.cpp) ----------------------------------------------------------------------------
// A window is going away: detach any context current on it.
void GlWindowDestroyed(WindowRecord* window);

// ---- seams (seams.cpp) ----------------------------------------------------------------------
// Counts the call and answers whether a test wants it to fail now.
bool SeamShouldFail(PlatformCall call);
bool SeamKeyOverride(int virtualKey, bool* held);  // true when the key seam is in force
bool SeamCursorOverride(POINT* point);
bool SeamScreenSizeOverride(int* width, int* height);
bool SeamSleepRecorded(DWORD milliseconds);  // true when recorded instead of slept
void SeamRunSwapHook(HDC dc);
void SeamCountSwap();
void SeamAdjustLiveWindows(int delta);
void SeamAdjustLiveContexts(int delta);
void SeamAdjustClasses(int delta);
void SeamAdjustOpenFiles(int delta);
int HeldDCCount();
int CursorDisplayCount();

// ---- process (process.cpp) ------------------------------------------------------------------
// Set by entry.cpp's signal handler; PeekMessageA turns it into WM_CLOSE for the main window.
void PlatformRequestClose();
bool PlatformTakeCloseRequest();
void PlatformShutdown();

// a + b held to the LONG range: MoveWindow takes any position and size, so a window's far edge,
// or a point inside it in desktop coordinates, must not overflow.
inline LONG SumHeldToLong(long long a, long long b) {
    const long long sum = a + b;
    return sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : (LONG)sum;
}

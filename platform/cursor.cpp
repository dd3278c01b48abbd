// The pointer: system icons and cursors, the cursor's display count, and the pointer position.
#include "platform/internal.h"

namespace {

// System resources are fixed handles, told apart by their resource number.
const uintptr_t kCursorTag = 0x5C000000u;
const uintptr_t kIconTag = 0x1C000000u;

int displayCount = 0;
SDL_Cursor* systemCursors[2] = {nullptr, nullptr};  // arrow, cross-hair

bool IsSystemCursorName(LPCSTR name) { return name == IDC_ARROW || name == IDC_CROSS; }
bool IsSystemIconName(LPCSTR name) { return name == IDI_APPLICATION || name == IDI_WINLOGO; }

}  // namespace

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
    // The program carries no resources of its own; only the system's icons exist.
    if (instance != nullptr || !IsSystemIconName(iconName)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HICON>(kIconTag | reinterpret_cast<uintptr_t>(iconName));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
    if (instance != nullptr || !IsSystemCursorName(cursorName)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(kCursorTag | reinterpret_cast<uintptr_t>(cursorName));
}

void ApplyClassCursor(HCURSOR cursor) {
    uintptr_t value = reinterpret_cast<uintptr_t>(cursor);
    if ((value & ~static_cast<uintptr_t>(0xFFFF)) != kCursorTag || !VideoReady()) return;
    bool cross = reinterpret_cast<LPCSTR>(value & 0xFFFF) == IDC_CROSS;
    SDL_Cursor*& slot = systemCursors[cross ? 1 : 0];
    if (!slot) slot = SDL_CreateSystemCursor(cross ? SDL_SYSTEM_CURSOR_CROSSHAIR : SDL_SYSTEM_CURSOR_ARROW);
    if (slot) SDL_SetCursor(slot);
}

void FreeSystemCursors() {
    for (SDL_Cursor*& cursor : systemCursors) {
        if (cursor) SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
}

int WINAPI ShowCursor(BOOL show) {
    displayCount += show ? 1 : -1;
    if (VideoReady()) SDL_ShowCursor(displayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return displayCount;
}

int CursorDisplayCount() { return displayCount; }

POINT CurrentCursorPos() {
    POINT point{0, 0};
    if (SeamCursorOverride(&point)) return point;
    int x = 0, y = 0;
    if (VideoIsX11() && X11PointerState(&x, &y, nullptr)) {
        point.x = x;
        point.y = y;
    } else if (VideoReady()) {
        SDL_GetGlobalMouseState(&x, &y);
        point.x = x;
        point.y = y;
    }
    return point;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *point = CurrentCursorPos();
    return TRUE;
}

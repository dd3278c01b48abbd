// Keys: SDL keys to virtual-key codes and key messages, the characters TranslateMessage makes,
// and GetAsyncKeyState.
#include "platform/internal.h"

namespace {

struct KeyEntry {
    SDL_Scancode scancode;
    int virtualKey;  // generic code for the two-sided modifiers
    int sidedKey;    // VK_LSHIFT etc., or 0
    int scanCode;    // PC set-1 scan code
    bool extended;
};

// One row per physical key. Letters and digits follow the layout (see MapSdlKey); the rest are
// positional, named after the US layout as Win32 names them.
const KeyEntry kKeys[] = {
    {SDL_SCANCODE_A, 'A', 0, 0x1E, false}, {SDL_SCANCODE_B, 'B', 0, 0x30, false},
    {SDL_SCANCODE_C, 'C', 0, 0x2E, false}, {SDL_SCANCODE_D, 'D', 0, 0x20, false},
    {SDL_SCANCODE_E, 'E', 0, 0x12, false}, {SDL_SCANCODE_F, 'F', 0, 0x21, false},
    {SDL_SCANCODE_G, 'G', 0, 0x22, false}, {SDL_SCANCODE_H, 'H', 0, 0x23, false},
    {SDL_SCANCODE_I, 'I', 0, 0x17, false}, {SDL_SCANCODE_J, 'J', 0, 0x24, false},
    {SDL_SCANCODE_K, 'K', 0, 0x25, false}, {SDL_SCANCODE_L, 'L', 0, 0x26, false},
    {SDL_SCANCODE_M, 'M', 0, 0x32, false}, {SDL_SCANCODE_N, 'N', 0, 0x31, false},
    {SDL_SCANCODE_O, 'O', 0, 0x18, false}, {SDL_SCANCODE_P, 'P', 0, 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0, 0x10, false}, {SDL_SCANCODE_R, 'R', 0, 0x13, false},
    {SDL_SCANCODE_S, 'S', 0, 0x1F, false}, {SDL_SCANCODE_T, 'T', 0, 0x14, false},
    {SDL_SCANCODE_U, 'U', 0, 0x16, false}, {SDL_SCANCODE_V, 'V', 0, 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0, 0x11, false}, {SDL_SCANCODE_X, 'X', 0, 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0, 0x15, false}, {SDL_SCANCODE_Z, 'Z', 0, 0x2C, false},
    {SDL_SCANCODE_1, '1', 0, 0x02, false}, {SDL_SCANCODE_2, '2', 0, 0x03, false},
    {SDL_SCANCODE_3, '3', 0, 0x04, false}, {SDL_SCANCODE_4, '4', 0, 0x05, false},
    {SDL_SCANCODE_5, '5', 0, 0x06, false}, {SDL_SCANCODE_6, '6', 0, 0x07, false},
    {SDL_SCANCODE_7, '7', 0, 0x08, false}, {SDL_SCANCODE_8, '8', 0, 0x09, false},
    {SDL_SCANCODE_9, '9', 0, 0x0A, false}, {SDL_SCANCODE_0, '0', 0, 0x0B, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0, 0x39, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0, 0x0C, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0, 0x28, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0, 0x29, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0, 0x33, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0, 0x34, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0, 0x35, false},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0, 0x56, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0, 0x3A, false},
    {SDL_SCANCODE_F1, VK_F1, 0, 0x3B, false}, {SDL_SCANCODE_F2, VK_F2, 0, 0x3C, false},
    {SDL_SCANCODE_F3, VK_F3, 0, 0x3D, false}, {SDL_SCANCODE_F4, VK_F4, 0, 0x3E, false},
    {SDL_SCANCODE_F5, VK_F5, 0, 0x3F, false}, {SDL_SCANCODE_F6, VK_F6, 0, 0x40, false},
    {SDL_SCANCODE_F7, VK_F7, 0, 0x41, false}, {SDL_SCANCODE_F8, VK_F8, 0, 0x42, false},
    {SDL_SCANCODE_F9, VK_F9, 0, 0x43, false}, {SDL_SCANCODE_F10, VK_F10, 0, 0x44, false},
    {SDL_SCANCODE_F11, VK_F11, 0, 0x57, false}, {SDL_SCANCODE_F12, VK_F12, 0, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0, 0x46, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0, 0x45, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0, 0x52, true},
    {SDL_SCANCODE_HOME, VK_HOME, 0, 0x47, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0, 0x49, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0, 0x53, true},
    {SDL_SCANCODE_END, VK_END, 0, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0, 0x51, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0, 0x4D, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0, 0x4B, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0, 0x50, true},
    {SDL_SCANCODE_UP, VK_UP, 0, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0, 0x1C, true},
    {SDL_SCANCODE_KP_1, VK_NUMPAD1, 0, 0x4F, false}, {SDL_SCANCODE_KP_2, VK_NUMPAD2, 0, 0x50, false},
    {SDL_SCANCODE_KP_3, VK_NUMPAD3, 0, 0x51, false}, {SDL_SCANCODE_KP_4, VK_NUMPAD4, 0, 0x4B, false},
    {SDL_SCANCODE_KP_5, VK_NUMPAD5, 0, 0x4C, false}, {SDL_SCANCODE_KP_6, VK_NUMPAD6, 0, 0x4D, false},
    {SDL_SCANCODE_KP_7, VK_NUMPAD7, 0, 0x47, false}, {SDL_SCANCODE_KP_8, VK_NUMPAD8, 0, 0x48, false},
    {SDL_SCANCODE_KP_9, VK_NUMPAD9, 0, 0x49, false}, {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0, 0x53, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0, 0x5D, true},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, VK_LCONTROL, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, VK_LSHIFT, 0x2A, false},
    {SDL_SCANCODE_LALT, VK_MENU, VK_LMENU, 0x38, false},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0, 0x5B, true},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, VK_RCONTROL, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, VK_RSHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, VK_MENU, VK_RMENU, 0x38, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0, 0x5C, true},
};

// The keypad's keys without Num Lock, as Win32 reports them: navigation keys, not extended.
int KeypadNavigationKey(SDL_Scancode scancode) {
    switch (scancode) {
        case SDL_SCANCODE_KP_1: return VK_END;
        case SDL_SCANCODE_KP_2: return VK_DOWN;
        case SDL_SCANCODE_KP_3: return VK_NEXT;
        case SDL_SCANCODE_KP_4: return VK_LEFT;
        case SDL_SCANCODE_KP_5: return VK_CLEAR;
        case SDL_SCANCODE_KP_6: return VK_RIGHT;
        case SDL_SCANCODE_KP_7: return VK_HOME;
        case SDL_SCANCODE_KP_8: return VK_UP;
        case SDL_SCANCODE_KP_9: return VK_PRIOR;
        case SDL_SCANCODE_KP_0: return VK_INSERT;
        case SDL_SCANCODE_KP_PERIOD: return VK_DELETE;
        default: return 0;
    }
}

const KeyEntry* FindEntry(SDL_Scancode scancode) {
    for (const KeyEntry& entry : kKeys)
        if (entry.scancode == scancode) return &entry;
    return nullptr;
}

}  // namespace

KeyMapping MapSdlKey(SDL_Scancode scancode, SDL_Keycode keycode, bool numLock) {
    KeyMapping key;
    const KeyEntry* entry = FindEntry(scancode);
    if (!entry) return key;
    key.virtualKey = entry->virtualKey;
    key.scanCode = entry->scanCode;
    key.extended = entry->extended;
    if (!numLock) {
        if (int navigation = KeypadNavigationKey(scancode)) key.virtualKey = navigation;
    }
    // Letters and digits are named by what the layout puts on the key, as on Win32.
    if (keycode >= 'a' && keycode <= 'z') key.virtualKey = static_cast<int>(keycode - 'a' + 'A');
    else if (keycode >= '0' && keycode <= '9' && entry->virtualKey >= '0' && entry->virtualKey <= 'Z')
        key.virtualKey = static_cast<int>(keycode);
    return key;
}

KeyTranslation TranslateKeyEvent(const SDL_KeyboardEvent& event) {
    KeyTranslation out;
    SDL_Keymod mod = static_cast<SDL_Keymod>(event.keysym.mod);
    KeyMapping key = MapSdlKey(event.keysym.scancode, event.keysym.sym, (mod & KMOD_NUM) != 0);
    if (!key.virtualKey) return out;
    bool down = event.state == SDL_PRESSED;
    bool alt = (mod & KMOD_ALT) != 0;
    bool control = (mod & KMOD_CTRL) != 0;
    // Keys pressed with Alt (but not AltGr, which is Control+Alt), F10 and Alt itself are system keys.
    bool system = (alt && !control) || key.virtualKey == VK_F10 || (key.virtualKey == VK_MENU && !control);
    if (down)
        out.message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    else
        out.message = system ? WM_SYSKEYUP : WM_KEYUP;
    DWORD lParam = 1u;  // repeat count
    lParam |= static_cast<DWORD>(key.scanCode & 0xFF) << 16;
    if (key.extended) lParam |= 1u << 24;
    if (system && alt) lParam |= 1u << 29;
    if (down) {
        if (event.repeat) lParam |= 1u << 30;
    } else {
        lParam |= (1u << 30) | (1u << 31);
    }
    out.wParam = static_cast<WPARAM>(key.virtualKey);
    out.lParam = static_cast<LPARAM>(lParam);
    return out;
}

int CharacterForKey(int virtualKey, bool shift, bool capsLock, bool control) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (control) return virtualKey - 'A' + 1;
        return (shift != capsLock) ? virtualKey : virtualKey - 'A' + 'a';
    }
    if (virtualKey >= '0' && virtualKey <= '9') {
        if (control) return 0;
        return shift ? ")!@#$%^&*("[virtualKey - '0'] : virtualKey;
    }
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) return '0' + (virtualKey - VK_NUMPAD0);
    switch (virtualKey) {
        case VK_SPACE: return ' ';
        case VK_RETURN: return control ? '\n' : '\r';
        case VK_BACK: return control ? 0x7F : 0x08;
        case VK_TAB: return control ? 0 : '\t';
        case VK_ESCAPE: return 0x1B;
        case VK_MULTIPLY: return '*';
        case VK_ADD: return '+';
        case VK_SUBTRACT: return '-';
        case VK_DECIMAL: return '.';
        case VK_DIVIDE: return '/';
        default: break;
    }
    struct Oem {
        int virtualKey;
        char plain, shifted, controlled;
    };
    static const Oem kOem[] = {
        {VK_OEM_1, ';', ':', 0},     {VK_OEM_PLUS, '=', '+', 0},   {VK_OEM_COMMA, ',', '<', 0},
        {VK_OEM_MINUS, '-', '_', 0}, {VK_OEM_PERIOD, '.', '>', 0}, {VK_OEM_2, '/', '?', 0},
        {VK_OEM_3, '`', '~', 0},     {VK_OEM_4, '[', '{', 0x1B},   {VK_OEM_5, '\\', '|', 0x1C},
        {VK_OEM_6, ']', '}', 0x1D},  {VK_OEM_7, '\'', '"', 0},     {VK_OEM_102, '\\', '|', 0x1C},
    };
    for (const Oem& oem : kOem) {
        if (oem.virtualKey != virtualKey) continue;
        if (control) return oem.controlled;
        return shift ? oem.shifted : oem.plain;
    }
    return 0;
}

std::vector<SDL_Scancode> ScancodesForVirtualKey(int virtualKey) {
    std::vector<SDL_Scancode> scancodes;
    for (const KeyEntry& entry : kKeys) {
        if (entry.virtualKey == virtualKey || entry.sidedKey == virtualKey ||
            (entry.scancode != SDL_SCANCODE_KP_PERIOD && KeypadNavigationKey(entry.scancode) == virtualKey))
            scancodes.push_back(entry.scancode);
    }
    return scancodes;
}

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    const SHORT kDown = static_cast<SHORT>(0x8000);
    bool held = false;
    if (SeamKeyOverride(virtualKey, &held)) return held ? kDown : 0;
    if (virtualKey <= 0 || virtualKey > 255) return 0;
    if (VideoIsX11()) {
        int state = X11KeyDown(virtualKey);
        if (state >= 0) return state ? kDown : 0;
    }
    if (!VideoReady()) return 0;
    // No X server to ask (the offscreen driver): SDL's idea of the keyboard and mouse.
    if (virtualKey == VK_LBUTTON || virtualKey == VK_RBUTTON || virtualKey == VK_MBUTTON) {
        Uint32 buttons = SDL_GetGlobalMouseState(nullptr, nullptr);
        Uint32 mask = virtualKey == VK_LBUTTON   ? SDL_BUTTON_LMASK
                      : virtualKey == VK_RBUTTON ? SDL_BUTTON_RMASK
                                                 : SDL_BUTTON_MMASK;
        return (buttons & mask) ? kDown : 0;
    }
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (SDL_Scancode scancode : ScancodesForVirtualKey(virtualKey))
        if (static_cast<int>(scancode) < count && keys[scancode]) return kDown;
    return 0;
}

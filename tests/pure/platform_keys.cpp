// SDL keys to Win32 key messages: virtual keys, scan codes, flags and system keys.
#include "platform/internal.h"

#include <gtest/gtest.h>

namespace {

SDL_KeyboardEvent Key(SDL_Scancode scancode, SDL_Keycode keycode, bool down, Uint16 mod = KMOD_NONE,
                      bool repeat = false) {
    SDL_KeyboardEvent event;
    SDL_zero(event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.repeat = repeat ? 1 : 0;
    event.keysym.scancode = scancode;
    event.keysym.sym = keycode;
    event.keysym.mod = mod;
    return event;
}

TEST(PlatformKeys, KeysMapToVirtualKeysAndScanCodes) {
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        Uint16 mod;
        int virtualKey;
        int scanCode;
        bool extended;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 'A', 0x1E, false},
        {SDL_SCANCODE_M, SDLK_m, KMOD_NONE, 'M', 0x32, false},
        {SDL_SCANCODE_S, SDLK_s, KMOD_NONE, 'S', 0x1F, false},
        {SDL_SCANCODE_Q, SDLK_a, KMOD_NONE, 'A', 0x10, false},  // a layout with A where US has Q
        {SDL_SCANCODE_0, SDLK_0, KMOD_NONE, '0', 0x0B, false},
        {SDL_SCANCODE_7, SDLK_7, KMOD_NONE, '7', 0x08, false},
        {SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE, VK_F1, 0x3B, false},
        {SDL_SCANCODE_F4, SDLK_F4, KMOD_NONE, VK_F4, 0x3E, false},
        {SDL_SCANCODE_F9, SDLK_F9, KMOD_NONE, VK_F9, 0x43, false},
        {SDL_SCANCODE_F12, SDLK_F12, KMOD_NONE, VK_F12, 0x58, false},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_NONE, VK_LEFT, 0x4B, true},
        {SDL_SCANCODE_UP, SDLK_UP, KMOD_NONE, VK_UP, 0x48, true},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, KMOD_NONE, VK_RIGHT, 0x4D, true},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NONE, VK_DOWN, 0x50, true},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, KMOD_NONE, VK_PRIOR, 0x49, true},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, KMOD_NONE, VK_NEXT, 0x51, true},
        {SDL_SCANCODE_HOME, SDLK_HOME, KMOD_NONE, VK_HOME, 0x47, true},
        {SDL_SCANCODE_END, SDLK_END, KMOD_NONE, VK_END, 0x4F, true},
        {SDL_SCANCODE_INSERT, SDLK_INSERT, KMOD_NONE, VK_INSERT, 0x52, true},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, KMOD_NONE, VK_DELETE, 0x53, true},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, VK_ESCAPE, 0x01, false},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE, VK_RETURN, 0x1C, false},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NONE, VK_RETURN, 0x1C, true},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, KMOD_NONE, VK_SPACE, 0x39, false},
        {SDL_SCANCODE_TAB, SDLK_TAB, KMOD_NONE, VK_TAB, 0x0F, false},
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, VK_BACK, 0x0E, false},
        {SDL_SCANCODE_LEFTBRACKET, SDLK_LEFTBRACKET, KMOD_NONE, VK_OEM_4, 0x1A, false},
        {SDL_SCANCODE_RIGHTBRACKET, SDLK_RIGHTBRACKET, KMOD_NONE, VK_OEM_6, 0x1B, false},
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, KMOD_NONE, VK_OEM_1, 0x27, false},
        {SDL_SCANCODE_SLASH, SDLK_SLASH, KMOD_NONE, VK_OEM_2, 0x35, false},
        {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, KMOD_NONE, VK_OEM_3, 0x29, false},
        {SDL_SCANCODE_BACKSLASH, SDLK_BACKSLASH, KMOD_NONE, VK_OEM_5, 0x2B, false},
        {SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE, KMOD_NONE, VK_OEM_7, 0x28, false},
        {SDL_SCANCODE_MINUS, SDLK_MINUS, KMOD_NONE, VK_OEM_MINUS, 0x0C, false},
        {SDL_SCANCODE_EQUALS, SDLK_EQUALS, KMOD_NONE, VK_OEM_PLUS, 0x0D, false},
        {SDL_SCANCODE_COMMA, SDLK_COMMA, KMOD_NONE, VK_OEM_COMMA, 0x33, false},
        {SDL_SCANCODE_PERIOD, SDLK_PERIOD, KMOD_NONE, VK_OEM_PERIOD, 0x34, false},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_NONE, VK_SHIFT, 0x2A, false},
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_NONE, VK_SHIFT, 0x36, false},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_NONE, VK_CONTROL, 0x1D, false},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_NONE, VK_CONTROL, 0x1D, true},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM, VK_NUMPAD7, 0x47, false},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NONE, VK_HOME, 0x47, false},  // Num Lock off
        {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, KMOD_NONE, VK_ADD, 0x4E, false},
        {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, KMOD_NONE, VK_DIVIDE, 0x35, true},
    };
    for (const Case& c : cases) {
        KeyTranslation down = TranslateKeyEvent(Key(c.scancode, c.keycode, true, c.mod));
        SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
        EXPECT_EQ(down.message, static_cast<UINT>(WM_KEYDOWN));
        EXPECT_EQ(down.wParam, static_cast<WPARAM>(c.virtualKey));
        EXPECT_EQ(static_cast<DWORD>(down.lParam),
                  1u | (static_cast<DWORD>(c.scanCode) << 16) | (c.extended ? 1u << 24 : 0u));
        KeyTranslation up = TranslateKeyEvent(Key(c.scancode, c.keycode, false, c.mod));
        EXPECT_EQ(up.message, static_cast<UINT>(WM_KEYUP));
        EXPECT_EQ(up.wParam, static_cast<WPARAM>(c.virtualKey));
        EXPECT_EQ(static_cast<DWORD>(up.lParam), static_cast<DWORD>(down.lParam) | 0xC0000000u);
    }
    EXPECT_EQ(TranslateKeyEvent(Key(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, true)).message, 0u);
}

TEST(PlatformKeys, AltCombinationsF10AndAltAreSystemKeys) {
    KeyTranslation altDown = TranslateKeyEvent(Key(SDL_SCANCODE_LALT, SDLK_LALT, true, KMOD_LALT));
    EXPECT_EQ(altDown.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(altDown.wParam, static_cast<WPARAM>(VK_MENU));
    EXPECT_EQ(static_cast<DWORD>(altDown.lParam), 0x20380001u);

    KeyTranslation altF4 = TranslateKeyEvent(Key(SDL_SCANCODE_F4, SDLK_F4, true, KMOD_LALT));
    EXPECT_EQ(altF4.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(altF4.wParam, static_cast<WPARAM>(VK_F4));
    EXPECT_EQ(static_cast<DWORD>(altF4.lParam), 0x203E0001u);  // context bit 29: Alt is down
    KeyTranslation altF4Up = TranslateKeyEvent(Key(SDL_SCANCODE_F4, SDLK_F4, false, KMOD_LALT));
    EXPECT_EQ(altF4Up.message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(static_cast<DWORD>(altF4Up.lParam), 0xE03E0001u);

    KeyTranslation altUp = TranslateKeyEvent(Key(SDL_SCANCODE_LALT, SDLK_LALT, false, KMOD_NONE));
    EXPECT_EQ(altUp.message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(static_cast<DWORD>(altUp.lParam), 0xC0380001u);

    KeyTranslation f10 = TranslateKeyEvent(Key(SDL_SCANCODE_F10, SDLK_F10, true));
    EXPECT_EQ(f10.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(static_cast<DWORD>(f10.lParam), 0x00440001u);  // a system key, but Alt is not down
    EXPECT_EQ(TranslateKeyEvent(Key(SDL_SCANCODE_F10, SDLK_F10, false)).message, static_cast<UINT>(WM_SYSKEYUP));

    // AltGr (Control with Alt) types characters: ordinary key messages.
    EXPECT_EQ(TranslateKeyEvent(Key(SDL_SCANCODE_Q, SDLK_q, true, KMOD_LCTRL | KMOD_RALT)).message,
              static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(TranslateKeyEvent(Key(SDL_SCANCODE_M, SDLK_m, true, KMOD_LSHIFT)).message, static_cast<UINT>(WM_KEYDOWN));
}

TEST(PlatformKeys, AutoRepeatSetsThePreviousStateBit) {
    KeyTranslation first = TranslateKeyEvent(Key(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, true));
    KeyTranslation repeat = TranslateKeyEvent(Key(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, true, KMOD_NONE, true));
    EXPECT_EQ(repeat.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(static_cast<DWORD>(first.lParam) & (1u << 30), 0u);
    EXPECT_EQ(static_cast<DWORD>(repeat.lParam), static_cast<DWORD>(first.lParam) | (1u << 30));
}

TEST(PlatformKeys, CharactersForTranslateMessage) {
    struct Case {
        int virtualKey;
        bool shift, caps, control;
        int character;
    };
    const Case cases[] = {
        {'A', false, false, false, 'a'}, {'A', true, false, false, 'A'}, {'A', false, true, false, 'A'},
        {'A', true, true, false, 'a'},   {'C', false, false, true, 3},   {'1', false, false, false, '1'},
        {'1', true, false, false, '!'},  {VK_OEM_4, false, false, false, '['}, {VK_OEM_6, true, false, false, '}'},
        {VK_SPACE, false, false, false, ' '}, {VK_RETURN, false, false, false, '\r'},
        {VK_ESCAPE, false, false, false, 0x1B}, {VK_BACK, false, false, false, 8}, {VK_NUMPAD3, false, false, false, '3'},
        {VK_F1, false, false, false, 0}, {VK_LEFT, false, false, false, 0}, {VK_SHIFT, true, false, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharacterForKey(c.virtualKey, c.shift, c.caps, c.control), c.character) << "vk " << c.virtualKey;
}

TEST(PlatformKeys, VirtualKeysFindTheirPhysicalKeys) {
    EXPECT_EQ(ScancodesForVirtualKey(VK_OEM_4), std::vector<SDL_Scancode>{SDL_SCANCODE_LEFTBRACKET});
    EXPECT_EQ(ScancodesForVirtualKey(VK_SHIFT), (std::vector<SDL_Scancode>{SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT}));
    EXPECT_EQ(ScancodesForVirtualKey(VK_RCONTROL), std::vector<SDL_Scancode>{SDL_SCANCODE_RCTRL});
    EXPECT_TRUE(ScancodesForVirtualKey(VK_LBUTTON).empty());
}

}  // namespace

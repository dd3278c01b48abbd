// The layer's own connection to the X server that SDL talks to. SDL's cached pointer position
// lags behind pointer moves made through XTest, and its key state covers only its own windows, so
// the physical pointer and keys are asked of the server directly.
#include "platform/internal.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <stdlib.h>

#include <chrono>
#include <map>

namespace {

Display* display = nullptr;
bool displayFailed = false;
std::map<int, std::vector<KeyCode>> keycodeCache;

// Each query is a round trip to the server (some 60 us on this machine), and a frame asks several
// times in a row: three buttons one after another, the cursor twice. An answer that arrived less
// than kAnswerReuse ago is given again: no query could be fresher by more than that, since the
// round trip itself takes longer, and a frame then asks once for its buttons and once for its
// cursor. Anything older is asked again.
typedef std::chrono::steady_clock AnswerClock;
const AnswerClock::duration kAnswerReuse = std::chrono::microseconds(5);

struct PointerAnswer {
    bool valid = false;
    AnswerClock::time_point when;
    bool onScreen = false;
    int x = 0, y = 0;
    unsigned int mask = 0;
};
PointerAnswer pointerAnswer;

struct KeymapAnswer {
    bool valid = false;
    AnswerClock::time_point when;
    char keys[32];
};
KeymapAnswer keymapAnswer;

bool Recent(bool valid, AnswerClock::time_point when) { return valid && AnswerClock::now() - when < kAnswerReuse; }

Display* Connection() {
    if (display || displayFailed) return display;
    display = XOpenDisplay(nullptr);  // the same $DISPLAY SDL opened
    if (!display) displayFailed = true;
    return display;
}

// The X keysyms of a virtual key; the key is down when any of their keys is.
std::vector<KeySym> KeysymsFor(int vk) {
    if (vk >= 'A' && vk <= 'Z') return {static_cast<KeySym>(XK_a + (vk - 'A'))};
    if (vk >= '0' && vk <= '9') return {static_cast<KeySym>(XK_0 + (vk - '0'))};
    if (vk >= VK_F1 && vk <= VK_F12) return {static_cast<KeySym>(XK_F1 + (vk - VK_F1))};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return {static_cast<KeySym>(XK_KP_0 + (vk - VK_NUMPAD0))};
    switch (vk) {
        case VK_BACK: return {XK_BackSpace};
        case VK_TAB: return {XK_Tab};
        case VK_CLEAR: return {XK_KP_Begin};
        case VK_RETURN: return {XK_Return, XK_KP_Enter};
        case VK_SHIFT: return {XK_Shift_L, XK_Shift_R};
        case VK_CONTROL: return {XK_Control_L, XK_Control_R};
        case VK_MENU: return {XK_Alt_L, XK_Alt_R, XK_ISO_Level3_Shift};
        case VK_LSHIFT: return {XK_Shift_L};
        case VK_RSHIFT: return {XK_Shift_R};
        case VK_LCONTROL: return {XK_Control_L};
        case VK_RCONTROL: return {XK_Control_R};
        case VK_LMENU: return {XK_Alt_L};
        case VK_RMENU: return {XK_Alt_R, XK_ISO_Level3_Shift};
        case VK_PAUSE: return {XK_Pause};
        case VK_CAPITAL: return {XK_Caps_Lock};
        case VK_ESCAPE: return {XK_Escape};
        case VK_SPACE: return {XK_space};
        case VK_PRIOR: return {XK_Prior, XK_KP_Prior};
        case VK_NEXT: return {XK_Next, XK_KP_Next};
        case VK_END: return {XK_End, XK_KP_End};
        case VK_HOME: return {XK_Home, XK_KP_Home};
        case VK_LEFT: return {XK_Left, XK_KP_Left};
        case VK_UP: return {XK_Up, XK_KP_Up};
        case VK_RIGHT: return {XK_Right, XK_KP_Right};
        case VK_DOWN: return {XK_Down, XK_KP_Down};
        case VK_SNAPSHOT: return {XK_Print};
        case VK_INSERT: return {XK_Insert, XK_KP_Insert};
        case VK_DELETE: return {XK_Delete, XK_KP_Delete};
        case VK_LWIN: return {XK_Super_L};
        case VK_RWIN: return {XK_Super_R};
        case VK_APPS: return {XK_Menu};
        case VK_MULTIPLY: return {XK_KP_Multiply};
        case VK_ADD: return {XK_KP_Add};
        case VK_SUBTRACT: return {XK_KP_Subtract};
        case VK_DECIMAL: return {XK_KP_Decimal};
        case VK_DIVIDE: return {XK_KP_Divide};
        case VK_NUMLOCK: return {XK_Num_Lock};
        case VK_SCROLL: return {XK_Scroll_Lock};
        case VK_OEM_1: return {XK_semicolon};
        case VK_OEM_PLUS: return {XK_equal};
        case VK_OEM_COMMA: return {XK_comma};
        case VK_OEM_MINUS: return {XK_minus};
        case VK_OEM_PERIOD: return {XK_period};
        case VK_OEM_2: return {XK_slash};
        case VK_OEM_3: return {XK_grave};
        case VK_OEM_4: return {XK_bracketleft};
        case VK_OEM_5: return {XK_backslash};
        case VK_OEM_6: return {XK_bracketright};
        case VK_OEM_7: return {XK_apostrophe};
        case VK_OEM_102: return {XK_less};
        default: return {};
    }
}

const std::vector<KeyCode>& KeycodesFor(Display* connection, int vk) {
    auto found = keycodeCache.find(vk);
    if (found != keycodeCache.end()) return found->second;
    std::vector<KeyCode> codes;
    for (KeySym keysym : KeysymsFor(vk)) {
        KeyCode code = XKeysymToKeycode(connection, keysym);
        if (code) codes.push_back(code);
    }
    return keycodeCache.emplace(vk, codes).first->second;
}

}  // namespace

bool X11PointerState(int* x, int* y, unsigned int* buttonMask) {
    Display* connection = Connection();
    if (!connection) return false;
    if (!Recent(pointerAnswer.valid, pointerAnswer.when)) {
        Window root = DefaultRootWindow(connection), rootReturn, child;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned int mask = 0;
        // False when the pointer is on another screen.
        pointerAnswer.onScreen =
            XQueryPointer(connection, root, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY, &mask);
        pointerAnswer.x = rootX;
        pointerAnswer.y = rootY;
        pointerAnswer.mask = mask;
        pointerAnswer.valid = true;
        pointerAnswer.when = AnswerClock::now();
    }
    if (!pointerAnswer.onScreen) return false;
    if (x) *x = pointerAnswer.x;
    if (y) *y = pointerAnswer.y;
    if (buttonMask) *buttonMask = pointerAnswer.mask;
    return true;
}

int X11KeyDown(int vk) {
    if (vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON) {
        unsigned int mask = 0;
        if (!X11PointerState(nullptr, nullptr, &mask)) return -1;
        unsigned int bit = vk == VK_LBUTTON ? Button1Mask : vk == VK_RBUTTON ? Button3Mask : Button2Mask;
        return (mask & bit) ? 1 : 0;
    }
    Display* connection = Connection();
    if (!connection) return -1;
    const std::vector<KeyCode>& codes = KeycodesFor(connection, vk);
    if (codes.empty()) return -1;
    if (!Recent(keymapAnswer.valid, keymapAnswer.when)) {
        XQueryKeymap(connection, keymapAnswer.keys);
        keymapAnswer.valid = true;
        keymapAnswer.when = AnswerClock::now();
    }
    for (KeyCode code : codes)
        if (keymapAnswer.keys[code / 8] & (1 << (code % 8))) return 1;
    return 0;
}

void X11Close() {
    if (display) XCloseDisplay(display);
    display = nullptr;
    displayFailed = false;
    keycodeCache.clear();
    pointerAnswer = PointerAnswer();
    keymapAnswer = KeymapAnswer();
}

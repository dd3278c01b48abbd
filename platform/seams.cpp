// Test seams: failure injection, call counts, live-object counters and recorded side effects.
// Every seam is a flag test on the normal path, so they cost nothing when off.
#include "platform/internal.h"

#include <array>

namespace {

struct FailPlan {
    bool armed = false;
    int skip = 0;
    bool always = false;
};

constexpr size_t kCallKinds = static_cast<size_t>(PlatformCall::Count);
std::array<int, kCallKinds> callCounts{};
std::array<FailPlan, kCallKinds> failPlans{};
bool anyFailArmed = false;

int liveWindows = 0;
int liveContexts = 0;
int registeredClasses = 0;
int openFiles = 0;

std::vector<SeamDeliveredMessage> deliveries;
// The real program never resets the record, so it is bounded: past this size the older half goes.
constexpr size_t kMaxDeliveries = 1u << 16;

bool keySeamOn = false;
std::array<bool, 256> keysHeld{};
bool cursorSeamOn = false;
POINT seamCursor{0, 0};
bool screenSeamOn = false;
int seamScreenWidth = 0, seamScreenHeight = 0;
bool recordingSleeps = false;
std::vector<DWORD> recordedSleeps;
SeamSwapHook swapHook = nullptr;
void* swapHookData = nullptr;
int swapCount = 0;

}  // namespace

bool SeamShouldFail(PlatformCall call) {
    size_t index = static_cast<size_t>(call);
    ++callCounts[index];
    if (!anyFailArmed) return false;
    FailPlan& plan = failPlans[index];
    if (!plan.armed) return false;
    if (plan.skip > 0) {
        --plan.skip;
        return false;
    }
    if (!plan.always) plan.armed = false;
    return true;
}

void SeamReset() {
    callCounts.fill(0);
    failPlans.fill(FailPlan{});
    anyFailArmed = false;
    deliveries.clear();
    keySeamOn = false;
    keysHeld.fill(false);
    cursorSeamOn = false;
    screenSeamOn = false;
    recordingSleeps = false;
    recordedSleeps.clear();
    swapHook = nullptr;
    swapHookData = nullptr;
    swapCount = 0;
}

void SeamFailCall(PlatformCall call, int skip, bool failAlways) {
    if (call == PlatformCall::Count) return;
    FailPlan& plan = failPlans[static_cast<size_t>(call)];
    plan.armed = true;
    plan.skip = skip < 0 ? 0 : skip;
    plan.always = failAlways;
    anyFailArmed = true;
}

int SeamCallCount(PlatformCall call) {
    if (call == PlatformCall::Count) return 0;
    return callCounts[static_cast<size_t>(call)];
}

int SeamLiveWindows() { return liveWindows; }
int SeamLiveContexts() { return liveContexts; }
int SeamRegisteredClasses() { return registeredClasses; }
int SeamHeldDCs() { return HeldDCCount(); }
int SeamOpenFiles() { return openFiles; }

void SeamAdjustLiveWindows(int delta) { liveWindows += delta; }
void SeamAdjustLiveContexts(int delta) { liveContexts += delta; }
void SeamAdjustClasses(int delta) { registeredClasses += delta; }
void SeamAdjustOpenFiles(int delta) { openFiles += delta; }

void SeamPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PostToQueue(window, message, wParam, lParam);
}

void RecordDelivery(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool sent) {
    if (deliveries.size() >= kMaxDeliveries) deliveries.erase(deliveries.begin(), deliveries.begin() + kMaxDeliveries / 2);
    deliveries.push_back(SeamDeliveredMessage{window, message, wParam, lParam, sent});
}

const std::vector<SeamDeliveredMessage>& SeamDeliveredMessages() { return deliveries; }

void SeamSetKeyHeld(int virtualKey, bool held) {
    keySeamOn = true;
    if (virtualKey >= 0 && virtualKey < 256) keysHeld[static_cast<size_t>(virtualKey)] = held;
}

bool SeamKeyOverride(int virtualKey, bool* held) {
    if (!keySeamOn) return false;
    *held = virtualKey >= 0 && virtualKey < 256 && keysHeld[static_cast<size_t>(virtualKey)];
    return true;
}

void SeamSetCursorPos(int x, int y) {
    cursorSeamOn = true;
    seamCursor.x = x;
    seamCursor.y = y;
}

bool SeamCursorOverride(POINT* point) {
    if (!cursorSeamOn) return false;
    *point = seamCursor;
    return true;
}

void SeamSetScreenSize(int width, int height) {
    screenSeamOn = true;
    seamScreenWidth = width;
    seamScreenHeight = height;
}

bool SeamScreenSizeOverride(int* width, int* height) {
    if (!screenSeamOn) return false;
    *width = seamScreenWidth;
    *height = seamScreenHeight;
    return true;
}

void SeamRecordSleeps(bool record) { recordingSleeps = record; }
const std::vector<DWORD>& SeamRecordedSleeps() { return recordedSleeps; }

bool SeamSleepRecorded(DWORD milliseconds) {
    if (!recordingSleeps) return false;
    recordedSleeps.push_back(milliseconds);
    return true;
}

void SeamSetSwapHook(SeamSwapHook hook, void* userData) {
    swapHook = hook;
    swapHookData = userData;
}

void SeamRunSwapHook(HDC dc) {
    if (swapHook) swapHook(dc, swapHookData);
}

void SeamCountSwap() { ++swapCount; }
int SeamSwapCount() { return swapCount; }

int SeamCursorDisplayCount() { return CursorDisplayCount(); }

std::string SeamWindowClassName(HWND window) {
    WindowRecord* record = LookupWindow(window);
    return record ? record->className : std::string();
}

DWORD SeamWindowStyle(HWND window) {
    WindowRecord* record = LookupWindow(window);
    return record ? record->style : 0;
}

DWORD SeamWindowExStyle(HWND window) {
    WindowRecord* record = LookupWindow(window);
    return record ? record->exStyle : 0;
}

int SeamWindowPixelFormat(HDC dc) {
    WindowRecord* record = LookupWindowByDC(dc);
    return record ? record->pixelFormat : 0;
}

// Test seams of the platform layer. Tests use these to drive and observe the layer; the program
// itself never calls them. Every seam starts off (the layer behaves as the real platform would) and
// SeamReset() turns them all off again.
#pragma once

#include "platform/win32.h"

#ifndef _WIN32

#include <string>
#include <vector>

// Platform calls that a test can make fail.
enum class PlatformCall {
    RegisterClass,
    UnregisterClass,
    CreateWindow,
    DestroyWindow,
    GetDC,
    ReleaseDC,
    ChoosePixelFormat,
    SetPixelFormat,
    CreateContext,
    MakeCurrent,
    DeleteContext,
    SwapBuffers,
    CreateFile,
    ReadFile,
    WriteFile,
    CloseHandle,
    FlushFileBuffers,
    MoveFile,
    DeleteFile,
    Count
};

// Turn every seam off, forget all recorded calls. Windows, contexts and files that are still open
// stay open.
void SeamReset();

// Make the (skip + 1)-th call of `call` from now on fail, once; skip 0 fails the next call.
// Passing failAlways makes every call from that one on fail until SeamReset.
void SeamFailCall(PlatformCall call, int skip = 0, bool failAlways = false);
// How many times `call` was made (successful or not) since the last SeamReset.
int SeamCallCount(PlatformCall call);

// Objects of the layer that exist right now.
int SeamLiveWindows();
int SeamLiveContexts();
int SeamRegisteredClasses();
int SeamHeldDCs();
int SeamOpenFiles();

// Messages: post one at the end of the queue, as if the system had produced it (hwnd may be null).
void SeamPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Every message that reached a window procedure since the last SeamReset, in order: sent ones
// (delivered from inside a platform call) as well as dispatched ones.
struct SeamDeliveredMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;  // delivered synchronously from inside a platform call
};
const std::vector<SeamDeliveredMessage>& SeamDeliveredMessages();

// Input state: once set, GetAsyncKeyState and GetCursorPos answer from these instead of the
// device (the X server, or SDL where there is none).
void SeamSetKeyHeld(int virtualKey, bool held);
void SeamSetCursorPos(int x, int y);

// The primary screen's size as GetSystemMetrics reports it.
void SeamSetScreenSize(int width, int height);

// Sleep: while recording, Sleep returns at once and its durations are kept.
void SeamRecordSleeps(bool record);
const std::vector<DWORD>& SeamRecordedSleeps();

// Called from inside SwapBuffers, just before the buffers are swapped (the back buffer still holds
// the frame being shown). Null to remove.
typedef void (*SeamSwapHook)(HDC dc, void* userData);
void SeamSetSwapHook(SeamSwapHook hook, void* userData);
int SeamSwapCount();

// ShowCursor's display count.
int SeamCursorDisplayCount();

// The class a window was created with, its style, and the pixel format its DC carries.
std::string SeamWindowClassName(HWND window);
DWORD SeamWindowStyle(HWND window);
DWORD SeamWindowExStyle(HWND window);
int SeamWindowPixelFormat(HDC dc);

#endif  // !_WIN32

// The window procedure and the key-polling functions.
#pragma once

#include "platform/win32.h"

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// 1 when the key is physically down right now, else 0.
int IsKeyHeld(int vk);
// The exact complement of IsKeyHeld.
int IsKeyReleased(int vk);

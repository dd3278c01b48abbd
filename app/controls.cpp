#include "app/controls.h"

#include "app/display_window.h"
#include "app/program_state.h"
#include "app/window_proc.h"

namespace {

const char kTitle[] = "DUD";
// Letter keys have their capital's code as virtual-key code.
const int kKeyM = 0x4D;
const int kKeyS = 0x53;

// Window size for zoom 1 ... 4; MoveWindow takes it as the outer size (the window has no frame).
bool ZoomedSize(int zoom, int* width, int* height) {
    if (zoom < 1 || zoom > kMaxZoom) return false;
    *width = kScreenWidth * zoom;
    *height = kScreenHeight * zoom;
    return true;
}

void MoveWindowToCursor() {
    POINT cursor;
    GetCursorPos(&cursor);
    int width, height;
    if (ZoomedSize(zoomFactor, &width, &height)) MoveWindow(mainWindow, cursor.x, cursor.y, width, height, TRUE);
    ShowCursor(TRUE);
}

bool RecreateWindow(int zoom) {
    zoomFactor = zoom;
    CloseDisplayWindow();
    return OpenDisplayWindow(kTitle, kScreenWidth * zoom, kScreenHeight * zoom, 16, fullscreenFlag);
}

}  // namespace

bool ApplyControls() {
    if (keyDown[kKeyM]) MoveWindowToCursor();
    if (keyDown[kKeyS]) ShowCursor(TRUE);

    if (keyDown[VK_PRIOR]) {
        cubeHalfSize += 0.1f;
        if (cubeHalfSize > 2.5f) cubeHalfSize = 2.5f;
        Sleep(100);
    }
    if (keyDown[VK_NEXT]) {
        cubeHalfSize -= 0.1f;
        if (cubeHalfSize < 1.0f) cubeHalfSize = 1.0f;
        Sleep(100);
    }
    if (keyDown[VK_UP]) {
        spinSpeedX -= 0.1f;
        Sleep(100);
    }
    if (keyDown[VK_DOWN]) {
        spinSpeedX += 0.1f;
        Sleep(100);
    }
    if (keyDown[VK_RIGHT]) {
        spinSpeedY -= 0.1f;
        Sleep(100);
    }
    if (keyDown[VK_LEFT]) {
        spinSpeedY += 0.1f;
        Sleep(100);
    }

    // [ and ] read the physical keys, so they act even while another window has the focus.
    if (IsKeyHeld(VK_OEM_4)) {
        stepValue -= 1;
        if (stepValue < 1) stepValue = 1;
        Sleep(200);
    }
    if (IsKeyHeld(VK_OEM_6)) {
        stepValue += 1;
        if (stepValue > 60) stepValue = 60;
        Sleep(200);
    }

    for (int zoom = 1; zoom <= kMaxZoom; zoom++) {
        const int key = VK_F1 + zoom - 1;
        if (!keyDown[key]) continue;
        if (!RecreateWindow(zoom)) return false;
        keyDown[key] = false;
    }

    for (int choice = 0; choice < kTextureCount; choice++) {
        if (keyDown[VK_F5 + choice]) textureChoice = choice;
    }
    return true;
}

// The entry point: start-up, the main loop, shutdown.
#include <stdlib.h>
#include <string.h>

#include "app/controls.h"
#include "app/display_window.h"
#include "app/program_state.h"
#include "scene/frame.h"
#include "scene/texture_images.h"
#include "screen/screen_buffer.h"
#include "world/voxel_maps.h"

namespace {

// Nothing can run without these blocks; they live until the process ends.
void* AllocateOrDie(size_t bytes) {
    void* block = malloc(bytes);
    if (!block) abort();
    return block;
}

void LoadTextureImages() {
    textureImages = (TextureImage*)AllocateOrDie(sizeof(TextureImage) * kTextureImageSlots);
    memset(textureImages, 0, sizeof(TextureImage) * kTextureImageSlots);
    for (int slot = 0; slot < kTextureCount; slot++) LoadBitmapImage(textureFilePaths[slot], slot);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MSG msg;
    memset(&msg, 0, sizeof msg);  // the exit code when the loop ends before any message arrived
    int done = 0;

    LoadTextureImages();
    BuildDungeon();
    if (!OpenDisplayWindow("DUD", kScreenWidth * zoomFactor, kScreenHeight * zoomFactor, 16, fullscreenFlag)) {
        return 0;
    }
    InitScreenBuffers();
    ShowCursor(TRUE);

    while (!done) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                done = 1;
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            continue;
        }
        if (isActive && !DrawFrame()) {
            done = 1;
            continue;
        }
        if (keyDown[VK_ESCAPE]) {
            // A user's Escape is a normal end: exit code 0, not whatever the last message left.
            msg.wParam = 0;
            done = 1;
            continue;
        }
        PresentScreen();
        SwapBuffers(windowDC);
        if (!ApplyControls()) return 0;
    }

    CloseDisplayWindow();
    return (int)msg.wParam;
}

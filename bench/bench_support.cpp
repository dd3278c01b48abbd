#include "bench/bench_support.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "app/display_window.h"
#include "app/program_state.h"
#include "app/random.h"
#include "platform/platform_seams.h"
#include "scene/texture_images.h"
#include "screen/screen_buffer.h"
#include "world/voxel_maps.h"

void EnsureProgramStarted() {
    static bool started = false;
    if (started) return;
    started = true;
    // The texture paths are relative to the folder that holds bmp_cube/.
    if (chdir(DUD_SOURCE_DIR) != 0) abort();
    textureImages = (TextureImage*)calloc(kTextureImageSlots, sizeof(TextureImage));
    for (int slot = 0; slot < kTextureCount; slot++) LoadBitmapImage(textureFilePaths[slot], slot);
    BuildDungeon();
    InitScreenBuffers();
}

bool OpenProgramWindow(int zoom) {
    EnsureProgramStarted();
    zoomFactor = zoom;
    if (!OpenDisplayWindow("DUD", kScreenWidth * zoom, kScreenHeight * zoom, 16, false)) return false;
    RECT window;
    GetWindowRect(mainWindow, &window);
    SeamSetCursorPos((window.left + window.right) / 2, (window.top + window.bottom) / 2);
    return true;
}

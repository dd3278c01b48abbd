#include "fuzz/fuzz_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "app/display_window.h"
#include "app/program_state.h"
#include "scene/texture_images.h"
#include "screen/screen_buffer.h"

namespace {

std::string scratchFolder;

void RemoveScratchFolder() {
    if (scratchFolder.empty()) return;
    std::string command = "rm -rf '" + scratchFolder + "'";
    if (system(command.c_str()) != 0) fprintf(stderr, "could not remove %s\n", scratchFolder.c_str());
}

}  // namespace

const std::string& EnterScratchFolder() {
    if (scratchFolder.empty()) {
        char pattern[] = "/tmp/dud_fuzz_XXXXXX";
        if (!mkdtemp(pattern) || chdir(pattern) != 0) {
            perror("scratch folder");
            abort();
        }
        scratchFolder = pattern;
        atexit(RemoveScratchFolder);
    }
    return scratchFolder;
}

void AllocateStartupBuffers() {
    if (!textureImages) textureImages = new TextureImage[kTextureImageSlots]();
    if (!screenPixels) InitScreenBuffers();
}

void OpenOffscreenDisplay() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    AllocateStartupBuffers();
    zoomFactor = 1;
    if (!OpenDisplayWindow("DUD", kScreenWidth, kScreenHeight, 32, false)) {
        fprintf(stderr, "no offscreen display window\n");
        abort();
    }
}

void WriteFileBytes(const char* path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path, "wb");
    if (!f || (size && fwrite(data, 1, size, f) != size) || fclose(f) != 0) {
        perror(path);
        abort();
    }
}

uint8_t InputReader::Byte() {
    if (size == 0) return 0;
    uint8_t b = *data++;
    size--;
    return b;
}

uint32_t InputReader::U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++) v |= (uint32_t)Byte() << (8 * i);
    return v;
}

uint64_t InputReader::U64() {
    uint64_t low = U32();
    return low | (uint64_t)U32() << 32;
}

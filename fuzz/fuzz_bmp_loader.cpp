// The BMP loader on arbitrary file bytes. Whatever the file holds, the slot must stay sound: a
// block, when there is one, is exactly width * height * 3 bytes of live memory, and a failed load
// never leaves a released block behind. The same bytes are loaded twice into one slot, so that
// every path also runs over a slot that already holds an image.
#include <sanitizer/allocator_interface.h>
#include <stdio.h>
#include <stdlib.h>

#include "app/program_state.h"
#include "fuzz/fuzz_support.h"
#include "scene/texture_images.h"

namespace {

const char* kPath = "input.bmp";

void CheckSlot(const TextureImage& image, bool loaded) {
    if (loaded && image.channels != 3) abort();
    if (!image.pixels) return;
    if (image.channels != 3 || image.width <= 0 || image.height <= 0) abort();
    const size_t expected = (size_t)image.width * image.height * 3;
    // The allocator knows the block's true size; a stale (released) block aborts here too.
    if (!__sanitizer_get_ownership(image.pixels)) abort();
    if (__sanitizer_get_allocated_size(image.pixels) != expected) abort();
    volatile unsigned char touch = image.pixels[0] ^ image.pixels[expected - 1];
    (void)touch;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterScratchFolder();
    AllocateStartupBuffers();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFileBytes(kPath, data, size);
    TextureImage& image = textureImages[7];
    for (int pass = 0; pass < 2; pass++) {
        bool loaded = LoadBitmapImage(".\\input.bmp", 7);
        CheckSlot(image, loaded);
    }
    delete[] image.pixels;
    image = TextureImage();
    return 0;
}

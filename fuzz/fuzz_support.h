// What the fuzz targets share: a private working folder, the program's start-up buffers, and a
// display window on an offscreen context for the targets that draw frames.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// Makes a fresh folder under /tmp (removed at exit) and makes it the current directory; its path.
const std::string& EnterScratchFolder();
// The texture image table and the three screen buffers, as start-up allocates them.
void AllocateStartupBuffers();
// The program's display window (320 x 240) with its OpenGL context, on SDL's offscreen driver;
// aborts when it cannot be opened, since no run would mean anything without it.
void OpenOffscreenDisplay();
// Writes bytes to a file, replacing it; aborts on failure.
void WriteFileBytes(const char* path, const uint8_t* data, size_t size);

// Reads little-endian values off the front of the input; zeros once it runs out.
struct InputReader {
    const uint8_t* data;
    size_t size;
    uint8_t Byte();
    uint32_t U32();
    int32_t I32() { return (int32_t)U32(); }
    uint64_t U64();
};

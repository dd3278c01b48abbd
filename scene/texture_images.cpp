// The cube's texture pictures: a small reader for uncompressed 24-bit BMP files, and the upload of
// the five images into OpenGL textures.
#include "scene/texture_images.h"

#include <stdint.h>

#include <new>

const char* const textureFilePaths[kTextureCount] = {
    ".\\bmp_cube\\dsc3.bmp", ".\\bmp_cube\\brickold2.bmp", ".\\bmp_cube\\brickold.bmp",
    ".\\bmp_cube\\4.bmp",    ".\\bmp_cube\\brickold3.bmp",
};

namespace {

enum {
    kHeaderBytes = 54,        // file header (14) and the classic info header (40)
    kMaxImageSide = 16384,    // no texture picture comes near these; larger headers are damaged
    kMaxImagePixels = 64 << 20,
};

long long LittleEndian32(const unsigned char* bytes) {
    return (int32_t)((uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
                           (uint32_t)bytes[3] << 24);
}

bool ReadExactly(HANDLE file, void* buffer, DWORD count) {
    DWORD got = 0;
    return ReadFile(file, buffer, count, &got, nullptr) && got == count;
}

// Everything after the open; the caller closes the file on every path.
bool ReadBitmap(HANDLE file, TextureImage& image) {
    unsigned char header[kHeaderBytes];
    if (!ReadExactly(file, header, kHeaderBytes)) return false;
    if (header[0] != 0x42 || header[1] != 0x4D) return false;
    if (header[28] != 24) return false;
    if (LittleEndian32(header + 30) != 0) return false;  // only BI_RGB: other data is not raw pixels
    const long long dataOffset = LittleEndian32(header + 10);
    if (dataOffset < kHeaderBytes) return false;  // pixels inside the header: not a file we know

    const long long width = LittleEndian32(header + 18);
    long long height = LittleEndian32(header + 22);
    // A negative height marks rows stored top-down; the image keeps OpenGL's bottom-up order.
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width < 0 || width > kMaxImageSide || height < 0 || height > kMaxImageSide) return false;
    if (width * height > kMaxImagePixels) return false;

    // From here on the slot carries the file's dimensions, also if the pixels then fail to arrive.
    image.width = (int)width;
    image.height = (int)height;
    image.channels = 3;
    delete[] image.pixels;
    image.pixels = nullptr;

    const DWORD rowBytes = (DWORD)width * 3;
    const DWORD size = rowBytes * (DWORD)height;
    if (size == 0) return true;  // an empty image: nothing to read, nothing to upload

    unsigned char* block = new (std::nothrow) unsigned char[size];
    if (!block) return false;
    bool complete = SetFilePointer(file, (LONG)dataOffset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    // Each file row is padded to a multiple of 4 bytes; the block keeps rows back to back.
    const DWORD padBytes = (4 - rowBytes % 4) % 4;
    for (long long row = 0; complete && row < height; ++row) {
        unsigned char* target = block + (DWORD)(topDown ? height - 1 - row : row) * rowBytes;
        unsigned char pad[4];
        complete = ReadExactly(file, target, rowBytes);
        // The last row's padding may be missing from the file: no pixel depends on it.
        if (complete && padBytes && row + 1 < height) complete = ReadExactly(file, pad, padBytes);
    }
    if (!complete) {
        delete[] block;
        return false;
    }
    for (DWORD i = 0; i < size; i += 3) {  // B, G, R in the file; R, G, B for OpenGL
        unsigned char blue = block[i];
        block[i] = block[i + 2];
        block[i + 2] = blue;
    }
    image.pixels = block;
    return true;
}

}  // namespace

bool LoadBitmapImage(const char* path, int slot) {
    // Read-only, existing files only: loading a picture must never create or lock one.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool loaded = ReadBitmap(file, textureImages[slot]);
    CloseHandle(file);
    return loaded;
}

int CreateTextures() {
    glGenTextures(kTextureCount, textureIds);
    // Rows are stored back to back, so a row of width * 3 bytes may end off a 4-byte boundary.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int k = 0; k < kTextureCount; ++k) {
        const TextureImage* image = textureImages ? &textureImages[k] : nullptr;
        // Without a block there is nothing to read: a zero-size image, which draws untextured.
        const bool hasPixels = image && image->pixels;
        glBindTexture(GL_TEXTURE_2D, textureIds[k]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, hasPixels ? image->width : 0, hasPixels ? image->height : 0, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, hasPixels ? image->pixels : nullptr);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return 1;
}

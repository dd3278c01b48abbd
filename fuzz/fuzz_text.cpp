// The text routines on arbitrary bytes in textBuffer (a buffer with no NUL at all included), in
// every font and variant, at any position up to the ends of the int range. No routine may write
// outside the screen, leave a pixel in any colour but the one asked for (or the shadow's black),
// or count a text length other than the text's.
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "fuzz/fuzz_support.h"
#include "screen/text.h"

namespace {

const size_t kScreenBytes = (size_t)kScreenPixelCount * 4;

// Positions: anything, with the edges of the screen and of the int range made easy to reach.
int Position(InputReader& in) {
    const uint8_t how = in.Byte();
    const int32_t raw = in.I32();
    const int small = (int8_t)(raw & 0xFF);
    switch (how % 4) {
        case 0: return raw;
        case 1: return INT_MAX - (small & 0x7F);
        case 2: return INT_MIN + (small & 0x7F);
        default: return (int)(raw % 700) - 200;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    AllocateStartupBuffers();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputReader in{data, size};
    const int routine = in.Byte() % 7;
    const int x = Position(in), y = Position(in);
    const int r = in.Byte(), g = in.Byte(), b = in.Byte();
    const int tag = in.I32();
    const uint8_t fill = in.Byte();
    const std::string rest((const char*)in.data, in.size);

    memset(textBuffer, fill, kTextBufferSize);
    memcpy(textBuffer, rest.data(), rest.size() < (size_t)kTextBufferSize ? rest.size() : kTextBufferSize);
    const size_t bufferLength = strnlen(textBuffer, kTextBufferSize);

    memset(screenPixels, 0x11, kScreenBytes + 4096);
    const int penBefore = penX = 12345, widthBefore = glyphWidth = 77;
    glyphIndex = -1;
    size_t length = bufferLength;
    switch (routine) {
        case 0: DrawSmallText(x, y, r, g, b); break;
        case 1: DrawSmallTextShadowed(x, y, r, g, b); break;
        case 2: DrawSmallTextHooked(x, y, r, g, b, tag); break;
        case 3: DrawCompactText(x, y, r, g, b); break;
        case 4: DrawLargeText(x, y, r, g, b); break;
        case 5: DrawLargeString(rest.c_str(), x, y, r, g, b), length = strlen(rest.c_str()); break;
        default: DrawLargeString(nullptr, x, y, r, g, b), length = 0; break;
    }

    for (size_t i = 0; i < kScreenBytes; i += 4) {
        const unsigned char* p = screenPixels + i;
        if (p[0] == 0x11 && p[1] == 0x11 && p[2] == 0x11 && p[3] == 0x11) continue;
        const bool colour = p[0] == r && p[1] == g && p[2] == b && p[3] == 255;
        const bool shadow = routine == 1 && p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 255;
        if (!colour && !shadow) abort();
    }
    for (size_t i = kScreenBytes; i < kScreenBytes + 4096; i++) {
        if (screenPixels[i] != 0x11) abort();  // written past the screen
    }
    if (routine == 2) {
        // The hooked routine keeps its own pen: the shared state stays as it was.
        if (penX != penBefore || glyphWidth != widthBefore || glyphIndex != -1) abort();
    } else if ((size_t)glyphIndex != length) {
        abort();
    }
    return 0;
}

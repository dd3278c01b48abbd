#include "screen/text.h"

#include <stdint.h>
#include <string.h>

#include "app/program_state.h"
#include "screen/fonts.h"
#include "screen/screen_buffer.h"

// A code whose entry holds no glyph (a placeholder, or a code of 128 and up, which is negative as
// a signed char) is skipped: it draws nothing, calls no hook, leaves the pen and glyphWidth where
// they were, and no character of its entry is read past the placeholder's end. glyphIndex still
// counts it, so it ends at the text's length.

namespace {

const int kSmallRowLength = 8;
const int kLargeRowLength = 10;
const int kSmallGlyphLength = 88;
const int kSmallSpaceLength = 80;
const int kLargeGlyphLength = 130;

// Length of s, looking at no more than limit + 1 characters.
int BoundedLength(const char* s, int limit) {
    int n = 0;
    while (n <= limit && s[n] != '\0') n++;
    return n;
}

const char* EntryFor(const char* const* font, int entries, char c) {
    const int code = (signed char)c;
    if (code <= 0 || code >= entries) return nullptr;
    return font[code];
}

// Width of a small or compact glyph, 0 for an entry without one. A real glyph is 88 characters
// (the space 80) with a width digit of 1 to 7: every row and column the routines read lies
// inside such a string, the extra column of the hooked routine included.
int SmallGlyphWidth(const char* glyph) {
    if (glyph == nullptr) return 0;
    const int length = BoundedLength(glyph, kSmallGlyphLength);
    if (length != kSmallGlyphLength && length != kSmallSpaceLength) return 0;
    const int width = glyph[0] - '0';
    return (width >= 1 && width <= 7) ? width : 0;
}

bool IsLargeGlyph(const char* glyph) {
    return glyph != nullptr && BoundedLength(glyph, kLargeGlyphLength) == kLargeGlyphLength;
}

// A position moved by a small step in 32-bit arithmetic, wrapping round the int range instead of
// overflowing. Positions come from callers and may lie at the ends of the range; one that wraps
// lands at the far other end, off the screen, where PutPixel drops it.
int Shifted(int position, int step) { return (int)(uint32_t)((uint32_t)position + (uint32_t)step); }

// Length of textBuffer's text: up to its NUL, never past the buffer.
bool TextBufferEnds(int index) { return index >= kTextBufferSize || textBuffer[index] == '\0'; }

// Glyph row n lands on y - n + 2 (upright) or y + n - 2 (upside down); shift moves every pixel
// right (the compact routine's one column).
void DrawSmallFontText(const char* const* font, int entries, bool upsideDown, int shift, int x, int y,
                       int r, int g, int b) {
    penX = x;
    for (glyphIndex = 0; !TextBufferEnds(glyphIndex); glyphIndex++) {
        const char* glyph = EntryFor(font, entries, textBuffer[glyphIndex]);
        const int width = SmallGlyphWidth(glyph);
        if (width == 0) continue;
        glyphWidth = width;
        for (int row = 1; row <= 9; row++) {
            const int py = upsideDown ? Shifted(y, row - 2) : Shifted(y, 2 - row);
            for (int col = 0; col < width; col++) {
                if (glyph[row * kSmallRowLength + col] != '0') PutPixel(Shifted(penX, col + shift), py, r, g, b);
            }
        }
        penX = Shifted(penX, width + 1);
    }
}

// The ink of a large glyph as twelve row masks (bit c for column c), read from its table entry
// the first time the code is drawn: every frame draws some 240 glyphs, and measuring each string
// and testing its 96 cells character by character cost more than the drawing. The tables stay the
// only source; they are constant, so a mask once made stays true.
struct LargeGlyphMask {
    bool made;
    bool isGlyph;
    unsigned char rows[12];
};
LargeGlyphMask largeGlyphMasks[128];  // codes 1 ... 127; others have no entry (EntryFor)

const LargeGlyphMask* LargeMaskFor(char c) {
    const int code = (signed char)c;
    if (code <= 0) return nullptr;
    LargeGlyphMask& mask = largeGlyphMasks[code];
    if (!mask.made) {
        const char* glyph = EntryFor(largeFont, 256, c);
        mask.isGlyph = IsLargeGlyph(glyph);
        for (int row = 1; row <= 12 && mask.isGlyph; row++) {
            unsigned char bits = 0;
            for (int col = 0; col < 8; col++)
                if (glyph[row * kLargeRowLength + col] != '0') bits |= (unsigned char)(1u << col);
            mask.rows[row - 1] = bits;
        }
        mask.made = true;
    }
    return mask.isGlyph ? &mask : nullptr;
}

// One glyph at the pen: row n on y - n (upright) or y + n (upside down), columns penX to penX + 7.
// A glyph wholly on the screen is written straight into it; any other goes pixel by pixel through
// PutPixel's clipping. Both write the same pixels.
void DrawLargeGlyph(const LargeGlyphMask& mask, bool upsideDown, int y, int r, int g, int b) {
    const bool columnsOn = penX >= 0 && penX <= kScreenWidth - 8;
    const bool rowsOn = upsideDown ? (y >= -1 && y <= kScreenHeight - 13) : (y >= 12 && y <= kScreenHeight);
    if (columnsOn && rowsOn) {
        const uint32_t ink = OpaquePixelWord((unsigned char)r, (unsigned char)g, (unsigned char)b);
        for (int row = 1; row <= 12; row++) {
            const unsigned bits = mask.rows[row - 1];
            if (bits == 0) continue;
            const int py = upsideDown ? y + row : y - row;
            unsigned char* line = screenPixels + ((size_t)py * kScreenWidth + penX) * 4;
            for (int col = 0; col < 8; col++)
                if (bits & (1u << col)) memcpy(line + col * 4, &ink, 4);
        }
        return;
    }
    for (int row = 1; row <= 12; row++) {
        const int py = upsideDown ? Shifted(y, row) : Shifted(y, -row);
        for (int col = 0; col < 8; col++)
            if (mask.rows[row - 1] & (1u << col)) PutPixel(Shifted(penX, col), py, r, g, b);
    }
}

void DrawLargeFontText(const char* text, bool boundedByBuffer, bool upsideDown, int x, int y, int r,
                       int g, int b) {
    penX = x;
    for (glyphIndex = 0;; glyphIndex++) {
        if (boundedByBuffer ? TextBufferEnds(glyphIndex) : text[glyphIndex] == '\0') break;
        const LargeGlyphMask* mask = LargeMaskFor(text[glyphIndex]);
        if (!mask) continue;
        glyphWidth = 8;
        DrawLargeGlyph(*mask, upsideDown, y, r, g, b);
        penX = Shifted(penX, 8);
    }
}

}  // namespace

void DrawSmallText(int x, int y, int r, int g, int b) {
    DrawSmallFontText(smallFont, 128, false, 0, x, y, r, g, b);
}

void DrawSmallTextShadowed(int x, int y, int r, int g, int b) {
    DrawSmallText(x, Shifted(y, 1), 0, 0, 0);  // black copy one row higher, then the colour over it
    DrawSmallText(x, y, r, g, b);
}

// Upside down, one column more than the glyph's width, and a hook call for every cell it visits.
// Its pen is its own: the shared text state stays as it was.
void DrawSmallTextHooked(int x, int y, int r, int g, int b, int tag) {
    int pen = x;
    for (int index = 0; !TextBufferEnds(index); index++) {
        const char* glyph = EntryFor(smallFont, 128, textBuffer[index]);
        const int width = SmallGlyphWidth(glyph);
        if (width == 0) continue;
        for (int row = 1; row <= 9; row++) {
            for (int col = 0; col <= width; col++) {
                if (glyph[row * kSmallRowLength + col] != '0') PutPixel(Shifted(pen, col), Shifted(y, row - 2), r, g, b);
                TextCellHook(Shifted(pen, col), Shifted(y, row), tag);
            }
        }
        pen = Shifted(pen, width + 1);
    }
}

void DrawCompactText(int x, int y, int r, int g, int b) {
    DrawSmallFontText(compactFont, 256, true, 1, x, y, r, g, b);
}

void DrawLargeText(int x, int y, int r, int g, int b) {
    DrawLargeFontText(textBuffer, true, false, x, y, r, g, b);
}

void DrawLargeString(const char* text, int x, int y, int r, int g, int b) {
    DrawLargeFontText(text ? text : "", false, true, x, y, r, g, b);
}

// Draws the program's three fonts into pictures a person can look at: every glyph of a font,
// enlarged on a pixel grid as the text routines read it, and below it sample lines drawn into the
// software screen by the text routines that use that font.
//
//   font_sheet <folder>   writes <folder>/font-large.png, font-small.png and font-compact.png
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/program_state.h"
#include "screen/fonts.h"
#include "screen/text.h"

namespace {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    Image(int w, int h) : width(w), height(h), rgb((size_t)w * h * 3, 0) {}

    void Fill(int x, int y, int w, int h, unsigned char r, unsigned char g, unsigned char b) {
        for (int j = y; j < y + h; j++) {
            if (j < 0 || j >= height) continue;
            for (int i = x; i < x + w; i++) {
                if (i < 0 || i >= width) continue;
                unsigned char* p = &rgb[((size_t)j * width + i) * 3];
                p[0] = r;
                p[1] = g;
                p[2] = b;
            }
        }
    }
};

bool WritePng(const Image& image, const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; y++) png_write_row(png, &image.rgb[(size_t)y * image.width * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

// How a font's glyphs are read: the rows and columns the routines visit.
struct FontView {
    const char* name;
    const char* const* table;
    int entries;
    int rowLength;  // characters a row in the string
    int rows;       // rows read, from row 1
    bool large;     // fixed 8 columns; otherwise the width digit decides
};

// Columns a routine reads for this entry, or 0 if the entry holds no glyph.
int ReadWidth(const FontView& font, int code) {
    if (code >= font.entries) return 0;
    const char* glyph = font.table[code];
    if (!glyph) return 0;
    const size_t length = strlen(glyph);
    if (font.large) return length == 130 ? 8 : 0;
    if (length != 88 && length != 80) return 0;
    const int width = glyph[0] - '0';
    return (width >= 1 && width <= 7) ? width : 0;
}

const int kScale = 8;        // picture pixels per glyph pixel
const int kColumns = 16;     // glyphs per line of the sheet
const int kFirstCode = 32;
const int kLastCode = 127;
const int kMargin = 16;

// Draws a label with the large font's data, in picture pixels of size scale.
void Label(Image& image, const std::string& text, int x, int y, int scale) {
    for (size_t i = 0; i < text.size(); i++) {
        const char* glyph = largeFont[(unsigned char)text[i] & 0x7F];
        if (!glyph || strlen(glyph) != 130) continue;
        for (int row = 1; row <= 12; row++)
            for (int col = 0; col < 8; col++)
                if (glyph[row * 10 + col] != '0')
                    image.Fill(x + ((int)i * 8 + col) * scale, y + (row - 1) * scale, scale, scale, 230,
                               230, 120);
    }
}

// The glyph table: one cell per code, each pixel of the read area a square with a grid line.
int DrawGlyphTable(Image& image, const FontView& font, int top) {
    const int cellWidth = 8 + 2;            // the read area and a gap, in glyph pixels
    const int cellHeight = font.rows + 3;   // the rows read, a gap, and room below
    const int left = kMargin + 4 * 8 * 2;   // room for the row labels
    for (int code = kFirstCode; code <= kLastCode; code++) {
        const int index = code - kFirstCode;
        const int cx = left + (index % kColumns) * cellWidth * kScale;
        const int cy = top + (index / kColumns) * cellHeight * kScale;
        if (index % kColumns == 0) Label(image, std::to_string(code), kMargin, cy, 2);
        const int width = ReadWidth(font, code);
        if (width == 0) {  // no glyph: a crossed-out cell
            image.Fill(cx, cy, 8 * kScale, font.rows * kScale, 70, 20, 20);
            for (int k = 0; k < 8 * kScale; k++) {
                image.Fill(cx + k, cy + k * font.rows / 8, 2, 2, 200, 60, 60);
                image.Fill(cx + 8 * kScale - 1 - k, cy + k * font.rows / 8, 2, 2, 200, 60, 60);
            }
            continue;
        }
        const char* glyph = font.table[code];
        for (int row = 1; row <= font.rows; row++) {
            for (int col = 0; col < 8; col++) {
                const int px = cx + col * kScale;
                const int py = cy + (row - 1) * kScale;
                if (col >= width) {  // beyond the glyph's width: not read
                    image.Fill(px, py, kScale, kScale, 28, 28, 36);
                    continue;
                }
                image.Fill(px, py, kScale, kScale, 90, 90, 110);  // grid line colour
                const bool ink = glyph[row * font.rowLength + col] != '0';
                if (ink)
                    image.Fill(px + 1, py + 1, kScale - 1, kScale - 1, 255, 255, 255);
                else
                    image.Fill(px + 1, py + 1, kScale - 1, kScale - 1, 45, 45, 60);
            }
        }
    }
    const int lines = (kLastCode - kFirstCode) / kColumns + 1;
    return top + lines * cellHeight * kScale;
}

// Clears the software screen to a mid blue, so that both coloured and black ink show.
void ClearScreen() {
    for (int i = 0; i < kScreenPixelCount; i++) {
        unsigned char* p = screenPixels + i * 4;
        p[0] = 40;
        p[1] = 60;
        p[2] = 110;
        p[3] = 255;
    }
}

// Copies screen rows 239 down to 240 - rows into the picture, top row first, each screen pixel a
// square of kScreenScale picture pixels with a faint grid.
const int kScreenScale = 4;
int DrawScreenBand(Image& image, int rows, int top) {
    for (int r = 0; r < rows; r++) {
        const int y = kScreenHeight - 1 - r;
        for (int x = 0; x < kScreenWidth; x++) {
            const unsigned char* p = screenPixels + (y * kScreenWidth + x) * 4;
            const int px = kMargin + x * kScreenScale;
            const int py = top + r * kScreenScale;
            image.Fill(px, py, kScreenScale, kScreenScale, p[0] / 2 + 10, p[1] / 2 + 10, p[2] / 2 + 10);
            image.Fill(px + 1, py + 1, kScreenScale - 1, kScreenScale - 1, p[0], p[1], p[2]);
        }
    }
    return top + rows * kScreenScale;
}

void SetText(const char* text) { snprintf(textBuffer, kTextBufferSize, "%s", text); }

// Sample lines for each font, drawn by its routines into the top of the screen. Returns the rows
// of the screen they use.
int DrawSamples(const char* font) {
    ClearScreen();
    if (strcmp(font, "large") == 0) {
        const char* lines[] = {
            "QUENDRIK04 (ESC CLOSE) (MOVE WITH M)",
            "F1 320x240",
            "Up,Down,Left,Right,Pgup,Pgdown,Lclick.",
            "OpenGL viewport scaning 320x240",
            "Sphinx of black quartz, judge my vow!",
            "THE FIVE BOXING WIZARDS JUMP QUICKLY",
            "0123456789 \"#$%&'()*+,-./:;<=>?@",
            "[\\]^_`{|}~ gjpqy Il1 O0 rn m",
        };
        int y = 239;
        for (const char* line : lines) {
            SetText(line);
            DrawLargeText(2, y, 255, 255, 255);
            y -= 14;
        }
        // Upside down: row 1 of each glyph lands just above y.
        DrawLargeString("Upside down: DrawLargeString", 2, y - 13, 255, 220, 120);
        return 240 - (y - 14);
    }
    if (strcmp(font, "small") == 0) {
        const char* lines[] = {
            "QUENDRIK04 (ESC CLOSE) (MOVE WITH M) F1 320x240",
            "Up,Down,Left,Right,Pgup,Pgdown,Lclick.",
            "Sphinx of black quartz, judge my vow!",
            "THE FIVE BOXING WIZARDS JUMP QUICKLY",
            "0123456789 \"#$%&'()*+,-./:;<=>?@[\\]^_",
            "the quick brown fox jumps over the lazy dog",
        };
        int y = 237;
        for (const char* line : lines) {
            SetText(line);
            DrawSmallText(2, y, 255, 255, 255);
            y -= 10;
        }
        SetText("Shadowed: DrawSmallTextShadowed");
        DrawSmallTextShadowed(2, y, 255, 255, 120);
        y -= 10;
        SetText("Upside down: DrawSmallTextHooked");
        DrawSmallTextHooked(2, y - 8, 120, 255, 160, 0);
        return 240 - (y - 10);
    }
    const char* lines[] = {
        "QUENDRIK04 (ESC CLOSE) (MOVE WITH M) F1 320x240",
        "Up,Down,Left,Right,Pgup,Pgdown,Lclick.",
        "Sphinx of black quartz, judge my vow!",
        "THE FIVE BOXING WIZARDS JUMP QUICKLY",
        "0123456789 \"#$%&'()*+,-./:;<=>?@[\\]^_{|}",
        "the quick brown fox jumps over the lazy dog",
    };
    // The compact routine draws upside down: glyph row 1 lands on y - 1, row 9 on y + 7.
    int y = 231;
    for (const char* line : lines) {
        SetText(line);
        DrawCompactText(1, y, 255, 255, 255);
        y -= 10;
    }
    return 240 - (y + 1);
}

bool WriteSheet(const FontView& font, const std::string& folder) {
    const int cellHeight = font.rows + 3;
    const int lines = (kLastCode - kFirstCode) / kColumns + 1;
    const int tableHeight = lines * cellHeight * kScale;
    const int sampleRows = DrawSamples(font.name);
    const int width = kMargin * 2 + 4 * 8 * 2 + kColumns * 10 * kScale;
    const int height = kMargin * 3 + tableHeight + sampleRows * kScreenScale;
    Image image(width, height);
    image.Fill(0, 0, width, height, 16, 16, 20);
    const int tableBottom = DrawGlyphTable(image, font, kMargin);
    DrawScreenBand(image, sampleRows, tableBottom + kMargin);
    const std::string path = folder + "/font-" + font.name + ".png";
    if (!WritePng(image, path)) {
        fprintf(stderr, "font_sheet: cannot write %s\n", path.c_str());
        return false;
    }
    printf("%s\n", path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: font_sheet <folder>\n");
        return 2;
    }
    screenPixels = (unsigned char*)calloc(kScreenBufferBytes, 1);
    if (!screenPixels) return 1;
    const FontView fonts[] = {
        {"large", largeFont, 256, 10, 12, true},
        {"small", smallFont, 128, 8, 9, false},
        {"compact", compactFont, 256, 8, 9, false},
    };
    bool ok = true;
    for (const FontView& font : fonts) ok = WriteSheet(font, argv[1]) && ok;
    return ok ? 0 : 1;
}

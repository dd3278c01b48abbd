// The three font tables: every glyph well formed, widths as tabled, ink inside each font's area,
// the reference glyphs exactly as drawn, the entries without a glyph.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "screen/fonts.h"

namespace {

bool HasSmallGlyph(int code) { return (code >= 32 && code <= 95) || (code >= 97 && code <= 122); }
bool HasCompactGlyph(int code) { return (code >= 32 && code <= 95) || (code >= 97 && code <= 125); }
bool HasLargeGlyph(int code) { return code >= 32 && code <= 126; }

int SmallWidth(char c) {
    const struct {
        int width;
        const char* characters;
    } widths[] = {
        {1, ":il"},
        {2, " !'(),;=[\\]fjr"},
        {3, "\"$%+-.0123456789<>?ABCDEFGHIKLPSTUVY^_bcdeghknopqstuvxyz"},
        {4, "&/JNOQRZa"},
        {5, "#*MWXmw"},
        {7, "@"},
    };
    for (const auto& w : widths)
        if (strchr(w.characters, c)) return w.width;
    return -1;
}

int CompactWidth(char c) {
    if (strchr("JNOQRZ", c)) return 4;
    if (strchr("MWX", c)) return 5;
    return 3;
}

// Checks one small or compact glyph; inkColumns is the last column ink may use.
void CheckSmallLayoutGlyph(const char* name, int code, const char* glyph, int width, int inkColumns) {
    SCOPED_TRACE(std::string(name) + " code " + std::to_string(code));
    ASSERT_NE(glyph, nullptr);
    const size_t length = strlen(glyph);
    ASSERT_EQ(length, code == ' ' ? 80u : 88u);
    EXPECT_EQ(glyph[0], '0' + width);
    EXPECT_EQ(glyph[1], code == '_' ? '7' : '8');
    for (int i = 2; i < 8; i++) EXPECT_EQ(glyph[i], '0');
    const int rows = (int)length / 8;
    for (int row = 1; row < rows; row++) {
        for (int col = 0; col < 8; col++) {
            const char cell = glyph[row * 8 + col];
            ASSERT_TRUE(cell == '0' || cell == '1') << "row " << row << " col " << col;
            if (cell != '1') continue;
            // Ink only in rows 2 to 9 and within the width; row 10 (never read) holds only the
            // end of the y's tail.
            const bool tail = row == 10 && code == 'y';
            EXPECT_TRUE((row >= 2 && row <= 9) || tail) << "row " << row << " col " << col;
            EXPECT_LT(col, width) << "row " << row;
            EXPECT_LE(col, inkColumns) << "row " << row;
        }
    }
}

TEST(FontTables, SmallFontGlyphs) {
    for (int code = 32; code < 128; code++) {
        if (!HasSmallGlyph(code)) continue;
        const int width = SmallWidth((char)code);
        ASSERT_GT(width, 0) << code;
        CheckSmallLayoutGlyph("smallFont", code, smallFont[code], width, 6);
    }
}

TEST(FontTables, CompactFontGlyphs) {
    for (int code = 32; code < 128; code++) {
        if (!HasCompactGlyph(code)) continue;
        CheckSmallLayoutGlyph("compactFont", code, compactFont[code], CompactWidth((char)code), 4);
    }
}

TEST(FontTables, LargeFontGlyphs) {
    for (int code = 32; code <= 126; code++) {
        SCOPED_TRACE("largeFont code " + std::to_string(code));
        const char* glyph = largeFont[code];
        ASSERT_NE(glyph, nullptr);
        ASSERT_EQ(strlen(glyph), 130u);
        for (int i = 0; i < 10; i++) EXPECT_EQ(glyph[i], '0');  // header row
        bool inked = false;
        for (int row = 1; row <= 12; row++) {
            for (int col = 0; col < 10; col++) {
                const char cell = glyph[row * 10 + col];
                ASSERT_TRUE(cell == '0' || cell == '1') << "row " << row << " col " << col;
                if (cell != '1') continue;
                inked = true;
                EXPECT_LE(col, 6) << "row " << row;  // column 7 spaces the glyphs
                // Capitals and digits stand on rows 2 to 10; only descenders go lower.
                if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
                    EXPECT_TRUE(row >= 2 && row <= 10) << "row " << row << " col " << col;
                }
            }
        }
        EXPECT_EQ(inked, code != ' ');
    }
}

// Entries without a glyph: a short string that starts with the code's number, up to 141; then
// one string in the 8-column layout at 142 and nothing from 143 on.
void CheckEntriesWithoutGlyph(const char* name, const char* const* table, int entries,
                              bool (*hasGlyph)(int)) {
    for (int code = 0; code < entries && code <= 141; code++) {
        if (hasGlyph(code)) continue;
        SCOPED_TRACE(std::string(name) + " code " + std::to_string(code));
        ASSERT_NE(table[code], nullptr);
        const std::string number = std::to_string(code);
        EXPECT_EQ(std::string(table[code]).compare(0, number.size(), number), 0) << table[code];
        EXPECT_LT(strlen(table[code]), 80u);
    }
    if (entries == 256) {
        ASSERT_NE(table[142], nullptr);
        EXPECT_EQ(strlen(table[142]), 88u);
        for (int i = 8; i < 88; i++) EXPECT_TRUE(table[142][i] == '0' || table[142][i] == '1');
        for (int code = 143; code < 256; code++) EXPECT_EQ(table[code], nullptr) << name << " " << code;
    }
}

TEST(FontTables, EntriesWithoutGlyph) {
    CheckEntriesWithoutGlyph("smallFont", smallFont, 128, HasSmallGlyph);
    CheckEntriesWithoutGlyph("compactFont", compactFont, 256, HasCompactGlyph);
    CheckEntriesWithoutGlyph("largeFont", largeFont, 256, HasLargeGlyph);
}

// A reference picture, rows from row 1 down, '#' for ink, over the columns read.
void ExpectGlyph(const char* glyph, int rowLength, const std::vector<std::string>& picture) {
    for (size_t r = 0; r < picture.size(); r++) {
        const int row = (int)r + 1;
        std::string actual;
        for (size_t col = 0; col < picture[r].size(); col++)
            actual += glyph[row * rowLength + col] == '0' ? '.' : '#';
        EXPECT_EQ(actual, picture[r]) << "row " << row;
    }
}

TEST(FontTables, ReferenceGlyphsExactly) {
    const struct {
        const char* name;
        const char* glyph;
        int rowLength;
        std::vector<std::string> picture;
    } cases[] = {
        {"small A", smallFont['A'], 8,
         {"...", "...", ".#.", "#.#", "###", "#.#", "#.#", "...", "..."}},
        {"small m", smallFont['m'], 8,
         {".....", ".....", ".....", ".....", "##.##", "#.#.#", "#.#.#", ".....", "....."}},
        {"small at sign", smallFont['@'], 8,
         {".......", ".......", "..###..", ".#...#.", "#..##.#", "#.#.#.#", "#..#.#.", ".#.....",
          "..###.."}},
        {"compact M", compactFont['M'], 8,
         {".....", ".....", ".#.#.", "#####", "#.#.#", "#.#.#", "#.#.#", ".....", "....."}},
        {"compact m", compactFont['m'], 8, {"...", "...", "...", "#..", ".##", "#..", ".##", "...", "..."}},
        {"compact J", compactFont['J'], 8,
         {"....", "....", ".###", "..#.", "..#.", "#.#.", ".#..", "....", "...."}},
        {"large A", largeFont['A'], 10,
         {"........", "..##....", ".####...", "##..##..", "##..##..", "##..##..", "######..", "##..##..",
          "##..##..", "##..##..", "........", "........"}},
        {"large g", largeFont['g'], 10,
         {"........", "........", "........", "........", ".###.##.", "##..##..", "##..##..", "##..##..",
          ".#####..", "....##..", "##..##..", ".####..."}},
        {"large 1", largeFont['1'], 10,
         {"........", "...#....", "..##....", "####....", "..##....", "..##....", "..##....", "..##....",
          "..##....", "######..", "........", "........"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectGlyph(c.glyph, c.rowLength, c.picture);
    }
    // The widths of the reference glyphs, from their header digits.
    EXPECT_EQ(smallFont['A'][0], '3');
    EXPECT_EQ(smallFont['m'][0], '5');
    EXPECT_EQ(smallFont['@'][0], '7');
    EXPECT_EQ(compactFont['M'][0], '5');
    EXPECT_EQ(compactFont['m'][0], '3');
    EXPECT_EQ(compactFont['J'][0], '4');
}

}  // namespace

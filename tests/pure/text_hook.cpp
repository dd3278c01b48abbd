// The hooked text routine's calls of TextCellHook: one for every cell it visits, (width + 1) x 9 a
// glyph, right after the cell's pixel. The hook is replaced at link time (--wrap) by a recorder.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "app/program_state.h"
#include "screen/text.h"

namespace {

struct HookCall {
    int x, y, tag;
    bool pixelBelowSet;  // the pixel two rows below was already written when the hook ran
};
std::vector<HookCall> calls;

bool Opaque(int x, int y) {
    if (x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return false;
    return screenPixels[(y * kScreenWidth + x) * 4 + 3] == 255;
}

}  // namespace

// The linker sends text.cpp's calls of TextCellHook(int, int, int) here.
extern "C" void __wrap__Z12TextCellHookiii(int x, int y, int tag) {
    calls.push_back({x, y, tag, Opaque(x, y - 2)});
}

namespace {

class TextHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        screenPixels = (unsigned char*)calloc(kScreenBufferBytes, 1);
        ASSERT_NE(screenPixels, nullptr);
        calls.clear();
    }
    void TearDown() override {
        free(screenPixels);
        screenPixels = nullptr;
    }
};

TEST_F(TextHookTest, OneCallForEveryCellInOrder) {
    snprintf(textBuffer, kTextBufferSize, "Ai");
    DrawSmallTextHooked(40, 100, 255, 255, 255, -77);
    // A is 3 wide, i 1 wide: 4 x 9 and 2 x 9 cells.
    ASSERT_EQ(calls.size(), 4u * 9 + 2u * 9);
    size_t k = 0;
    const struct {
        int pen, width;
    } glyphs[] = {{40, 3}, {44, 1}};
    for (const auto& glyph : glyphs) {
        for (int row = 1; row <= 9; row++) {
            for (int col = 0; col <= glyph.width; col++, k++) {
                EXPECT_EQ(calls[k].x, glyph.pen + col) << k;
                EXPECT_EQ(calls[k].y, 100 + row) << k;  // two rows above the pixel's y + row - 2
                EXPECT_EQ(calls[k].tag, -77) << k;
            }
        }
    }
}

TEST_F(TextHookTest, HookRunsAfterTheCellsPixel) {
    snprintf(textBuffer, kTextBufferSize, "A");
    DrawSmallTextHooked(10, 20, 255, 255, 255, 0);
    // The A's ink: 10 cells in rows 3 to 7; its pixel (pen + col, y + row - 2) is set before the hook call.
    const char* rows[] = {"...", "...", ".#.", "#.#", "###", "#.#", "#.#", "...", "..."};
    ASSERT_EQ(calls.size(), 36u);
    int inked = 0;
    for (const HookCall& call : calls) {
        const int row = call.y - 20, col = call.x - 10;
        const bool ink = col < 3 && rows[row - 1][col] == '#';
        inked += ink;
        if (ink) {
            EXPECT_TRUE(call.pixelBelowSet) << "row " << row << " col " << col;
        }
    }
    EXPECT_EQ(inked, 10);
}

TEST_F(TextHookTest, HookCallsAtTheScreenEdgesAndForCodesWithoutGlyph) {
    // Cells off the screen are still visited: the hook sees every cell, PutPixel drops the pixel.
    snprintf(textBuffer, kTextBufferSize, "A");
    DrawSmallTextHooked(-100, 500, 255, 255, 255, 1);
    EXPECT_EQ(calls.size(), 36u);
    // A code without a glyph visits no cell; the space (width 2) visits 3 x 9.
    calls.clear();
    snprintf(textBuffer, kTextBufferSize, "\x01`\x7f\x80 ");
    DrawSmallTextHooked(0, 0, 255, 255, 255, 1);
    ASSERT_EQ(calls.size(), 27u);
    EXPECT_EQ(calls[0].x, 0);  // the skipped codes did not move the pen
}

}  // namespace

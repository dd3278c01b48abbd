// Positions at the ends of the int range, found by fuzzing: the text routines' pen and rows are
// 32-bit positions that wrap round the range rather than overflow, and what wraps lands far off
// the screen, so nothing is drawn and nothing outside the screen is touched.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <set>
#include <utility>

#include "app/program_state.h"
#include "screen/lines.h"
#include "screen/text.h"

namespace {

class Extremes : public ::testing::Test {
protected:
    void SetUp() override {
        screenPixels = (unsigned char*)calloc(kScreenBufferBytes, 1);
        ASSERT_NE(screenPixels, nullptr);
    }
    void TearDown() override {
        free(screenPixels);
        screenPixels = nullptr;
    }
    bool Untouched() const {
        for (int i = 0; i < kScreenBufferBytes; i++) {
            if (screenPixels[i] != 0) return false;
        }
        return true;
    }
};

// The pen after n glyphs of a given advance, in 32-bit arithmetic.
int Wrapped(int x, int advance, int n) { return (int)(uint32_t)((uint32_t)x + (uint32_t)(advance * n)); }

TEST_F(Extremes, TextAtTheEndsOfTheIntRangeDrawsNothingAndThePenWraps) {
    const struct {
        int x, y;
    } places[] = {{INT_MAX, 100}, {INT_MAX - 3, 100}, {INT_MIN, 100}, {20, INT_MIN}, {20, INT_MIN + 5},
                  {20, INT_MAX}, {20, INT_MAX - 1}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}};
    for (const auto& at : places) {
        SCOPED_TRACE(testing::Message() << "at " << at.x << ", " << at.y);
        snprintf(textBuffer, kTextBufferSize, "%s", "MWMW");
        DrawLargeText(at.x, at.y, 255, 255, 0);
        EXPECT_EQ(penX, Wrapped(at.x, 8, 4));
        DrawLargeString("MWMW", at.x, at.y, 255, 255, 0);
        EXPECT_EQ(penX, Wrapped(at.x, 8, 4));
        DrawSmallText(at.x, at.y, 1, 2, 3);
        EXPECT_EQ(glyphIndex, 4);
        DrawSmallTextShadowed(at.x, at.y, 1, 2, 3);
        DrawCompactText(at.x, at.y, 1, 2, 3);
        DrawSmallTextHooked(at.x, at.y, 1, 2, 3, 9);
        EXPECT_TRUE(Untouched());
    }
}

TEST_F(Extremes, TextThatWrapsPastTheRightEndDoesNotComeBackOnTheLeft) {
    // 260 wide glyphs from just short of INT_MAX: the pen crosses to INT_MIN and stays far left.
    memset(textBuffer, 'W', kTextBufferSize);
    DrawLargeText(INT_MAX - 40, 120, 255, 255, 255);
    EXPECT_EQ(penX, Wrapped(INT_MAX - 40, 8, kTextBufferSize));
    DrawSmallText(INT_MAX - 40, 120, 255, 255, 255);
    DrawCompactText(INT_MAX - 40, 120, 255, 255, 255);
    EXPECT_TRUE(Untouched());
    textBuffer[0] = 0;
}

// The stepping one pixel at a time from the start, as DrawLine is defined: the reference that its
// skipping of off-screen steps must match pixel for pixel.
void ReferenceLine(int x1, int y1, int x2, int y2, std::set<std::pair<int, int>>* on) {
    int64_t dx = (int64_t)x2 - x1, dy = (int64_t)y2 - y1;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0), sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    if (dx < 0) dx = -dx;
    if (dy < 0) dy = -dy;
    int64_t x = x1, y = y1;
    auto put = [&]() {
        if (x >= 0 && x < 320 && y >= 0 && y < 240) on->insert({(int)x, (int)y});
    };
    put();
    const bool xMajor = dx > dy;
    const int64_t major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    int64_t e = minor;
    for (int64_t i = 0; i < major; i++) {
        e += minor;
        if (e > major) {
            e -= major;
            if (xMajor) y += sy; else x += sx;
        }
        if (xMajor) x += sx; else y += sy;
        put();
    }
}

TEST_F(Extremes, LinesMatchTheStepByStepReferenceWhereverTheyStart) {
    srand(12345);
    auto coordinate = [](int spread) { return rand() % (2 * spread + 1) - spread + 160; };
    for (int n = 0; n < 20000; n++) {
        const int spread = n % 3 == 0 ? 3000 : (n % 3 == 1 ? 400 : 60);
        const int x1 = coordinate(spread), y1 = coordinate(spread), x2 = coordinate(spread), y2 = coordinate(spread);
        std::set<std::pair<int, int>> expected, drawn;
        ReferenceLine(x1, y1, x2, y2, &expected);
        memset(screenPixels, 0, kScreenPixelCount * 4);
        DrawLine(x1, y1, x2, y2, 7, 7, 7);
        for (int i = 0; i < kScreenPixelCount; i++) {
            if (screenPixels[i * 4] == 7) drawn.insert({i % 320, i / 320});
        }
        ASSERT_EQ(drawn, expected) << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
}

// A line between the far ends of the range once stepped through all 2^32 positions (a minute and
// more); only the steps on the screen are taken now.
TEST_F(Extremes, LinesBetweenTheEndsOfTheRangeDrawOnlyWhatIsOnTheScreen) {
    const auto start = std::chrono::steady_clock::now();
    DrawLine(INT_MIN, INT_MIN, INT_MAX, INT_MIN, 255, 0, 0);
    DrawLine(INT_MAX, INT_MAX, INT_MAX, INT_MIN, 255, 0, 0);
    EXPECT_TRUE(Untouched());
    DrawLine(INT_MIN, 0, INT_MAX, 0, 9, 9, 9);  // through the bottom row
    int inked = 0;
    for (int i = 0; i < kScreenBufferBytes; i += 4) inked += screenPixels[i] == 9;
    EXPECT_EQ(inked, 320);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 1.0);
}

}  // namespace

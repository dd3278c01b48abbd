// DrawLine's stepping: the exact pixels of each line, direction-dependent runs and off-screen parts.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <set>
#include <utility>
#include <vector>

#include "app/program_state.h"
#include "screen/lines.h"

namespace {

typedef std::set<std::pair<int, int>> PixelSet;

class DrawLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        screenPixels = (unsigned char*)calloc(kScreenBufferBytes, 1);
        ASSERT_NE(screenPixels, nullptr);
    }
    void TearDown() override {
        free(screenPixels);
        screenPixels = nullptr;
    }
    // Every pixel written since SetUp (written pixels become opaque), checking its colour.
    PixelSet Written(int r, int g, int b) {
        PixelSet set;
        for (int y = 0; y < kScreenHeight; y++) {
            for (int x = 0; x < kScreenWidth; x++) {
                const unsigned char* p = screenPixels + (y * kScreenWidth + x) * 4;
                if (p[3] == 0) continue;
                set.insert({x, y});
                EXPECT_EQ(p[0], r);
                EXPECT_EQ(p[1], g);
                EXPECT_EQ(p[2], b);
            }
        }
        return set;
    }
    // The pixels beyond the used area must stay untouched as well.
    bool TailUntouched() {
        for (int i = kScreenPixelCount * 4; i < kScreenBufferBytes; i++)
            if (screenPixels[i] != 0) return false;
        return true;
    }
};

PixelSet Row(int y, int x0, int x1) {
    PixelSet set;
    for (int x = x0; x <= x1; x++) set.insert({x, y});
    return set;
}

TEST_F(DrawLineTest, ExactPixelsOfEachLine) {
    const struct {
        int x1, y1, x2, y2;
        std::vector<std::pair<int, int>> pixels;
    } cases[] = {
        {5, 5, 5, 5, {{5, 5}}},
        {0, 0, 10, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 1}}},
        {0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        // The same line drawn the other way: the minor steps still come late in each run.
        {4, 2, 0, 0, {{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {3, 3, 0, 0, {{3, 3}, {2, 2}, {1, 1}, {0, 0}}},
        // y major: the x step is taken only once the error passes dy.
        {0, 0, 1, 4, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 4}}},
        {1, 4, 0, 0, {{1, 4}, {1, 3}, {1, 2}, {1, 1}, {0, 0}}},
        // Both axes decreasing, x major.
        {10, 10, 0, 7,
         {{10, 10}, {9, 10}, {8, 10}, {7, 9}, {6, 9}, {5, 9}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 7}}},
        // Vertical and horizontal lines in both directions.
        {7, 9, 7, 6, {{7, 9}, {7, 8}, {7, 7}, {7, 6}}},
        {9, 2, 6, 2, {{9, 2}, {8, 2}, {7, 2}, {6, 2}}},
    };
    for (const auto& c : cases) {
        memset(screenPixels, 0, kScreenBufferBytes);
        DrawLine(c.x1, c.y1, c.x2, c.y2, 10, 20, 30);
        const PixelSet expected(c.pixels.begin(), c.pixels.end());
        EXPECT_EQ(expected.size(), c.pixels.size());  // a line never visits a pixel twice
        EXPECT_EQ(Written(10, 20, 30), expected) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
}

TEST_F(DrawLineTest, OffScreenPartsAreDroppedButTheSteppingRunsFullLength) {
    DrawLine(-10, 5, 10, 5, 255, 0, 0);
    EXPECT_EQ(Written(255, 0, 0), Row(5, 0, 10));

    // From below-left into the screen: the part with x, y >= 0 is the diagonal from (0, 0).
    memset(screenPixels, 0, kScreenBufferBytes);
    DrawLine(-5, -5, 5, 5, 1, 2, 3);
    PixelSet diagonal;
    for (int i = 0; i <= 5; i++) diagonal.insert({i, i});
    EXPECT_EQ(Written(1, 2, 3), diagonal);

    // A line that starts off the screen keeps its stepping: the visible part is what the whole
    // line would put there. From (-20, 0) to (20, 1) the y step comes after the error passes 40.
    memset(screenPixels, 0, kScreenBufferBytes);
    DrawLine(-20, 0, 20, 1, 4, 5, 6);
    PixelSet expected = Row(0, 0, 19);
    expected.insert({20, 1});
    EXPECT_EQ(Written(4, 5, 6), expected);

    // Past the right and top edges.
    memset(screenPixels, 0, kScreenBufferBytes);
    DrawLine(315, 239, 325, 239, 7, 8, 9);
    DrawLine(100, 235, 100, 250, 7, 8, 9);
    PixelSet edges = Row(239, 315, 319);
    for (int y = 235; y <= 239; y++) edges.insert({100, y});
    EXPECT_EQ(Written(7, 8, 9), edges);
    EXPECT_TRUE(TailUntouched());
}

TEST_F(DrawLineTest, LinesFarOffTheScreenDrawNothing) {
    // The crosshair of a cursor far outside the window: arms around the mapped limit.
    DrawLine(100000, 100000, 100005, 100000, 255, 255, 255);
    DrawLine(-100000, -100000, -100000, -100005, 255, 255, 255);
    DrawLine(320, 0, 330, 239, 255, 255, 255);
    DrawLine(0, -1, 319, -1, 255, 255, 255);
    EXPECT_TRUE(Written(255, 255, 255).empty());
    EXPECT_TRUE(TailUntouched());
}

}  // namespace

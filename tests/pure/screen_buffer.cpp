// The screen buffers, the backdrop and PutPixel's clipping.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "app/program_state.h"
#include "app/random.h"
#include "screen/screen_buffer.h"

namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

std::ostream& operator<<(std::ostream& out, const Rgba& p) {
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

Rgba At(const unsigned char* buffer, int x, int y) {
    const unsigned char* p = buffer + (y * 320 + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

class ScreenBufferTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The backdrop continues the generator after the carving's 600,000 draws.
        randomState = 1;
        for (int i = 0; i < 600000; i++) NextRandom();
        stateBefore = randomState;
        InitScreenBuffers();
        stateAfter = randomState;
    }
    static uint32_t stateBefore, stateAfter;
};
uint32_t ScreenBufferTest::stateBefore, ScreenBufferTest::stateAfter;

TEST_F(ScreenBufferTest, BackdropLayout) {
    const Rgba green{0, 255, 0, 255}, blue{0, 0, 255, 255};
    const struct {
        int x, y;
        Rgba expected;
    } cases[] = {
        {0, 0, green},     {319, 0, green},   {160, 0, green},    // bottom frame line
        {160, 233, blue},  {1, 228, blue},    {318, 238, blue},   // title band
        {0, 233, green},   {319, 233, green},                     // side frame lines through the band
        {160, 227, green}, {160, 239, green}, {0, 239, green},    // band edge, top line
        {0, 120, green},   {319, 120, green},
    };
    for (const auto& c : cases) EXPECT_EQ(At(backdropPixels, c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(ScreenBufferTest, NoiseContinuesTheGeneratorInAddressOrder) {
    // One draw for every pixel of the whole allocation.
    const int allocationPixels = 1280 * 960;
    uint32_t state = stateBefore;
    std::vector<int> values(allocationPixels);
    for (int i = 0; i < allocationPixels; i++) {
        randomState = state;
        values[i] = NextRandom() % 256;
        state = randomState;
    }
    EXPECT_EQ(stateAfter, state);

    int checked = 0;
    for (int y = 1; y < 227; y++) {
        for (int x = 1; x < 319; x++) {
            const Rgba p = At(backdropPixels, x, y);
            ASSERT_EQ(p, (Rgba{0, values[y * 320 + x], 0, 255})) << x << "," << y;
            checked++;
        }
    }
    EXPECT_GT(checked, 70000);
    // Beyond the used area the noise goes on to the end of the block.
    const unsigned char* last = backdropPixels + (allocationPixels - 1) * 4;
    EXPECT_EQ(last[1], values[allocationPixels - 1]);
    EXPECT_EQ(last[3], 255);
}

TEST_F(ScreenBufferTest, PutPixelWritesOnlyOnTheScreenAndAlwaysOpaque) {
    memset(screenPixels, 0x11, 320 * 240 * 4 + 64);
    PutPixel(319, 239, 1, 2, 3);
    EXPECT_EQ(At(screenPixels, 319, 239), (Rgba{1, 2, 3, 255}));
    PutPixel(0, 0, 200, 100, 50);
    EXPECT_EQ(At(screenPixels, 0, 0), (Rgba{200, 100, 50, 255}));

    std::vector<unsigned char> before(screenPixels, screenPixels + 320 * 240 * 4 + 64);
    const int off[][2] = {{320, 0}, {0, 240}, {-1, 5}, {5, -1}, {320, 239}, {-2147483647 - 1, 0},
                          {2147483647, 2147483647}, {0, -2147483647 - 1}, {100000, 3}};
    for (const auto& p : off) PutPixel(p[0], p[1], 9, 9, 9);
    EXPECT_EQ(memcmp(before.data(), screenPixels, before.size()), 0);
}

}  // namespace

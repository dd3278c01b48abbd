// The text routines: where each puts its pixels, its orientation, pen advances, clipping at the
// screen's edges, the shared text state, and codes that have no glyph.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/program_state.h"
#include "screen/text.h"

namespace {

struct Colour {
    int r, g, b;
    bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
};
typedef std::map<std::pair<int, int>, Colour> PixelMap;

std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// Reference pictures of rows 1 on, '#' for ink.
const std::vector<std::string> kLargeA = {"........", "..##....", ".####...", "##..##..", "##..##..", "##..##..",
                                          "######..", "##..##..", "##..##..", "##..##..", "........", "........"};
const std::vector<std::string> kSmallA = {"...", "...", ".#.", "#.#", "###", "#.#", "#.#", "...", "..."};
const std::vector<std::string> kCompactM = {".....", ".....", ".#.#.", "#####", "#.#.#",
                                            "#.#.#", "#.#.#", ".....", "....."};

// The pixels of a picture when glyph row n, column c lands on (x + c, base + sign * n), kept to
// the screen.
PixelMap Placed(const std::vector<std::string>& picture, int x, int base, int sign, Colour colour) {
    PixelMap map;
    for (size_t r = 0; r < picture.size(); r++) {
        for (size_t c = 0; c < picture[r].size(); c++) {
            if (picture[r][c] != '#') continue;
            const int px = x + (int)c;
            const int py = base + sign * ((int)r + 1);
            if (px >= 0 && px < kScreenWidth && py >= 0 && py < kScreenHeight) map[{px, py}] = colour;
        }
    }
    return map;
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        screenPixels = (unsigned char*)calloc(kScreenBufferBytes, 1);
        ASSERT_NE(screenPixels, nullptr);
        textBuffer[0] = '\0';
    }
    void TearDown() override {
        free(screenPixels);
        screenPixels = nullptr;
    }
    void Clear() { memset(screenPixels, 0, kScreenBufferBytes); }
    static void SetText(const char* text) { snprintf(textBuffer, kTextBufferSize, "%s", text); }
    // Every pixel written since the last Clear (written pixels are opaque).
    PixelMap Written() {
        PixelMap map;
        for (int y = 0; y < kScreenHeight; y++)
            for (int x = 0; x < kScreenWidth; x++) {
                const unsigned char* p = screenPixels + (y * kScreenWidth + x) * 4;
                if (p[3] == 255) map[{x, y}] = {p[0], p[1], p[2]};
            }
        return map;
    }
};

const Colour kWhite{255, 255, 255};

// The routines that draw textBuffer with the common loop, with the font's space advance.
struct Routine {
    const char* name;
    std::function<void(int, int)> draw;  // at (x, y) in white
    int spaceAdvance;
};
const Routine kRoutines[] = {
    {"DrawSmallText", [](int x, int y) { DrawSmallText(x, y, 255, 255, 255); }, 3},
    {"DrawCompactText", [](int x, int y) { DrawCompactText(x, y, 255, 255, 255); }, 4},
    {"DrawLargeText", [](int x, int y) { DrawLargeText(x, y, 255, 255, 255); }, 8},
    {"DrawLargeString", [](int x, int y) { DrawLargeString(textBuffer, x, y, 255, 255, 255); }, 8},
};

TEST_F(TextTest, LargeTextTwoLetters) {
    SetText("AB");
    DrawLargeText(0, 20, 256 + 10, 20, 30);  // the colour keeps its low 8 bits
    const PixelMap written = Written();
    PixelMap a, b;
    for (const auto& p : written) (p.first.first < 8 ? a : b).insert(p);
    EXPECT_EQ(a, Placed(kLargeA, 0, 20, -1, {10, 20, 30}));
    ASSERT_FALSE(b.empty());
    for (const auto& p : b) {
        EXPECT_TRUE(p.first.first >= 8 && p.first.first <= 15) << p.first.first;
        EXPECT_TRUE(p.first.second >= 8 && p.first.second <= 19) << p.first.second;
    }
    EXPECT_EQ(penX, 16);
    EXPECT_EQ(glyphIndex, 2);
    EXPECT_EQ(glyphWidth, 8);
}

TEST_F(TextTest, SmallTextProportionalAdvance) {
    SetText("il");
    DrawSmallText(10, 100, 255, 255, 255);
    std::map<int, int> perColumn;
    for (const auto& p : Written()) perColumn[p.first.first]++;
    ASSERT_EQ(perColumn.size(), 2u);
    EXPECT_EQ(perColumn.count(10), 1u);
    EXPECT_EQ(perColumn.count(12), 1u);
    EXPECT_EQ(penX, 14);
    EXPECT_EQ(glyphIndex, 2);
    EXPECT_EQ(glyphWidth, 1);
}

TEST_F(TextTest, EmptyTextDrawsNothingAndResetsThePen) {
    for (const Routine& routine : kRoutines) {
        SCOPED_TRACE(routine.name);
        Clear();
        SetText("");
        penX = glyphIndex = glyphWidth = -7;
        routine.draw(33, 44);
        EXPECT_TRUE(Written().empty());
        EXPECT_EQ(penX, 33);
        EXPECT_EQ(glyphIndex, 0);
        EXPECT_EQ(glyphWidth, -7);
    }
}

TEST_F(TextTest, SpacesDrawNothingAndAdvanceByTheFont) {
    for (const Routine& routine : kRoutines) {
        SCOPED_TRACE(routine.name);
        Clear();
        SetText("   ");
        routine.draw(20, 100);
        EXPECT_TRUE(Written().empty());
        EXPECT_EQ(penX, 20 + 3 * routine.spaceAdvance);
        EXPECT_EQ(glyphIndex, 3);
        EXPECT_EQ(glyphWidth, routine.spaceAdvance == 8 ? 8 : routine.spaceAdvance - 1);
    }
}

// Each routine's orientation and pixel formula, and clipping at each edge of the screen: the
// reference glyph drawn at positions where it is cut by the left, right, bottom and top edges.
TEST_F(TextTest, PlacementAndClippingAtEveryEdge) {
    const struct {
        const char* name;
        const char* text;
        std::function<void(int, int)> draw;
        std::function<PixelMap(int, int)> expected;
    } routines[] = {
        {"DrawLargeText upright", "A", [](int x, int y) { DrawLargeText(x, y, 255, 255, 255); },
         [](int x, int y) { return Placed(kLargeA, x, y, -1, kWhite); }},
        {"DrawLargeString upside down", "A",
         [](int x, int y) { DrawLargeString("A", x, y, 255, 255, 255); },
         [](int x, int y) { return Placed(kLargeA, x, y, +1, kWhite); }},
        {"DrawSmallText upright", "A", [](int x, int y) { DrawSmallText(x, y, 255, 255, 255); },
         [](int x, int y) { return Placed(kSmallA, x, y + 2, -1, kWhite); }},
        {"DrawSmallTextHooked upside down", "A",
         [](int x, int y) { DrawSmallTextHooked(x, y, 255, 255, 255, 0); },
         [](int x, int y) { return Placed(kSmallA, x, y - 2, +1, kWhite); }},
        {"DrawCompactText upside down, one column right", "M",
         [](int x, int y) { DrawCompactText(x, y, 255, 255, 255); },
         [](int x, int y) { return Placed(kCompactM, x + 1, y - 2, +1, kWhite); }},
    };
    const struct {
        int x, y;
    } positions[] = {{100, 120}, {-2, 120}, {315, 120}, {318, 120}, {100, 3}, {100, 236}, {-1, 0}, {319, 239}};
    for (const auto& routine : routines) {
        for (const auto& at : positions) {
            SCOPED_TRACE(std::string(routine.name) + " at " + std::to_string(at.x) + "," + std::to_string(at.y));
            Clear();
            SetText(routine.text);
            routine.draw(at.x, at.y);
            EXPECT_EQ(Written(), routine.expected(at.x, at.y));
        }
    }
}

TEST_F(TextTest, LargeTextAtTheRightEdgeShowsOnlyFiveColumns) {
    SetText("AAA");
    DrawLargeText(315, 100, 255, 255, 255);
    const PixelMap written = Written();
    EXPECT_EQ(written, Placed(kLargeA, 315, 100, -1, kWhite));
    for (const auto& p : written) EXPECT_GE(p.first.first, 315);
    EXPECT_EQ(penX, 339);
}

TEST_F(TextTest, ShadowedTextDrawsTheColourOverTheBlackCopy) {
    SetText("A");
    DrawSmallTextShadowed(50, 60, 200, 100, 50);
    PixelMap expected = Placed(kSmallA, 50, 60 + 1 + 2, -1, {0, 0, 0});
    for (const auto& p : Placed(kSmallA, 50, 60 + 2, -1, {200, 100, 50})) expected[p.first] = p.second;
    EXPECT_EQ(Written(), expected);
    // Both kinds show: black where only the copy above has ink, the colour where both have.
    EXPECT_EQ(expected.at({50, 59}), (Colour{0, 0, 0}));       // copy's row 4 over the A's row 3
    EXPECT_EQ(expected.at({50, 57}), (Colour{200, 100, 50}));  // both have ink here
    EXPECT_EQ(penX, 54);
}

TEST_F(TextTest, CompactTextLeavesItsStartColumnUntouched) {
    SetText("MMM");
    DrawCompactText(40, 100, 255, 255, 255);
    PixelMap expected;
    for (int i = 0; i < 3; i++)
        for (const auto& p : Placed(kCompactM, 40 + 6 * i + 1, 98, +1, kWhite)) expected.insert(p);
    EXPECT_EQ(Written(), expected);
    for (int y = 0; y < kScreenHeight; y++) EXPECT_EQ(screenPixels[(y * kScreenWidth + 40) * 4 + 3], 0);
    EXPECT_EQ(penX, 58);
    EXPECT_EQ(glyphWidth, 5);
}

// A code without a glyph draws nothing, reads nothing past its entry and does not move the pen;
// it still counts in glyphIndex. Codes of 128 and up are negative as signed chars.
TEST_F(TextTest, CodesWithoutGlyphAreSkipped) {
    const struct {
        const char* routine;
        const char* codes;  // each is tried between an A and a B
    } cases[] = {
        {"DrawSmallText", "\x01\x1f`{}~\x7f\x80\x8e\xff"},
        {"DrawCompactText", "\x01\x1f`~\x7f\x80\x8e\xff"},
        {"DrawLargeText", "\x01\x1f\x7f\x80\x8e\xff"},
        {"DrawLargeString", "\x01\x1f\x7f\x80\x8e\xff"},
    };
    for (const auto& c : cases) {
        const Routine* routine = nullptr;
        for (const Routine& r : kRoutines)
            if (strcmp(r.name, c.routine) == 0) routine = &r;
        ASSERT_NE(routine, nullptr);
        Clear();
        SetText("AB");
        routine->draw(30, 120);
        const PixelMap reference = Written();
        const int referencePen = penX;
        const int referenceWidth = glyphWidth;
        for (const char* code = c.codes; *code; code++) {
            SCOPED_TRACE(std::string(c.routine) + " code " + std::to_string((unsigned char)*code));
            Clear();
            const char text[] = {'A', *code, *code, 'B', '\0'};
            SetText(text);
            routine->draw(30, 120);
            EXPECT_EQ(Written(), reference);
            EXPECT_EQ(penX, referencePen);
            EXPECT_EQ(glyphIndex, 4);
            EXPECT_EQ(glyphWidth, referenceWidth);

            // Alone, it leaves glyphWidth as it was.
            Clear();
            const char alone[] = {*code, '\0'};
            SetText(alone);
            glyphWidth = -3;
            routine->draw(30, 120);
            EXPECT_TRUE(Written().empty());
            EXPECT_EQ(penX, 30);
            EXPECT_EQ(glyphWidth, -3);
        }
    }
}

TEST_F(TextTest, TextBufferWithoutTerminatorStopsAtItsEnd) {
    for (const Routine& routine : kRoutines) {
        if (strcmp(routine.name, "DrawLargeString") == 0) continue;  // draws its own string
        SCOPED_TRACE(routine.name);
        memset(textBuffer, ' ', kTextBufferSize);
        routine.draw(0, 100);
        EXPECT_EQ(glyphIndex, kTextBufferSize);
        EXPECT_EQ(penX, kTextBufferSize * routine.spaceAdvance);
    }
    textBuffer[0] = '\0';
}

TEST_F(TextTest, HookedTextKeepsItsPenToItself) {
    SetText("A A");
    penX = 1001;
    glyphIndex = 1002;
    glyphWidth = 1003;
    DrawSmallTextHooked(10, 50, 255, 255, 255, 5);
    EXPECT_EQ(penX, 1001);
    EXPECT_EQ(glyphIndex, 1002);
    EXPECT_EQ(glyphWidth, 1003);
    // The second A starts after the first one's width + 1 and the space's.
    PixelMap expected = Placed(kSmallA, 10, 48, +1, kWhite);
    for (const auto& p : Placed(kSmallA, 17, 48, +1, kWhite)) expected.insert(p);
    EXPECT_EQ(Written(), expected);
}

}  // namespace

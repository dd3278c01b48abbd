// The carving of the dungeon: which cells the random boxes open, and how many draws they take.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "app/program_state.h"
#include "app/random.h"
#include "world/voxel_maps.h"

namespace {

struct Box {
    int columnExtent, rowExtent, layerExtent, column, row, layer;
};

Box DrawBox() {
    Box b;
    b.columnExtent = NextRandom() % 5 + 1;
    b.rowExtent = NextRandom() % 5 + 1;
    b.layerExtent = NextRandom() % 5 + 1;
    b.column = NextRandom() % mapSize;
    b.row = NextRandom() % mapSize;
    b.layer = NextRandom() % mapHeight;
    return b;
}

// Walks the generator's sequence from its first value and returns the state just before the first
// box that satisfies `wanted`, so that CarveRooms(1) from that state carves exactly that box.
template <typename Predicate>
uint32_t StateBeforeBox(Predicate wanted, Box* found) {
    uint32_t saved = randomState;
    randomState = 1;
    for (int i = 0; i < 10000000; i++) {
        uint32_t before = randomState;
        Box b = DrawBox();
        if (wanted(b)) {
            randomState = saved;
            *found = b;
            return before;
        }
    }
    randomState = saved;
    ADD_FAILURE() << "no such box in the sequence";
    return 0;
}

class Carving : public ::testing::Test {
protected:
    void SetUp() override {
        n = mapSize * mapSize * mapHeight;
        // Exactly N bytes each, so that any write outside the map is caught by the sanitizer.
        dungeonMap = new unsigned char[n];
        flagMap = new unsigned char[n];
        memset(dungeonMap, 1, n);
        memset(flagMap, 0, n);
        randomState = 1;
    }
    void TearDown() override {
        delete[] dungeonMap;
        delete[] flagMap;
        dungeonMap = nullptr;
        flagMap = nullptr;
        randomState = 1;
    }
    int CountOpen() const {
        int open = 0;
        for (int i = 0; i < n; i++) open += dungeonMap[i] == 0;
        return open;
    }
    // True when exactly the cells of the given ranges (inclusive) are open.
    bool OpenExactly(int c0, int c1, int r0, int r1, int l0, int l1) const {
        for (int l = 0; l < mapHeight; l++)
            for (int r = 0; r < mapSize; r++)
                for (int c = 0; c < mapSize; c++) {
                    bool inside = c >= c0 && c <= c1 && r >= r0 && r <= r1 && l >= l0 && l <= l1;
                    if ((dungeonMap[CellIndex(c, r, l)] == 0) != inside) return false;
                }
        return true;
    }
    int n = 0;
};

TEST(CellAddressing, DefaultLayerStrideAndIndex) {
    EXPECT_EQ(layerSize, 40000);
    EXPECT_EQ(CellIndex(3, 2, 1), 40403);
    EXPECT_EQ(CellIndex(199, 199, 199), 7999999);
}

TEST_F(Carving, FirstTwoBoxesOfTheSequence) {
    CarveRooms(1);
    EXPECT_EQ(CountOpen(), 30);
    EXPECT_TRUE(OpenExactly(100, 101, 169, 171, 124, 128));

    // The second box on its own: extents 4, 4, 3 at column 64, row 105, layer 145.
    memset(dungeonMap, 1, n);
    CarveRooms(1);
    EXPECT_EQ(CountOpen(), 4 * 4 * 3);
    EXPECT_TRUE(OpenExactly(64, 67, 105, 108, 145, 147));
}

TEST_F(Carving, HundredThousandBoxesGiveTheKnownDungeon) {
    CarveRooms(100000);
    EXPECT_EQ(CountOpen(), 2210609);
    EXPECT_EQ(n - CountOpen(), 5789391);

    // Exactly six draws per box: the generator stands where 600,000 draws leave it.
    uint32_t afterCarving = randomState;
    randomState = 1;
    for (int i = 0; i < 600000; i++) NextRandom();
    EXPECT_EQ(afterCarving, randomState);

    // Shell solid, nothing but 0 and 1, flags untouched.
    bool shellSolid = true, onlyZeroOrOne = true;
    for (int l = 0; l < mapHeight; l++)
        for (int r = 0; r < mapSize; r++)
            for (int c = 0; c < mapSize; c++) {
                unsigned char v = dungeonMap[CellIndex(c, r, l)];
                if (v > 1) onlyZeroOrOne = false;
                bool shell = c == 0 || r == 0 || l == 0 || c == mapSize - 1 || r == mapSize - 1 ||
                             l == mapHeight - 1;
                if (shell && v != 1) shellSolid = false;
            }
    EXPECT_TRUE(shellSolid);
    EXPECT_TRUE(onlyZeroOrOne);
    for (int i = 0; i < n; i++) ASSERT_EQ(flagMap[i], 0) << "flag at " << i;

    // A second run from the same start builds the same map.
    std::vector<unsigned char> first(dungeonMap, dungeonMap + n);
    memset(dungeonMap, 1, n);
    randomState = 1;
    CarveRooms(100000);
    EXPECT_EQ(memcmp(first.data(), dungeonMap, n), 0);
}

TEST_F(Carving, BoxesAtTheEdgesKeepOnlyTheirInteriorPart) {
    struct Case {
        const char* name;
        bool (*wanted)(const Box&);
    };
    // Boxes picked from the real sequence; columns and layers well inside unless the case is about them.
    const Case cases[] = {
        {"first row 199 opens nothing",
         [](const Box& b) { return b.row == 199 && b.column > 5 && b.column < 190 && b.layer > 5 && b.layer < 190; }},
        {"first row 197, extent 5 opens rows 197-198",
         [](const Box& b) {
             return b.row == 197 && b.rowExtent == 5 && b.column > 5 && b.column < 190 && b.layer > 5 &&
                    b.layer < 190;
         }},
        {"first column 0 keeps columns from 1",
         [](const Box& b) {
             return b.column == 0 && b.columnExtent >= 3 && b.row > 5 && b.row < 190 && b.layer > 5 && b.layer < 190;
         }},
        {"first layer 198 opens layer 198 only",
         [](const Box& b) {
             return b.layer == 198 && b.layerExtent >= 3 && b.row > 5 && b.row < 190 && b.column > 5 &&
                    b.column < 190;
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Box b{};
        uint32_t state = StateBeforeBox(k.wanted, &b);
        memset(dungeonMap, 1, n);
        randomState = state;
        CarveRooms(1);
        // The part of the box inside the interior, 1 ... 198 on every axis.
        auto low = [](int first) { return first < 1 ? 1 : first; };
        auto high = [](int first, int extent) { return first + extent - 1 > 198 ? 198 : first + extent - 1; };
        int c0 = low(b.column), c1 = high(b.column, b.columnExtent);
        int r0 = low(b.row), r1 = high(b.row, b.rowExtent);
        int l0 = low(b.layer), l1 = high(b.layer, b.layerExtent);
        if (b.row == 199) {
            EXPECT_EQ(CountOpen(), 0);
        } else {
            EXPECT_TRUE(OpenExactly(c0, c1, r0, r1, l0, l1));
        }
        if (b.row == 197) {
            EXPECT_EQ(r0, 197);
            EXPECT_EQ(r1, 198);
            EXPECT_EQ(CountOpen(), b.columnExtent * 2 * b.layerExtent);
        }
        if (b.column == 0) {
            EXPECT_EQ(CountOpen(), (b.columnExtent - 1) * b.rowExtent * b.layerExtent);
        }
        if (b.layer == 198) {
            EXPECT_EQ(CountOpen(), b.columnExtent * b.rowExtent);
        }
    }
}

// On maps of other shapes (a tall one, one of three layers) as on the usual one, for one box and
// for many, the carving opens exactly the cells that testing every cell of every box in turn
// opens, and leaves the generator where the draws end.
TEST(CarvingShapes, OpensWhatACellByCellCarvingOpens) {
    struct Case {
        int size, height, count;
    };
    const Case cases[] = {{30, 300, 1}, {30, 300, 70001}, {7, 3, 5000}, {200, 200, 20000}};
    const int savedSize = mapSize, savedHeight = mapHeight, savedLayer = layerSize;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.size << "x" << k.size << "x" << k.height << ", " << k.count << " boxes");
        mapSize = k.size;
        mapHeight = k.height;
        layerSize = k.size * k.size;
        const int cells = layerSize * k.height;
        std::vector<unsigned char> expected(cells, 1);
        randomState = 1;
        for (int i = 0; i < k.count; i++) {
            const Box b = DrawBox();
            for (int l = b.layer; l < b.layer + b.layerExtent; l++)
                for (int r = b.row; r < b.row + b.rowExtent; r++)
                    for (int c = b.column; c < b.column + b.columnExtent; c++)
                        if (c >= 1 && c <= k.size - 2 && r >= 1 && r <= k.size - 2 && l >= 1 && l <= k.height - 2)
                            expected[CellIndex(c, r, l)] = 0;
        }
        const uint32_t expectedState = randomState;
        std::vector<unsigned char> map(cells, 1);
        dungeonMap = map.data();
        randomState = 1;
        CarveRooms(k.count);
        dungeonMap = nullptr;
        EXPECT_EQ(randomState, expectedState);
        EXPECT_TRUE(map == expected);
    }
    mapSize = savedSize;
    mapHeight = savedHeight;
    layerSize = savedLayer;
    randomState = 1;
}

TEST_F(Carving, NoBoxesForZeroOrNegativeCounts) {
    for (int count : {0, -1, -100000}) {
        randomState = 12345;
        CarveRooms(count);
        EXPECT_EQ(randomState, 12345u) << count;
        EXPECT_EQ(CountOpen(), 0) << count;
    }
}

}  // namespace

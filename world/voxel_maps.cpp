// Carving the dungeon: random boxes of open space cut out of solid rock.
#include "world/voxel_maps.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <array>
#include <utility>

#include "app/random.h"

// Clips [first, first + extent - 1] to the interior [1, last]; false when nothing is left.
static bool ClipToInterior(int first, int extent, int last, int* low, int* high) {
    *low = first < 1 ? 1 : first;
    int end = first + extent - 1;
    *high = end > last ? last : end;
    return *low <= *high;
}

namespace {

// value % divisor for the generator's values (0 ... 32767) by a multiply and a shift: the divisor
// is a global, so the compiler cannot do this itself, and three divisions a box were a large part of
// the carving. With inverse = 2^32 / divisor + 1 the quotient is exact while value * (the inverse's
// excess over 2^32 / divisor, at most divisor) stays below 2^32, which holds for divisors up to
// 2^16; any other divisor takes the plain remainder.
struct Remainder {
    int divisor;
    uint64_t inverse;  // 0: use %
};

Remainder RemainderBy(int divisor) {
    Remainder r = {divisor, 0};
    if (divisor >= 1 && divisor <= 65536) r.inverse = (uint64_t(1) << 32) / (uint32_t)divisor + 1;
    return r;
}

inline int RemainderOf(int value, const Remainder& r) {
    if (r.inverse == 0) return value % r.divisor;
    const uint32_t quotient = (uint32_t)(((uint64_t)(uint32_t)value * r.inverse) >> 32);
    return value - (int)quotient * r.divisor;
}

// Opening a box is a nest of loops over its layers, rows and columns, 1 to 5 each and different
// at every box: the loop ends mispredict nearly every time, and that was most of the carving's
// time. So every shape of box has an opener of its own, with constant counts (its loops always
// end the same way and its runs are constant-size stores), and a box costs one indirect call.
template <int Columns, int Rows, int Layers>
void OpenBoxOfShape(unsigned char* first, int rowStride, int layerStride) {
    for (int layer = 0; layer < Layers; layer++)
        for (int row = 0; row < Rows; row++) memset(first + layer * layerStride + row * rowStride, 0, Columns);
}

typedef void (*BoxOpener)(unsigned char* first, int rowStride, int layerStride);

template <size_t... Shape>
constexpr std::array<BoxOpener, sizeof...(Shape)> BoxOpenersFor(std::index_sequence<Shape...>) {
    return {{&OpenBoxOfShape<Shape % 5 + 1, Shape / 5 % 5 + 1, Shape / 25 + 1>...}};
}

// By (columns - 1) + 5 (rows - 1) + 25 (layers - 1).
const std::array<BoxOpener, 125> kBoxOpeners = BoxOpenersFor(std::make_index_sequence<125>());

}  // namespace

void CarveRooms(int count) {
    if (count <= 0) return;  // no boxes, no draws
    // The six draws of a box are six neighbouring positions of the sequence: each is followed on
    // its own, leaping over the other five, so the box's values do not wait on one another.
    const RandomLeap bySix = RandomLeapOf(6);
    uint32_t state[6];
    state[0] = Leap(randomState, RandomLeapOf(1));
    for (int k = 1; k < 6; k++) state[k] = Leap(state[k - 1], RandomLeapOf(1));
    uint32_t last = randomState;
    const Remainder bySize = RemainderBy(mapSize), byHeight = RemainderBy(mapHeight);
    const int rowStride = mapSize, layerStride = layerSize;

    for (int box = 0; box < count; box++) {
        // Six draws per box, in this order, whether or not any of it lands in the interior.
        int columnExtent = RandomValueOf(state[0]) % 5 + 1;
        int rowExtent = RandomValueOf(state[1]) % 5 + 1;
        int layerExtent = RandomValueOf(state[2]) % 5 + 1;
        int firstColumn = RemainderOf(RandomValueOf(state[3]), bySize);
        int firstRow = RemainderOf(RandomValueOf(state[4]), bySize);
        int firstLayer = RemainderOf(RandomValueOf(state[5]), byHeight);
        last = state[5];
        for (int k = 0; k < 6; k++) state[k] = Leap(state[k], bySix);

        // The shell stays solid: only the part of the box inside the interior is opened, nothing
        // wraps. Clipping once per box and clearing whole row runs gives the same cells as testing
        // each cell, at a fraction of the cost (this runs at every start).
        int c0, c1, r0, r1, l0, l1;
        if (!ClipToInterior(firstColumn, columnExtent, mapSize - 2, &c0, &c1)) continue;
        if (!ClipToInterior(firstRow, rowExtent, mapSize - 2, &r0, &r1)) continue;
        if (!ClipToInterior(firstLayer, layerExtent, mapHeight - 2, &l0, &l1)) continue;
        const int shape = (c1 - c0) + 5 * (r1 - r0) + 25 * (l1 - l0);  // each extent 1 ... 5
        kBoxOpeners[shape](dungeonMap + CellIndex(c0, r0, l0), rowStride, layerStride);
    }
    randomState = last;  // where the sequence stands after the last box's six draws
}

void BuildDungeon() {
    const size_t cells = (size_t)mapSize * mapSize * mapHeight;
    dungeonMap = (unsigned char*)malloc(cells);
    // Cleared flags straight from the allocator: fresh pages are already zero, so calloc need not
    // touch them, where filling them would fault in all 8 MB at every start.
    flagMap = (unsigned char*)calloc(cells, 1);
    if (!dungeonMap || !flagMap) abort();  // nothing can run without them
    memset(dungeonMap, 1, cells);
    CarveRooms(100000);
}

// Carving the dungeon: random boxes of open space cut out of solid rock.
#include "world/voxel_maps.h"

#include <string.h>

#include "app/random.h"

// Clips [first, first + extent - 1] to the interior [1, last]; false when nothing is left.
static bool ClipToInterior(int first, int extent, int last, int* low, int* high) {
    *low = first < 1 ? 1 : first;
    int end = first + extent - 1;
    *high = end > last ? last : end;
    return *low <= *high;
}

void CarveRooms(int count) {
    for (int box = 0; box < count; box++) {
        // Six draws per box, in this order, whether or not any of it lands in the interior.
        int columnExtent = NextRandom() % 5 + 1;
        int rowExtent = NextRandom() % 5 + 1;
        int layerExtent = NextRandom() % 5 + 1;
        int firstColumn = NextRandom() % mapSize;
        int firstRow = NextRandom() % mapSize;
        int firstLayer = NextRandom() % mapHeight;

        // The shell stays solid: only the part of the box inside the interior is opened, nothing
        // wraps. Clipping once per box and clearing whole row runs gives the same cells as testing
        // each cell, at a fraction of the cost (this runs at every start).
        int c0, c1, r0, r1, l0, l1;
        if (!ClipToInterior(firstColumn, columnExtent, mapSize - 2, &c0, &c1)) continue;
        if (!ClipToInterior(firstRow, rowExtent, mapSize - 2, &r0, &r1)) continue;
        if (!ClipToInterior(firstLayer, layerExtent, mapHeight - 2, &l0, &l1)) continue;
        size_t run = (size_t)(c1 - c0 + 1);
        for (int layer = l0; layer <= l1; layer++) {
            for (int row = r0; row <= r1; row++) {
                memset(dungeonMap + CellIndex(c0, row, layer), 0, run);
            }
        }
    }
}

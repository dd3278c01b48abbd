// The voxel maps: dimensions, cell addressing and the carving of the dungeon.
#pragma once

#include "app/program_state.h"

inline int CellIndex(int column, int row, int layer) {
    return layer * layerSize + row * mapSize + column;
}

// Carves `count` random boxes out of dungeonMap, never touching the outer shell.
void CarveRooms(int count);
// The start-up's generation: allocates both maps, fills the dungeon with rock and clears the
// flags, then carves CarveRooms(100000). Ends the process if the maps cannot be allocated.
void BuildDungeon();

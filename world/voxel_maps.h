// The voxel maps: dimensions, cell addressing and the carving of the dungeon.
#pragma once

#include "app/program_state.h"

inline int CellIndex(int column, int row, int layer) {
    return layer * layerSize + row * mapSize + column;
}

// Carves `count` random boxes out of dungeonMap, never touching the outer shell.
void CarveRooms(int count);

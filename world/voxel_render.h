// Drawing single voxel cells with OpenGL, in the cell's own frame centred on the origin.
#pragma once

// The walls of an open cell towards its solid neighbours. Never reads outside the map: a neighbour
// beyond the map counts as rock, and a cell beyond the map sends no wall (the bindings, the scale
// and the three begin/end pairs are still issued).
void DrawVoxelCell(int column, int row, int layer);
// A small cube spinning with the frame count, with the flag texture when the cell is flagged.
void DrawFlagCube(int column, int row, int layer);

// The program's state as its start-up leaves it, and its display window, for the in-process
// benchmarks.
#pragma once

// Loads the five texture images, builds the dungeon and paints the backdrop, once per process.
void EnsureProgramStarted();
// Opens the display window at a zoom of 1 to 4, as the program does, with the crosshair's pointer
// in the middle of it. False on failure.
bool OpenProgramWindow(int zoom);

// The keyboard controls applied after every presented frame.
#pragma once

// Applies every row of the control table in order. False when re-creating the window for a new
// zoom failed: the program must then end with exit code 0.
bool ApplyControls();

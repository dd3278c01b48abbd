// Saving and loading both voxel maps as numbered map files, with a progress screen per chunk.
#pragma once

// -1 when the file cannot be opened, 0 when the save failed, nonzero on success.
int SaveMapFile(int mapNumber);
// -1 when the file cannot be opened (or does not exist), 0 when it is short or unreadable (both
// maps then stay as they were), nonzero on success.
int LoadMapFile(int mapNumber);

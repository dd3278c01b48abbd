// The map file store: both voxel maps in one numbered file, moved in chunks of a million bytes with
// a progress screen before each chunk.
//
// Layout: dungeonMap bytes 0 ... N - 2, then flagMap bytes 0 ... N - 2, no header. The last cell of
// each map (a corner of the solid shell) is not stored; existing files rely on that.
//
// A save writes a temporary file beside the map file and puts it in place only when every byte is
// on disk, so a failed save leaves the old file as it was. A load reads the whole file before it
// changes either map, so a short or unreadable file leaves both maps as they were.
#include "world/map_store.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/program_state.h"
#include "scene/frame.h"
#include "screen/screen_buffer.h"
#include "screen/text.h"

namespace {

const int kChunkBytes = 1000000;
const DWORD kChunkPauseMs = 1000;

// One composed frame with the stage message in yellow on top.
void ShowProgress(const char* message) {
    DrawFrame();
    sprintf(textBuffer, "%s", message);
    DrawLargeText(20, 100, 255, 255, 0);
    PresentScreen();
    SwapBuffers(windowDC);
}

// The chunk of a map that starts at `offset`: a full million, or what is left short of the last cell.
DWORD ChunkLength(int offset, int cells) {
    return offset + kChunkBytes < cells ? (DWORD)kChunkBytes : (DWORD)(cells - offset - 1);
}

// Writes one map, a progress screen before each chunk and a pause after it. False at the first
// chunk that does not go out whole.
bool WriteMap(HANDLE file, const unsigned char* map, int cells, const char* message) {
    for (int offset = 0; offset < cells; offset += kChunkBytes) {
        ShowProgress(message);
        DWORD length = ChunkLength(offset, cells);
        DWORD writelength = 0;
        if (!WriteFile(file, map + offset, length, &writelength, NULL) || writelength != length) return false;
        Sleep(kChunkPauseMs);
    }
    return true;
}

// Reads one map's block into `staging`, chunk by chunk as WriteMap wrote it. False at the first
// chunk that does not come in whole.
bool ReadMap(HANDLE file, unsigned char* staging, int cells, const char* message) {
    for (int offset = 0; offset < cells; offset += kChunkBytes) {
        ShowProgress(message);
        DWORD length = ChunkLength(offset, cells);
        DWORD readlength = 0;
        if (!ReadFile(file, staging + offset, length, &readlength, NULL) || readlength != length) return false;
        Sleep(kChunkPauseMs);
    }
    return true;
}

}  // namespace

int SaveMapFile(int mapNumber) {
    char filename[256];
    sprintf(filename, ".\\map\\%d.map", mapNumber);
    char tempname[256];
    sprintf(tempname, ".\\map\\%d.map.tmp", mapNumber);
    int cells = mapSize * mapSize * mapHeight;

    // A fresh temporary file each time: nothing of an earlier, longer file survives.
    HANDLE file = CreateFileA(tempname, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return -1;

    bool written = WriteMap(file, dungeonMap, cells, "Saving dungeon maps") &&
                   WriteMap(file, flagMap, cells, "Saving flag maps");
    if (written) {
        ShowProgress("Saving variables");
        Sleep(kChunkPauseMs);
        written = FlushFileBuffers(file) != 0;
    }
    bool closed = CloseHandle(file) != 0;
    if (!written || !closed || !MoveFileExA(tempname, filename, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(tempname);
        return 0;
    }
    return 1;
}

int LoadMapFile(int mapNumber) {
    char filename[256];
    sprintf(filename, ".\\map\\%d.map", mapNumber);
    int cells = mapSize * mapSize * mapHeight;

    // Open for reading only and never create: a missing file is not a map.
    HANDLE file = CreateFileA(filename, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return -1;

    // A file too short for both blocks cannot be a map of this size; say so before any screen.
    // Bytes beyond the two blocks are ignored.
    LONGLONG stored = cells > 0 ? 2 * ((LONGLONG)cells - 1) : 0;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < stored) {
        CloseHandle(file);
        return 0;
    }

    // Both blocks go to a staging buffer first; the maps change only once all of it has arrived.
    size_t block = cells > 0 ? (size_t)cells - 1 : 0;
    unsigned char* staging = (unsigned char*)malloc(2 * block + 1);
    if (!staging) {
        CloseHandle(file);
        return 0;
    }
    bool read = ReadMap(file, staging, cells, "Loading dungeon maps") &&
                ReadMap(file, staging + block, cells, "Loading flag maps");
    if (read) {
        ShowProgress("Loading variables");
        Sleep(kChunkPauseMs);
    }
    bool closed = CloseHandle(file) != 0;
    if (read && closed) {
        memcpy(dungeonMap, staging, block);
        memcpy(flagMap, staging + block, block);
    }
    free(staging);
    return read && closed ? 1 : 0;
}

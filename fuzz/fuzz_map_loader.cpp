// The map loader on arbitrary file bytes, with small map dimensions so that each run is quick.
// The first input byte chooses the dimensions, the rest is the map file. A load that does not
// succeed leaves both maps exactly as they were; one that succeeds puts the file's two blocks in
// place and keeps each map's last cell. The file itself is never changed. Now and then the maps
// are saved and loaded back, which must give them back unchanged.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <vector>

#include "app/program_state.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform_seams.h"
#include "world/map_store.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes ReadBack(const char* path) {
    Bytes bytes;
    FILE* f = fopen(path, "rb");
    if (!f) return bytes;
    int c;
    while ((c = fgetc(f)) != EOF) bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

void UseDimensions(int size, int height) {
    delete[] dungeonMap;
    delete[] flagMap;
    mapSize = size, mapHeight = height, layerSize = size * size;
    const int n = size * size * height;
    dungeonMap = new unsigned char[n > 0 ? n : 1];
    flagMap = new unsigned char[n > 0 ? n : 1];
    for (int i = 0; i < n; i++) {
        dungeonMap[i] = (unsigned char)(i * 7 + 1);
        flagMap[i] = (unsigned char)(i * 13 + 2);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterScratchFolder();
    mkdir("map", 0755);
    OpenOffscreenDisplay();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t shape = data[0];
    // mapSize 0 ... 7, mapHeight 0 ... 3: zero-cell maps included.
    UseDimensions(shape & 7, (shape >> 3) & 3);
    const bool roundTrip = shape & 0x80;
    const int n = mapSize * mapSize * mapHeight;
    WriteFileBytes("map/5.map", data + 1, size - 1);
    const Bytes file(data + 1, data + size);

    SeamReset();
    SeamRecordSleeps(true);
    const Bytes dungeonBefore(dungeonMap, dungeonMap + n), flagsBefore(flagMap, flagMap + n);
    const int result = LoadMapFile(5);
    const Bytes dungeon(dungeonMap, dungeonMap + n), flags(flagMap, flagMap + n);
    const size_t stored = n > 0 ? 2 * (size_t)(n - 1) : 0;

    if (result != 0 && result != 1) abort();
    if ((result == 1) != (file.size() >= stored)) abort();
    if (result == 1) {
        for (int i = 0; i + 1 < n; i++) {
            if (dungeon[i] != file[i] || flags[i] != file[n - 1 + i]) abort();
        }
        if (n > 0 && (dungeon[n - 1] != dungeonBefore[n - 1] || flags[n - 1] != flagsBefore[n - 1])) abort();
    } else if (dungeon != dungeonBefore || flags != flagsBefore) {
        abort();
    }
    if (ReadBack("map/5.map") != file) abort();
    if (SeamOpenFiles() != 0) abort();

    if (roundTrip) {
        if (SaveMapFile(6) != 1) abort();
        if (ReadBack("map/6.map").size() != stored) abort();
        memset(dungeonMap, 0xEE, n);
        memset(flagMap, 0xEE, n);
        if (LoadMapFile(6) != 1) abort();
        for (int i = 0; i + 1 < n; i++) {
            if (dungeonMap[i] != dungeon[i] || flagMap[i] != flags[i]) abort();
        }
    }
    SeamReset();
    return 0;
}

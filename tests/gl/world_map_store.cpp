// The map file store in a temporary folder: the file's layout, the progress screens and pauses, and
// what failures leave behind.
#include <gtest/gtest.h>
#include <dirent.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/display_window.h"
#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "screen/screen_buffer.h"
#include "tests/support/gl_context.h"
#include "world/map_store.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes ReadWhole(const std::string& path) {
    Bytes bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(f);
    return bytes;
}

void WriteWhole(const std::string& path, const Bytes& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) {
        ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    fclose(f);
}

long long SizeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? (long long)info.st_size : -1;
}

// Names in a folder, without . and ..
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

// What one progress screen showed: the message formatted for it, and whether yellow text was in the
// window at the message's place when the buffers were swapped.
struct Screen {
    std::string message;
    bool yellow;
};
std::vector<Screen> screens;

void RecordScreen(HDC, void*) {
    std::vector<unsigned char> band = ReadBackBufferRGBA(20, 88, 8 * 20, 12);
    bool yellow = false;
    for (size_t i = 0; i + 3 < band.size(); i += 4) {
        yellow = yellow || (band[i] == 255 && band[i + 1] == 255 && band[i + 2] == 0);
    }
    screens.push_back({textBuffer, yellow});
}

std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    for (const Screen& s : screens) messages.push_back(s.message);
    return messages;
}

std::vector<std::string> Stages(const char* dungeon, const char* flags, const char* variables, int chunks) {
    std::vector<std::string> messages(chunks, dungeon);
    messages.insert(messages.end(), chunks, flags);
    messages.push_back(variables);
    return messages;
}

class MapStore : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zoomFactor = 1;  // the window is 320 x 240, one window pixel per screen pixel
        ASSERT_TRUE(OpenDisplayWindow("DUD", kScreenWidth, kScreenHeight, 32, false));
        InitScreenBuffers();
    }
    static void TearDownTestSuite() { CloseDisplayWindow(); }

    void SetUp() override {
        ASSERT_NE(getcwd(savedDir, sizeof savedDir), nullptr);
        char pattern[] = "/tmp/dud_map_store_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_EQ(chdir(folder.c_str()), 0);
        ASSERT_EQ(mkdir("map", 0755), 0);
        savedSize = mapSize, savedHeight = mapHeight, savedLayer = layerSize;
        dungeonMap = flagMap = nullptr;
        UseDimensions(200, 200);
        Watch();  // no test waits for the pauses
    }
    void TearDown() override {
        SeamReset();
        EXPECT_EQ(SeamOpenFiles(), 0);
        delete[] dungeonMap;
        delete[] flagMap;
        dungeonMap = flagMap = nullptr;
        mapSize = savedSize, mapHeight = savedHeight, layerSize = savedLayer;
        EXPECT_EQ(chdir(savedDir), 0);
        std::string command = "rm -rf '" + folder + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }

    // Maps of the given dimensions (layerSize too, which the program fixes at start), each exactly N
    // bytes and filled with a pattern that tells every offset and the two maps apart.
    void UseDimensions(int size, int height) {
        delete[] dungeonMap;
        delete[] flagMap;
        mapSize = size, mapHeight = height, layerSize = size * size;
        n = size * size * height;
        dungeonMap = new unsigned char[n];
        flagMap = new unsigned char[n];
        for (int i = 0; i < n; i++) {
            dungeonMap[i] = (unsigned char)(i * 7 + i / 251);
            flagMap[i] = (unsigned char)(i * 13 + 100 + i / 241);
        }
        dungeonMap[0] = 0x5A;
        flagMap[0] = 0xA5;
    }
    Bytes Dungeon() const { return Bytes(dungeonMap, dungeonMap + n); }
    Bytes Flags() const { return Bytes(flagMap, flagMap + n); }
    // The file a save of the current maps must produce.
    Bytes ExpectedFile() const {
        Bytes file(dungeonMap, dungeonMap + n - 1);
        file.insert(file.end(), flagMap, flagMap + n - 1);
        return file;
    }
    // Watch the next operation: its screens and its pauses (recorded, not waited).
    void Watch() {
        SeamReset();
        SeamRecordSleeps(true);
        screens.clear();
        SeamSetSwapHook(RecordScreen, nullptr);
    }
    int Pauses() const {
        for (DWORD ms : SeamRecordedSleeps()) EXPECT_EQ(ms, 1000u);
        return (int)SeamRecordedSleeps().size();
    }

    char savedDir[4096];
    std::string folder;
    int savedSize = 0, savedHeight = 0, savedLayer = 0, n = 0;
};

TEST_F(MapStore, SaveWritesBothMapsButTheirLastCellsInSeventeenChunks) {
    Watch();
    EXPECT_EQ(SaveMapFile(7), 1);
    EXPECT_EQ(Messages(), Stages("Saving dungeon maps", "Saving flag maps", "Saving variables", 8));
    for (const Screen& s : screens) EXPECT_TRUE(s.yellow) << s.message << " not shown in yellow";
    EXPECT_EQ(Pauses(), 17);

    Bytes file = ReadWhole("map/7.map");
    ASSERT_EQ(file.size(), 15999998u);
    EXPECT_EQ(file[0], 0x5A);
    EXPECT_EQ(file[7999999], 0xA5);
    EXPECT_TRUE(file == ExpectedFile());
    EXPECT_EQ(Listing("map"), std::vector<std::string>{"7.map"}) << "no temporary file left behind";
}

TEST_F(MapStore, LoadRestoresWhatWasSavedExceptTheLastCells) {
    Bytes dungeon = Dungeon(), flags = Flags();
    ASSERT_EQ(SaveMapFile(3), 1);
    memset(dungeonMap, 0x33, n);
    memset(flagMap, 0x44, n);
    Watch();
    EXPECT_EQ(LoadMapFile(3), 1);
    EXPECT_EQ(Messages(), Stages("Loading dungeon maps", "Loading flag maps", "Loading variables", 8));
    EXPECT_EQ(Pauses(), 17);
    dungeon[n - 1] = 0x33;  // not stored: keeps its value from before the load
    flags[n - 1] = 0x44;
    EXPECT_TRUE(Dungeon() == dungeon);
    EXPECT_TRUE(Flags() == flags);
    EXPECT_EQ(SizeOf("map/3.map"), 15999998) << "a load does not change the file";
}

TEST_F(MapStore, MillionCellMapsMoveInOneChunkEach) {
    UseDimensions(100, 100);
    Bytes dungeon = Dungeon(), flags = Flags();
    Watch();
    EXPECT_EQ(SaveMapFile(1), 1);
    EXPECT_EQ(Messages(), Stages("Saving dungeon maps", "Saving flag maps", "Saving variables", 1));
    EXPECT_EQ(Pauses(), 3);
    EXPECT_TRUE(ReadWhole("map/1.map") == ExpectedFile());
    EXPECT_EQ(SizeOf("map/1.map"), 1999998);

    memset(dungeonMap, 0, n);
    memset(flagMap, 0, n);
    Watch();
    EXPECT_EQ(LoadMapFile(1), 1);
    EXPECT_EQ(Messages(), Stages("Loading dungeon maps", "Loading flag maps", "Loading variables", 1));
    dungeon[n - 1] = flags[n - 1] = 0;
    EXPECT_TRUE(Dungeon() == dungeon && Flags() == flags);
}

TEST_F(MapStore, MapNumbersNameTheFiles) {
    UseDimensions(20, 10);
    const struct {
        int number;
        const char* name;
    } cases[] = {{7, "7.map"}, {-1, "-1.map"}, {0, "0.map"}, {INT_MIN, "-2147483648.map"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_EQ(system("rm -f map/*"), 0);
        EXPECT_EQ(SaveMapFile(k.number), 1);
        EXPECT_EQ(Listing("map"), std::vector<std::string>{k.name});
        EXPECT_EQ(LoadMapFile(k.number), 1);
    }
}

TEST_F(MapStore, NoFolderOrNoFileOpensNothingAndCreatesNothing) {
    UseDimensions(20, 10);
    Bytes dungeon = Dungeon(), flags = Flags();

    Watch();
    EXPECT_EQ(LoadMapFile(5), -1) << "a missing file";
    EXPECT_TRUE(Listing("map").empty());

    ASSERT_EQ(rmdir("map"), 0);
    EXPECT_EQ(SaveMapFile(5), -1) << "no folder";
    EXPECT_EQ(LoadMapFile(5), -1) << "no folder";
    EXPECT_TRUE(Listing(".").empty());

    EXPECT_TRUE(screens.empty());
    EXPECT_EQ(Pauses(), 0);
    EXPECT_TRUE(Dungeon() == dungeon && Flags() == flags);
}

TEST_F(MapStore, ShortFilesLeaveBothMapsAsTheyWere) {
    UseDimensions(100, 100);  // one chunk per map
    Bytes dungeon = Dungeon(), flags = Flags();
    const Bytes whole = ExpectedFile();
    for (size_t length : {(size_t)0, (size_t)1, (size_t)(n - 1), whole.size() - 1}) {
        SCOPED_TRACE(length);
        WriteWhole("map/2.map", Bytes(whole.begin(), whole.begin() + length));
        memset(dungeonMap, 9, n);
        memset(flagMap, 9, n);
        dungeon.assign(n, 9);
        flags.assign(n, 9);
        Watch();
        EXPECT_EQ(LoadMapFile(2), 0);
        EXPECT_TRUE(Dungeon() == dungeon && Flags() == flags);
        EXPECT_TRUE(screens.empty()) << "known to be short before any chunk";
        EXPECT_EQ(SizeOf("map/2.map"), (long long)length);
    }

    // A read that fails midway, past the size check: the screens stop there, the maps stay.
    WriteWhole("map/2.map", whole);
    Watch();
    SeamFailCall(PlatformCall::ReadFile, 1);
    EXPECT_EQ(LoadMapFile(2), 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Loading dungeon maps", "Loading flag maps"}));
    EXPECT_EQ(Pauses(), 1);
    EXPECT_TRUE(Dungeon() == dungeon && Flags() == flags);
}

TEST_F(MapStore, LongerFilesLoadTheirStartAndAreReplacedWhole) {
    UseDimensions(100, 100);
    Bytes dungeon = Dungeon(), flags = Flags();
    Bytes longer = ExpectedFile();
    longer.resize(3000000, 0xEE);
    WriteWhole("map/4.map", longer);

    memset(dungeonMap, 0, n);
    memset(flagMap, 0, n);
    EXPECT_EQ(LoadMapFile(4), 1);
    dungeon[n - 1] = flags[n - 1] = 0;
    EXPECT_TRUE(Dungeon() == dungeon && Flags() == flags) << "the rest of the file is ignored";

    EXPECT_EQ(SaveMapFile(4), 1);
    EXPECT_EQ(SizeOf("map/4.map"), 1999998) << "no stale tail of the older file";
    EXPECT_TRUE(ReadWhole("map/4.map") == ExpectedFile());
}

TEST_F(MapStore, FailedSaveKeepsTheOldFile) {
    UseDimensions(200, 200);
    Bytes old(15999998, 0x61);
    WriteWhole("map/6.map", old);
    Bytes dungeon = Dungeon(), flags = Flags();
    const struct {
        const char* name;
        PlatformCall call;
        int skip;
        int screensShown;  // -1: all of them
    } cases[] = {
        {"fourth write fails", PlatformCall::WriteFile, 3, 4},
        {"last flag chunk fails", PlatformCall::WriteFile, 15, 16},
        {"flush fails", PlatformCall::FlushFileBuffers, 0, -1},
        {"replace fails", PlatformCall::MoveFile, 0, -1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Watch();
        SeamFailCall(k.call, k.skip);
        EXPECT_EQ(SaveMapFile(6), 0);
        EXPECT_EQ((int)screens.size(), k.screensShown < 0 ? 17 : k.screensShown);
        if (k.screensShown >= 0) {
            EXPECT_EQ(Pauses(), k.screensShown - 1) << "no pause after the failed chunk";
        }
        EXPECT_TRUE(ReadWhole("map/6.map") == old);
        EXPECT_EQ(Listing("map"), std::vector<std::string>{"6.map"}) << "the temporary file is removed";
        EXPECT_TRUE(Dungeon() == dungeon && Flags() == flags);
    }
}

// A real short write: the file size limit cuts the second chunk off.
TEST_F(MapStore, WriteCutShortByTheFileSizeLimitKeepsTheOldFile) {
    UseDimensions(100, 100);
    Bytes old(1999998, 0x62);
    WriteWhole("map/8.map", old);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*savedHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1500000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Watch();
    int result = SaveMapFile(8);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Saving dungeon maps", "Saving flag maps"}));
    EXPECT_TRUE(ReadWhole("map/8.map") == old);
    EXPECT_EQ(Listing("map"), std::vector<std::string>{"8.map"});
}

}  // namespace

// Fault injection for the map file store: every platform file call failing in turn, at every one
// of its calls in a save and a load, a write cut off by the file size limit at every chunk edge,
// and a map file truncated at every length. Whatever fails, the result says so, and neither a map
// nor the old file is lost or half-written.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/display_window.h"
#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "screen/screen_buffer.h"
#include "world/map_store.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes ReadWhole(const char* path) {
    Bytes bytes;
    FILE* f = fopen(path, "rb");
    if (!f) return bytes;
    int c;
    while ((c = fgetc(f)) != EOF) bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

void WriteWhole(const char* path, const Bytes& bytes) {
    FILE* f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) {
        ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    ASSERT_EQ(fclose(f), 0);
}

std::vector<std::string> Listing(const char* folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder)) {
        while (dirent* entry = readdir(dir)) {
            if (strcmp(entry->d_name, ".") && strcmp(entry->d_name, "..")) names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

const PlatformCall kFileCalls[] = {PlatformCall::CreateFile,       PlatformCall::ReadFile,
                                   PlatformCall::WriteFile,        PlatformCall::CloseHandle,
                                   PlatformCall::FlushFileBuffers, PlatformCall::MoveFile,
                                   PlatformCall::DeleteFile};
const char* const kCallNames[] = {"CreateFile", "ReadFile", "WriteFile", "CloseHandle",
                                  "FlushFileBuffers", "MoveFile", "DeleteFile"};

class MapStoreFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zoomFactor = 1;
        ASSERT_TRUE(OpenDisplayWindow("DUD", kScreenWidth, kScreenHeight, 32, false));
        InitScreenBuffers();
    }
    static void TearDownTestSuite() { CloseDisplayWindow(); }

    void SetUp() override {
        ASSERT_NE(getcwd(savedDir, sizeof savedDir), nullptr);
        char pattern[] = "/tmp/dud_map_faults_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_EQ(chdir(folder.c_str()), 0);
        ASSERT_EQ(mkdir("map", 0755), 0);
        savedSize = mapSize, savedHeight = mapHeight, savedLayer = layerSize;
        savedDungeon = dungeonMap, savedFlags = flagMap;
        dungeonMap = flagMap = nullptr;
        SeamReset();
        SeamRecordSleeps(true);
        // A CloseHandle made to fail leaves its handle open in the layer (earlier tests do that);
        // open files are counted from here.
        openBefore = SeamOpenFiles();
    }
    void TearDown() override {
        SeamReset();
        delete[] dungeonMap;
        delete[] flagMap;
        dungeonMap = savedDungeon, flagMap = savedFlags;
        mapSize = savedSize, mapHeight = savedHeight, layerSize = savedLayer;
        EXPECT_EQ(chdir(savedDir), 0);
        EXPECT_EQ(system(("rm -rf '" + folder + "'").c_str()), 0);
    }

    // Maps of size x size x height cells, each byte telling its map and offset apart (seeded so
    // that two fillings differ).
    void UseDimensions(int size, int height, int seed) {
        delete[] dungeonMap;
        delete[] flagMap;
        mapSize = size, mapHeight = height, layerSize = size * size;
        n = size * size * height;
        dungeonMap = new unsigned char[n];
        flagMap = new unsigned char[n];
        Fill(seed);
    }
    void Fill(int seed) {
        for (int i = 0; i < n; i++) {
            dungeonMap[i] = (unsigned char)(i * 7 + seed);
            flagMap[i] = (unsigned char)(i * 13 + 2 * seed + 1);
        }
    }
    Bytes Maps() const {
        Bytes both(dungeonMap, dungeonMap + n);
        both.insert(both.end(), flagMap, flagMap + n);
        return both;
    }
    Bytes FileOfMaps() const {
        Bytes file(dungeonMap, dungeonMap + n - 1);
        file.insert(file.end(), flagMap, flagMap + n - 1);
        return file;
    }
    // How often a clean run of `operation` makes each file call.
    template <typename F>
    std::vector<int> CallsOf(F operation) {
        SeamReset();
        SeamRecordSleeps(true);
        operation();
        std::vector<int> counts;
        for (PlatformCall call : kFileCalls) counts.push_back(SeamCallCount(call));
        return counts;
    }

    char savedDir[4096];
    std::string folder;
    int savedSize = 0, savedHeight = 0, savedLayer = 0, n = 0, openBefore = 0;
    unsigned char *savedDungeon = nullptr, *savedFlags = nullptr;
};

// Two chunks per map (N = 1,200,000), so that a write or read can fail between chunks as well.
TEST_F(MapStoreFaults, SaveWithEveryFileCallFailingInTurnKeepsTheOldFileOrWritesTheNewOneWhole) {
    UseDimensions(20, 3000, 1);
    const Bytes oldFile = FileOfMaps();
    WriteWhole("map/3.map", oldFile);
    Fill(2);
    const Bytes newFile = FileOfMaps(), maps = Maps();
    const std::vector<int> counts = CallsOf([] { EXPECT_EQ(SaveMapFile(3), 1); });
    EXPECT_EQ(counts[2], 4) << "four chunks written";

    // Each case saves under a map number of its own: a temporary file whose close was made to fail
    // stays open in the layer and cannot be deleted (as on Win32, where an open file without
    // delete sharing cannot be), and must not disturb the next case.
    int tried = 0;
    for (size_t c = 0; c < sizeof kFileCalls / sizeof kFileCalls[0]; c++) {
        for (int skip = 0; skip < counts[c]; skip++, tried++) {
            SCOPED_TRACE(testing::Message() << kCallNames[c] << " fails at call " << skip);
            const int number = 100 + tried;
            const std::string name = std::to_string(number) + ".map", path = "map/" + name;
            ASSERT_EQ(system("rm -f map/*"), 0);
            WriteWhole(path.c_str(), oldFile);
            SeamReset();
            SeamRecordSleeps(true);
            SeamFailCall(kFileCalls[c], skip);
            const int result = SaveMapFile(number);
            const Bytes now = ReadWhole(path.c_str());
            EXPECT_EQ(Maps(), maps) << "a save never changes the maps";
            if (kFileCalls[c] == PlatformCall::CreateFile) {
                EXPECT_EQ(result, -1);
            } else if (kFileCalls[c] == PlatformCall::DeleteFile) {
                EXPECT_EQ(result, 1) << "a save that succeeds deletes nothing";
            } else {
                EXPECT_EQ(result, 0);
            }
            EXPECT_TRUE(now == (result == 1 ? newFile : oldFile)) << "the map file is whole, old or new";
            std::vector<std::string> expected{name};
            if (kFileCalls[c] == PlatformCall::CloseHandle) expected.push_back(name + ".tmp");  // still open
            std::vector<std::string> listing = Listing("map");
            std::sort(listing.begin(), listing.end());
            EXPECT_EQ(listing, expected) << "the temporary file is removed";
        }
    }
    EXPECT_GE(tried, 8);
}

TEST_F(MapStoreFaults, LoadWithEveryFileCallFailingInTurnChangesNoMapUnlessItSucceeds) {
    UseDimensions(20, 3000, 3);
    const Bytes file = FileOfMaps();
    WriteWhole("map/4.map", file);
    Fill(4);
    const Bytes before = Maps();
    const std::vector<int> counts = CallsOf([&] {
        EXPECT_EQ(LoadMapFile(4), 1);
        Fill(4);
    });
    EXPECT_EQ(counts[1], 4) << "four chunks read";

    for (size_t c = 0; c < sizeof kFileCalls / sizeof kFileCalls[0]; c++) {
        for (int skip = 0; skip < counts[c]; skip++) {
            SCOPED_TRACE(testing::Message() << kCallNames[c] << " fails at call " << skip);
            Fill(4);
            SeamReset();
            SeamRecordSleeps(true);
            SeamFailCall(kFileCalls[c], skip);
            const int result = LoadMapFile(4);
            EXPECT_EQ(result, kFileCalls[c] == PlatformCall::CreateFile ? -1 : 0);
            EXPECT_TRUE(Maps() == before) << "a failed load leaves both maps as they were";
            EXPECT_TRUE(ReadWhole("map/4.map") == file) << "a load never changes the file";
        }
    }
    EXPECT_EQ(Listing("map"), std::vector<std::string>{"4.map"});
}

// Every length of a small map file from empty to one byte past whole.
TEST_F(MapStoreFaults, FilesTruncatedAtEveryLengthLeaveBothMapsAsTheyWere) {
    UseDimensions(3, 2, 5);  // N = 18: a file of 34 bytes
    const Bytes whole = FileOfMaps();
    Bytes longer = whole;
    longer.push_back(0x99);
    Fill(6);
    const Bytes before = Maps();
    for (size_t length = 0; length <= longer.size(); length++) {
        SCOPED_TRACE(length);
        WriteWhole("map/1.map", Bytes(longer.begin(), longer.begin() + length));
        Fill(6);
        const int result = LoadMapFile(1);
        EXPECT_EQ(SeamOpenFiles(), openBefore);
        if (length < whole.size()) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(Maps() == before);
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_TRUE(Bytes(dungeonMap, dungeonMap + n - 1) == Bytes(whole.begin(), whole.begin() + n - 1));
            EXPECT_TRUE(Bytes(flagMap, flagMap + n - 1) == Bytes(whole.begin() + n - 1, whole.end()));
            EXPECT_EQ(dungeonMap[n - 1], before[n - 1]) << "the last cells are not stored";
            EXPECT_EQ(flagMap[n - 1], before[2 * n - 1]);
        }
    }
}

// The file size limit cuts a real write short (SIGXFSZ ignored, so write reports the short count):
// at the first byte, inside a chunk, at each chunk's edge and one byte short of the whole file.
TEST_F(MapStoreFaults, WritesCutOffByTheFileSizeLimitAtAnyPointKeepTheOldFile) {
    UseDimensions(20, 3000, 7);
    const Bytes oldFile = FileOfMaps();
    Fill(8);
    const long long whole = 2LL * (n - 1);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*savedHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    for (long long limit : {0LL, 1LL, 999999LL, 1000000LL, 1000001LL, (long long)n - 1, (long long)n,
                            n - 1 + 1000000LL, whole - 1}) {
        SCOPED_TRACE(limit);
        WriteWhole("map/2.map", oldFile);
        struct rlimit limited = saved;
        limited.rlim_cur = (rlim_t)limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const int result = SaveMapFile(2);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(ReadWhole("map/2.map") == oldFile);
        EXPECT_EQ(Listing("map"), std::vector<std::string>{"2.map"});
        EXPECT_EQ(SeamOpenFiles(), openBefore);
    }
    signal(SIGXFSZ, savedHandler);
    EXPECT_EQ(SaveMapFile(2), 1) << "without the limit the same save succeeds";
    EXPECT_EQ((long long)ReadWhole("map/2.map").size(), whole);
}

}  // namespace

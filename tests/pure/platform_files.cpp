// Files of the platform layer: dispositions, access, share modes, errors, replacing, full disks.
#include "platform/platform_seams.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

const DWORD kReadWrite = FILE_READ_DATA | FILE_WRITE_DATA;  // the program's texture open

class PlatformFiles : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        char pattern[] = "/tmp/dud_platform_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        openBefore = SeamOpenFiles();
    }
    void TearDown() override {
        EXPECT_EQ(SeamOpenFiles(), openBefore) << "a test left a handle open";
        SeamReset();
        std::string command = "rm -rf '" + folder + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
    std::string Path(const std::string& name) const { return folder + "/" + name; }
    void Put(const std::string& name, const std::string& content) const {
        std::ofstream(Path(name), std::ios::binary) << content;
    }
    bool Exists(const std::string& name) const {
        struct stat info;
        return stat(Path(name).c_str(), &info) == 0;
    }
    std::string Content(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition) const {
        return CreateFileA(Path(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    std::string folder;
    int openBefore = 0;
};

TEST_F(PlatformFiles, DispositionsFollowWin32) {
    struct Case {
        DWORD disposition;
        bool exists;
        bool opens;
        DWORD error;
        const char* contentAfter;  // null: no file afterwards
    };
    const Case cases[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "hello"},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, "hello"},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "hello"},
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        std::string name = "d" + std::to_string(index++);
        if (c.exists) Put(name, "hello");
        SetLastError(0xDEAD);
        HANDLE file = Open(name, GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
        DWORD error = GetLastError();
        SCOPED_TRACE("disposition " + std::to_string(c.disposition) + (c.exists ? " on an existing file" : " on a missing file"));
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
        EXPECT_EQ(error, c.error);
        if (file != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(file));
        }
        EXPECT_EQ(Exists(name), c.contentAfter != nullptr);
        if (c.contentAfter) {
            EXPECT_EQ(Content(name), c.contentAfter);
        }
    }
    EXPECT_EQ(Open("x", GENERIC_READ, 0, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Open("x", GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);  // truncation needs write access
    EXPECT_EQ(Open("x", GENERIC_READ, 0, 6), INVALID_HANDLE_VALUE);
}

TEST_F(PlatformFiles, OpenErrorsCreateNothing) {
    // A missing folder: OPEN_ALWAYS creates neither folder nor file.
    EXPECT_EQ(Open("nofolder/7.map", kReadWrite, FILE_SHARE_WRITE, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(Exists("nofolder"));
    EXPECT_EQ(Open("nofolder/7.map", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // A folder is not a file.
    ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileAttributesA(Path("sub").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    for (DWORD access : {static_cast<DWORD>(GENERIC_READ), static_cast<DWORD>(kReadWrite)}) {
        EXPECT_EQ(Open("sub", access, FILE_SHARE_READ, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }

    // A read-only file opens for reading, never for writing or truncating (for root too).
    Put("ro", "keep");
    ASSERT_EQ(chmod(Path("ro").c_str(), 0444), 0);
    EXPECT_EQ(GetFileAttributesA(Path("ro").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Open("ro", kReadWrite, FILE_SHARE_WRITE, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Open("ro", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Content("ro"), "keep");
    HANDLE reader = Open("ro", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_FALSE(DeleteFileA(Path("ro").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    EXPECT_EQ(GetFileAttributesA(Path("missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(PlatformFiles, ReadAndWriteHonourTheHandlesAccess) {
    HANDLE writer = Open("f", kReadWrite, 0, CREATE_ALWAYS);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    DWORD count = 99;
    ASSERT_TRUE(WriteFile(writer, "abcdef", 6, &count, nullptr));
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(SetFilePointer(writer, 2, nullptr, FILE_BEGIN), 2u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(writer, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    // At the end: success with nothing read.
    count = 99;
    EXPECT_TRUE(ReadFile(writer, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(count, 0u);
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(writer, &size));
    EXPECT_EQ(size.QuadPart, 6);
    EXPECT_TRUE(FlushFileBuffers(writer));
    EXPECT_FALSE(ReadFile(writer, buffer, 1, nullptr, nullptr));  // the count has to go somewhere
    EXPECT_EQ(SetFilePointer(writer, -10, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_TRUE(CloseHandle(writer));

    HANDLE reader = Open("f", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    count = 99;
    EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(FlushFileBuffers(reader));
    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_EQ(Content("f"), "abcdef");

    HANDLE appender = Open("f", FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(appender, INVALID_HANDLE_VALUE);
    SetFilePointer(appender, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(WriteFile(appender, "gh", 2, &count, nullptr));
    EXPECT_FALSE(ReadFile(appender, buffer, 1, &count, nullptr));
    EXPECT_TRUE(CloseHandle(appender));
    EXPECT_EQ(Content("f"), "abcdefgh");

    // Handles that are not (or no longer) open fail cleanly.
    for (HANDLE bad : {reader, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x1234)}) {
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(ReadFile(bad, buffer, 1, &count, nullptr));
        EXPECT_FALSE(WriteFile(bad, buffer, 1, &count, nullptr));
    }
}

TEST_F(PlatformFiles, ShareModesConflictAmongOpenHandles) {
    struct Case {
        const char* what;
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    };
    const Case cases[] = {
        {"the texture open, twice", kReadWrite, FILE_SHARE_WRITE, kReadWrite, FILE_SHARE_WRITE, false},
        {"two readers sharing reading", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
        {"a writer while reading is shared only", GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, FILE_SHARE_READ, false},
        {"a reader that will not share writing", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_READ,
         FILE_SHARE_READ, false},
        {"the map save, then the map load", GENERIC_WRITE, FILE_SHARE_WRITE, GENERIC_READ, FILE_SHARE_READ, false},
        {"both sharing everything", kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE, kReadWrite,
         FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {"no access at all, sharing nothing", 0, 0, GENERIC_READ, FILE_SHARE_READ, false},
        {"no access asked of an exclusive file", GENERIC_READ, 0, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
    };
    Put("s", "data");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HANDLE first = Open("s", c.firstAccess, c.firstShare, OPEN_EXISTING);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        // The same file under another name is the same file.
        std::string other = folder + "/./s";
        HANDLE second = CreateFileA(other.c_str(), c.secondAccess, c.secondShare, nullptr, OPEN_ALWAYS, 0, nullptr);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        } else {
            EXPECT_TRUE(CloseHandle(second));
        }
        EXPECT_TRUE(CloseHandle(first));
    }
    // A refused CREATE_ALWAYS truncates nothing; once the holder closes, it goes through.
    HANDLE holder = Open("s", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_EQ(Open("s", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Content("s"), "data");
    EXPECT_FALSE(DeleteFileA(Path("s").c_str()));  // held without FILE_SHARE_DELETE
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(CloseHandle(holder));
    HANDLE writer = Open("s", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(writer));
    EXPECT_EQ(Content("s"), "");
    EXPECT_TRUE(DeleteFileA(Path("s").c_str()));
    EXPECT_FALSE(DeleteFileA(Path("s").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(PlatformFiles, MoveReplacesAtomicallyOnlyWhenAsked) {
    Put("old.map", "old contents");
    Put("new.tmp", "new");
    EXPECT_FALSE(MoveFileExA(Path("new.tmp").c_str(), Path("old.map").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(Content("old.map"), "old contents");
    EXPECT_TRUE(Exists("new.tmp"));

    struct stat before;
    ASSERT_EQ(stat(Path("new.tmp").c_str(), &before), 0);
    EXPECT_TRUE(MoveFileExA(Path("new.tmp").c_str(), Path("old.map").c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(Content("old.map"), "new");
    EXPECT_FALSE(Exists("new.tmp"));
    struct stat after;
    ASSERT_EQ(stat(Path("old.map").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // renamed, not copied

    EXPECT_FALSE(MoveFileExA(Path("gone").c_str(), Path("old.map").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(MoveFileExA(Path("old.map").c_str(), Path("fresh.map").c_str(), 0));
    EXPECT_EQ(Content("fresh.map"), "new");
}

TEST_F(PlatformFiles, WriteBeyondTheFileSizeLimitReportsDiskFull) {
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    HANDLE file = Open("big", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string block(10000, 'x');
    DWORD written = 0;
    BOOL ok = WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    DWORD error = GetLastError();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(written, 4096u);  // what did get written is reported
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(PlatformFiles, BackslashPathsAndCloseOnExec) {
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof(saved)), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    ASSERT_TRUE(CreateDirectoryA(".\\map", nullptr));
    HANDLE file = CreateFileA(".\\map\\3.map", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(chdir(saved), 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Exists("map/3.map"));

    // The descriptor behind the handle does not leak into child processes.
    bool found = false;
    DIR* fds = opendir("/proc/self/fd");
    ASSERT_NE(fds, nullptr);
    while (dirent* entry = readdir(fds)) {
        char target[4096];
        std::string link = std::string("/proc/self/fd/") + entry->d_name;
        ssize_t length = readlink(link.c_str(), target, sizeof(target) - 1);
        if (length <= 0) continue;
        target[length] = '\0';
        if (std::string(target) != Path("map/3.map")) continue;
        found = true;
        EXPECT_TRUE(fcntl(atoi(entry->d_name), F_GETFD) & FD_CLOEXEC);
    }
    closedir(fds);
    EXPECT_TRUE(found);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(PlatformFiles, InjectedFailuresLeaveNoFileAndNoHandle) {
    SeamFailCall(PlatformCall::CreateFile);
    EXPECT_EQ(Open("never", kReadWrite, FILE_SHARE_WRITE, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Exists("never"));
    EXPECT_EQ(SeamOpenFiles(), openBefore);

    HANDLE file = Open("f", kReadWrite, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SeamOpenFiles(), openBefore + 1);
    DWORD count = 99;
    SeamFailCall(PlatformCall::WriteFile, 1);  // the second write fails
    EXPECT_TRUE(WriteFile(file, "ab", 2, &count, nullptr));
    EXPECT_FALSE(WriteFile(file, "cd", 2, &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(WriteFile(file, "ef", 2, &count, nullptr));
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    SeamFailCall(PlatformCall::ReadFile, 0, true);
    char buffer[8];
    EXPECT_FALSE(ReadFile(file, buffer, 4, &count, nullptr));
    EXPECT_FALSE(ReadFile(file, buffer, 4, &count, nullptr));
    EXPECT_EQ(SeamCallCount(PlatformCall::ReadFile), 2);
    EXPECT_EQ(SeamCallCount(PlatformCall::WriteFile), 3);
    SeamFailCall(PlatformCall::CloseHandle);
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(SeamOpenFiles(), openBefore + 1);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(Content("f"), "abef");
    SeamFailCall(PlatformCall::MoveFile);
    EXPECT_FALSE(MoveFileExA(Path("f").c_str(), Path("g").c_str(), MOVEFILE_REPLACE_EXISTING));
    SeamFailCall(PlatformCall::DeleteFile);
    EXPECT_FALSE(DeleteFileA(Path("f").c_str()));
    EXPECT_EQ(Content("f"), "abef");
}

}  // namespace

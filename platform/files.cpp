// Files over POSIX with the rules of Win32: access rights per handle, creation dispositions, share
// modes among this process's handles, the read-only attribute, and Win32 error codes.
#include "platform/internal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

namespace {

struct FileRecord {
    int fd = -1;
    bool canRead = false;
    bool canWrite = false;
    DWORD shareMode = 0;
    dev_t device = 0;
    ino_t inode = 0;
};

std::map<HANDLE, FileRecord> files;
uintptr_t nextFileSerial = 1;

FileRecord* FindFile(HANDLE handle) {
    auto found = files.find(handle);
    return found == files.end() ? nullptr : &found->second;
}

std::string PosixPath(LPCSTR path) {
    std::string converted(path);
    for (char& c : converted)
        if (c == '\\') c = '/';
    return converted;
}

bool ParentExists(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;  // the current directory
    std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

DWORD ErrorFromErrno(int error, const std::string& path) {
    switch (error) {
        case ENOENT: return ParentExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY: return ERROR_ACCESS_DENIED;
        case EEXIST: return ERROR_FILE_EXISTS;
        case ENOSPC:
        case EFBIG:
        case EDQUOT: return ERROR_DISK_FULL;
        case EMFILE:
        case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
        case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case EINVAL: return ERROR_INVALID_PARAMETER;
        default: return ERROR_ACCESS_DENIED;
    }
}

// Win32's read-only attribute: a file no one may write. Root may write anything on POSIX, so the
// mode bits are read directly.
bool ReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

bool ShareConflict(const FileRecord& existing, bool read, bool write, DWORD shareMode) {
    if (read && !(existing.shareMode & FILE_SHARE_READ)) return true;
    if (write && !(existing.shareMode & FILE_SHARE_WRITE)) return true;
    if (existing.canRead && !(shareMode & FILE_SHARE_READ)) return true;
    if (existing.canWrite && !(shareMode & FILE_SHARE_WRITE)) return true;
    return false;
}

// An open handle of this file that does not let others delete or rename it.
bool HeldAgainstDelete(dev_t device, ino_t inode) {
    for (auto& entry : files) {
        const FileRecord& record = entry.second;
        if (record.device == device && record.inode == inode && !(record.shareMode & FILE_SHARE_DELETE)) return true;
    }
    return false;
}

int OpenNoFollowBlock(const std::string& path, int flags, mode_t mode) {
    // O_NONBLOCK so that opening a FIFO cannot hang; it is cleared again below.
    int fd;
    do {
        fd = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        int status = fcntl(fd, F_GETFL);
        if (status >= 0) fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    }
    return fd;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD disposition,
                          DWORD flagsAndAttributes, HANDLE) {
    if (SeamShouldFail(PlatformCall::CreateFile)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    bool read = (access & (GENERIC_READ | FILE_READ_DATA)) != 0;
    bool writeData = (access & (GENERIC_WRITE | FILE_WRITE_DATA)) != 0;
    bool append = (access & FILE_APPEND_DATA) != 0;
    bool write = writeData || append;
    bool truncating = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (disposition == TRUNCATE_EXISTING && !writeData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string posixPath = PosixPath(path);

    int accessFlags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    if (append && !writeData) accessFlags |= O_APPEND;  // append-only: every write goes to the end

    // Open without creating first, so that an existing file is checked (directory, read-only,
    // sharing) before anything changes it; create only when it is missing.
    bool existed = true;
    int fd = -1;
    if (disposition != CREATE_NEW) {
        fd = OpenNoFollowBlock(posixPath, accessFlags, 0);
        if (fd < 0 && errno == EACCES) {
            // Maybe read-only for a caller that only wants to check or truncate; report as Win32 does.
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    if (fd < 0 && (disposition == CREATE_NEW || ((disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) &&
                                                 errno == ENOENT))) {
        existed = false;
        mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        fd = OpenNoFollowBlock(posixPath, accessFlags | O_CREAT | O_EXCL, mode);
        if (fd < 0 && errno == EEXIST && disposition != CREATE_NEW) {
            // Someone made it in between: take the existing file after all.
            existed = true;
            fd = OpenNoFollowBlock(posixPath, accessFlags, 0);
        }
    }
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno, posixPath));
        return INVALID_HANDLE_VALUE;
    }

    struct stat info;
    if (fstat(fd, &info) != 0) {
        DWORD error = ErrorFromErrno(errno, posixPath);
        close(fd);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    DWORD failure = ERROR_SUCCESS;
    if (S_ISDIR(info.st_mode)) failure = ERROR_ACCESS_DENIED;
    else if (existed && (write || truncating) && ReadOnlyMode(info.st_mode)) failure = ERROR_ACCESS_DENIED;
    else {
        for (auto& entry : files) {
            const FileRecord& other = entry.second;
            if (other.device == info.st_dev && other.inode == info.st_ino &&
                ShareConflict(other, read, write || truncating, shareMode)) {
                failure = ERROR_SHARING_VIOLATION;
                break;
            }
        }
    }
    if (failure != ERROR_SUCCESS) {
        close(fd);
        if (!existed) unlink(posixPath.c_str());
        SetLastError(failure);
        return INVALID_HANDLE_VALUE;
    }
    if (existed && truncating && info.st_size != 0) {
        int result = write ? ftruncate(fd, 0) : truncate(posixPath.c_str(), 0);
        if (result != 0) {
            DWORD error = ErrorFromErrno(errno, posixPath);
            close(fd);
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
    }

    FileRecord record;
    record.fd = fd;
    record.canRead = read;
    record.canWrite = write;
    record.shareMode = shareMode;
    record.device = info.st_dev;
    record.inode = info.st_ino;
    HANDLE handle = reinterpret_cast<HANDLE>(MakeHandleValue(kHandleFile, nextFileSerial++));
    files[handle] = record;
    SeamAdjustOpenFiles(+1);
    bool reportsExisting = existed && (disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
    if (bytesRead) *bytesRead = 0;
    if (SeamShouldFail(PlatformCall::ReadFile)) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    FileRecord* record = FindFile(file);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // All I/O is synchronous: the count must have somewhere to go.
    if (!bytesRead || overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!record->canRead) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!buffer && bytesToRead) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    char* out = static_cast<char*>(buffer);
    DWORD done = 0;
    while (done < bytesToRead) {
        ssize_t got = read(record->fd, out + done, bytesToRead - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            *bytesRead = done;
            SetLastError(errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
            return FALSE;
        }
        if (got == 0) break;  // end of file: success with what there was
        done += static_cast<DWORD>(got);
    }
    *bytesRead = done;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED overlapped) {
    if (bytesWritten) *bytesWritten = 0;
    if (SeamShouldFail(PlatformCall::WriteFile)) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    FileRecord* record = FindFile(file);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!bytesWritten || overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!record->canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!buffer && bytesToWrite) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const char* in = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < bytesToWrite) {
        ssize_t put = write(record->fd, in + done, bytesToWrite - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            *bytesWritten = done;
            SetLastError(errno == ENOSPC || errno == EFBIG || errno == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
            return FALSE;
        }
        if (put == 0) {
            *bytesWritten = done;
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        }
        done += static_cast<DWORD>(put);
    }
    *bytesWritten = done;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    if (SeamShouldFail(PlatformCall::CloseHandle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FileRecord* record = FindFile(object);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    close(record->fd);  // the descriptor is gone whatever close reports
    files.erase(object);
    SeamAdjustOpenFiles(-1);
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
    if (SeamShouldFail(PlatformCall::FlushFileBuffers)) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    FileRecord* record = FindFile(file);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!record->canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (fsync(record->fd) != 0) {
        SetLastError(errno == ENOSPC || errno == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
    FileRecord* record = FindFile(file);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR
                                                   : moveMethod == FILE_END     ? SEEK_END
                                                                                : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t offset = distanceHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                                         static_cast<uint32_t>(distance))
                                  : static_cast<int64_t>(distance);
    int64_t base = 0;
    if (whence == SEEK_CUR) base = lseek(record->fd, 0, SEEK_CUR);
    if (whence == SEEK_END) {
        struct stat info;
        base = fstat(record->fd, &info) == 0 ? info.st_size : -1;
    }
    if (base < 0 || base + offset < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the result must fit in 32 bits.
    if (!distanceHigh && base + offset > 0xFFFFFFFELL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    off_t position = lseek(record->fd, static_cast<off_t>(base + offset), SEEK_SET);
    if (position < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(static_cast<uint64_t>(position) & 0xFFFFFFFFu);
}

BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
    FileRecord* record = FindFile(file);
    if (!record) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!size) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    struct stat info;
    if (fstat(record->fd, &info) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    size->QuadPart = static_cast<LONGLONG>(info.st_size);
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR path) {
    if (SeamShouldFail(PlatformCall::DeleteFile)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string posixPath = PosixPath(path);
    struct stat info;
    if (lstat(posixPath.c_str(), &info) != 0) {
        SetLastError(ErrorFromErrno(errno, posixPath));
        return FALSE;
    }
    if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && ReadOnlyMode(info.st_mode))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (HeldAgainstDelete(info.st_dev, info.st_ino)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (unlink(posixPath.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno, posixPath));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags) {
    if (SeamShouldFail(PlatformCall::MoveFile)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!existingPath || !*existingPath || !newPath || !*newPath) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string from = PosixPath(existingPath);
    std::string to = PosixPath(newPath);
    struct stat source, target;
    if (lstat(from.c_str(), &source) != 0) {
        SetLastError(ErrorFromErrno(errno, from));
        return FALSE;
    }
    if (HeldAgainstDelete(source.st_dev, source.st_ino)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
    if (lstat(to.c_str(), &target) == 0) {
        if (!replace) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(target.st_mode) || (S_ISREG(target.st_mode) && ReadOnlyMode(target.st_mode)) ||
            HeldAgainstDelete(target.st_dev, target.st_ino)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    // rename(2) replaces the target atomically: a reader sees the old file or the new one, never neither.
    int result = replace ? rename(from.c_str(), to.c_str()) : renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (result != 0 && !replace && errno == EINVAL) {
        // The file system cannot refuse to replace; the check above has to do.
        result = rename(from.c_str(), to.c_str());
    }
    if (result != 0) {
        DWORD error = errno == EXDEV ? ERROR_NOT_SAME_DEVICE : errno == EEXIST ? ERROR_ALREADY_EXISTS
                                                                               : ErrorFromErrno(errno, to);
        SetLastError(error);
        return FALSE;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        size_t slash = to.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
        int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            fsync(dirFd);
            close(dirFd);
        }
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR path) {
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string posixPath = PosixPath(path);
    struct stat info;
    if (stat(posixPath.c_str(), &info) != 0) {
        SetLastError(ErrorFromErrno(errno, posixPath));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return ReadOnlyMode(info.st_mode) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string posixPath = PosixPath(path);
    if (mkdir(posixPath.c_str(), 0777) != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS
                     : errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                       : ErrorFromErrno(errno, posixPath));
        return FALSE;
    }
    return TRUE;
}

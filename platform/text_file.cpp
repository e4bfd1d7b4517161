#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/mbcs.h"

namespace platform {

namespace {

constexpr std::size_t kBlockSize = 128 * 1024;
constexpr char kEndOfFile = 0x1A;

std::string MakeFullPath(std::string_view name) {
    namespace fs = std::filesystem;
    fs::path path{std::string(name)};
    if (path.is_relative()) {
        std::error_code ec;
        const fs::path cwd = fs::current_path(ec);
        if (!ec) path = fs::path(FromUtf8(cwd.native())) / path;
    }
    return path.lexically_normal().native();
}

std::string Message(FileError::Cause cause, const std::string& fullPath, int err) {
    std::string text = cause == FileError::Cause::kDiskFull ? "write failed: " : "read failed: ";
    text += ToUtf8(fullPath);
    text += ": ";
    text += std::strerror(err);
    return text;
}

// The files that TextFiles of this process hold open, by device and inode,
// each with the thread that opened it. A thread that finds a file held by
// itself must not wait for it: nothing lets go while it waits.
using FileId = std::pair<std::uint64_t, std::uint64_t>;

std::mutex& HeldMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<FileId, std::thread::id>& Held() {
    static std::map<FileId, std::thread::id> held;
    return held;
}

bool HeldByThisThread(const FileId& id) {
    std::lock_guard lock(HeldMutex());
    const auto it = Held().find(id);
    return it != Held().end() && it->second == std::this_thread::get_id();
}

}  // namespace

FileError::FileError(Cause cause, std::string fullPath, int sysErrno)
    : std::runtime_error(Message(cause, fullPath, sysErrno)),
      cause_(cause),
      fullPath_(std::move(fullPath)),
      errno_(sysErrno) {}

TextFile::~TextFile() {
    if (fd_ >= 0) {
        Release();
        ::close(fd_);
    }
}

void TextFile::Release() {
    std::lock_guard lock(HeldMutex());
    Held().erase(FileId{device_, inode_});
}

bool TextFile::Open(std::string_view name, Mode mode, int waitMs) {
    if (fd_ >= 0) {
        Release();
        ::close(fd_);
        fd_ = -1;
    }
    buffer_.clear();
    pos_ = end_ = 0;
    eof_ = false;
    mode_ = mode;
    // The full path is only needed for an error message: built when asked.
    name_.assign(name);
    fullPath_.clear();
    if (name.empty()) {
        errno = ENOENT;
        return false;
    }

    const std::string sysName = ToUtf8(name);
    // Non-blocking only for the opening itself: a FIFO or device that would
    // wait for a peer must not freeze the program.
    int flags = O_CLOEXEC | O_NONBLOCK;
    switch (mode) {
        case Mode::kRead:
            flags |= O_RDONLY;
            break;
        case Mode::kWrite:
            // Not O_TRUNC: the file is emptied only once the lock is held.
            flags |= O_WRONLY | O_CREAT;
            break;
        case Mode::kAppend:
            flags |= O_WRONLY | O_CREAT | O_APPEND;
            break;
    }
    const int fd = ::open(sysName.c_str(), flags, 0666);
    if (fd < 0) return false;

    // On failure: close, and leave errno telling why, for the caller's message.
    auto fail = [fd](int err) {
        ::close(fd);
        errno = err;
        return false;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(errno);
    // Folders, FIFOs and sockets are no files to read lines from or write them to.
    if (S_ISDIR(st.st_mode)) return fail(EISDIR);
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return fail(EINVAL);
    // Lines are read from regular files only: a device may never end
    // (/dev/zero, /dev/full) or wait for its user (a terminal).
    if (mode == Mode::kRead && !S_ISREG(st.st_mode)) return fail(EINVAL);
    // Regular files ignore O_NONBLOCK; a device written to gets its blocking mode back.
    if (!S_ISREG(st.st_mode)) {
        const int fdFlags = ::fcntl(fd, F_GETFL);
        if (fdFlags < 0 || ::fcntl(fd, F_SETFL, fdFlags & ~O_NONBLOCK) != 0) return fail(errno);
    }

    const FileId id{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    if (waitMs > 0 && HeldByThisThread(id)) waitMs = 0;
    int waited = 0;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || waited >= waitMs) return fail(errno);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        waited += 10;
    }

    if (mode == Mode::kWrite && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) return fail(errno);
    {
        std::lock_guard lock(HeldMutex());
        Held()[id] = std::this_thread::get_id();
    }
    device_ = id.first;
    inode_ = id.second;
    fd_ = fd;
    return true;
}

const std::string& TextFile::FullPath() const {
    if (fullPath_.empty()) fullPath_ = MakeFullPath(name_);
    return fullPath_;
}

void TextFile::ThrowError(FileError::Cause cause, int err) {
    throw FileError(cause, FullPath(), err);
}

bool TextFile::FillBuffer() {
    if (eof_ || fd_ < 0) return false;
    if (buffer_.size() != kBlockSize) buffer_.resize(kBlockSize);
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), kBlockSize);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowError(FileError::Cause::kGeneric, errno);
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(n);
        if (n == 0) {
            eof_ = true;
            return false;
        }
        // 0x1A ends the file: nothing after it is ever read.
        if (const void* stop = std::memchr(buffer_.data(), kEndOfFile, end_)) {
            end_ = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer_.data());
            eof_ = true;
            return end_ > 0;
        }
        return true;
    }
}

bool TextFile::ReadLine(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (pos_ == end_ && !FillBuffer()) return any;
        any = true;
        const char* start = buffer_.data() + pos_;
        const void* lf = std::memchr(start, '\n', end_ - pos_);
        if (lf) {
            const auto len = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
            line.append(start, len);
            pos_ += len + 1;
            // CR LF reads as LF; a lone CR stays.
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        line.append(start, end_ - pos_);
        pos_ = end_;
    }
}

std::int64_t TextFile::CountRemainingLines() {
    std::int64_t lines = 0;
    bool partial = false;  // bytes seen since the last line end
    for (;;) {
        if (pos_ == end_ && !FillBuffer()) break;
        const char* p = buffer_.data() + pos_;
        const char* const stop = buffer_.data() + end_;
        while (p < stop) {
            const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(stop - p));
            if (!lf) {
                partial = true;
                break;
            }
            ++lines;
            partial = false;
            p = static_cast<const char*>(lf) + 1;
        }
        pos_ = end_;
    }
    return lines + (partial ? 1 : 0);
}

void TextFile::Write(std::string_view text) {
    if (fd_ < 0) ThrowError(FileError::Cause::kDiskFull, EBADF);
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 16);
    for (const char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    const char* p = out.data();
    std::size_t left = out.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowError(FileError::Cause::kDiskFull, errno);
        }
        if (n == 0) ThrowError(FileError::Cause::kDiskFull, ENOSPC);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void TextFile::Close() {
    if (fd_ < 0) return;
    Release();
    const int fd = std::exchange(fd_, -1);
    buffer_.clear();
    buffer_.shrink_to_fit();
    pos_ = end_ = 0;
    if (::close(fd) != 0 && mode_ != Mode::kRead) ThrowError(FileError::Cause::kDiskFull, errno);
}

bool NameExists(std::string_view name) {
    if (name.empty()) return false;
    struct stat st {};
    return ::stat(ToUtf8(name).c_str(), &st) == 0;
}

}  // namespace platform

// Text-mode files with exclusive access.
//
// On disk, every line feed written becomes CR LF; on reading, CR LF becomes a
// line feed, a lone CR stays, and the byte 0x1A ends the file. While a
// TextFile holds a file open, no other holder can open it (flock), and an
// opening fails while someone else holds it.
//
// Names are code page 932 texts, converted to UTF-8 at the system call.
// Opening never throws; a failed read, write or close throws FileError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

class FileError : public std::runtime_error {
  public:
    enum class Cause {
        kDiskFull,  // a write, or a close that could not write out buffered data
        kGeneric,   // a read that failed for another reason than the end of the file
    };

    // `fullPath` is a code page 932 text; `sysErrno` the system's error number.
    FileError(Cause cause, std::string fullPath, int sysErrno);

    Cause cause() const { return cause_; }
    const std::string& fullPath() const { return fullPath_; }
    int sysErrno() const { return errno_; }

  private:
    Cause cause_;
    std::string fullPath_;
    int errno_;
};

class TextFile {
  public:
    enum class Mode {
        kRead,    // must exist as a regular file; a folder or a device does not open
        kWrite,   // created, or emptied when present
        kAppend,  // created, or kept; writes go to the end
    };

    TextFile() = default;
    ~TextFile();  // closes without throwing; unwritten data is dropped
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Opens `name` (code page 932, relative to the working directory). Returns
    // false when the file cannot be opened, including while another holder
    // has it. `waitMs` > 0 retries a held file for up to that long, unless the
    // calling thread holds it itself: that wait could only run out.
    bool Open(std::string_view name, Mode mode, int waitMs = 0);
    bool IsOpen() const { return fd_ >= 0; }

    // Next line without its line feed; false at the end of the file.
    bool ReadLine(std::string& line);

    // Number of lines from the current position to the end, as ReadLine would
    // yield them, counted in large blocks without building the lines.
    std::int64_t CountRemainingLines();

    // Writes `text` with every LF written as CR LF. The bytes reach the system
    // before Write returns, so a full disk is reported here.
    void Write(std::string_view text);

    // Closes the file; throws FileError when buffered data could not be written.
    // The file is closed in either case.
    void Close();

    // The full path of the open (or last opened) file, code page 932.
    const std::string& FullPath() const;

  private:
    bool FillBuffer();  // false at the physical end or at 0x1A
    [[noreturn]] void ThrowError(FileError::Cause cause, int err);
    void Release();  // forgets the file as one this process holds

    int fd_ = -1;
    // Device and inode of the open file, registered as held by this process.
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    Mode mode_ = Mode::kRead;
    std::string name_;              // as given to Open, code page 932
    mutable std::string fullPath_;  // built from name_ on first use
    // Read side: raw bytes from the disk, [pos_, end_) not yet consumed.
    std::string buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;  // physical end or 0x1A seen
};

// True when an entry of that name (file or folder) exists; the empty name names nothing.
bool NameExists(std::string_view name);

}  // namespace platform

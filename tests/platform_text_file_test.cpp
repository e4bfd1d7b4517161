#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/mbcs.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::string_literals;
using platform::FileError;
using platform::TextFile;
using testing_support::ReadBytes;
using testing_support::ScopedTempDir;
using testing_support::WriteBytes;
using Mode = TextFile::Mode;

std::vector<std::string> ReadAllLines(TextFile& file) {
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadLine(line)) lines.push_back(line);
    return lines;
}

TEST(TextFileWrite, LineFeedsBecomeCrLfOnDisk) {
    ScopedTempDir dir;
    TextFile file;
    ASSERT_TRUE(file.Open("out.csv", Mode::kWrite));
    file.Write("a,b\n\nc\rd");
    file.Write("\n");
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadBytes("out.csv"), "a,b\r\n\r\nc\rd\r\n");
}

TEST(TextFileWrite, WriteEmptiesAndAppendKeeps) {
    ScopedTempDir dir;
    WriteBytes("f.csv", "old\r\n");
    {
        TextFile file;
        ASSERT_TRUE(file.Open("f.csv", Mode::kAppend));
        file.Write("new\n");
        file.Close();
    }
    EXPECT_EQ(ReadBytes("f.csv"), "old\r\nnew\r\n");
    {
        TextFile file;
        ASSERT_TRUE(file.Open("f.csv", Mode::kWrite));
        file.Write("only\n");
        file.Close();
    }
    EXPECT_EQ(ReadBytes("f.csv"), "only\r\n");
    {
        TextFile file;
        ASSERT_TRUE(file.Open("fresh.csv", Mode::kAppend));
        file.Close();
    }
    EXPECT_TRUE(std::filesystem::is_regular_file("fresh.csv"));
}

struct ReadCase {
    const char* label;
    std::string disk;
    std::vector<std::string> lines;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class TextFileReadTest : public testing::TestWithParam<ReadCase> {};

// Each case is checked through ReadLine and through CountRemainingLines, which
// must agree on what a line is.
TEST_P(TextFileReadTest, ReadsLinesInTextMode) {
    const ReadCase& c = GetParam();
    ScopedTempDir dir;
    WriteBytes("in.csv", c.disk);
    TextFile reader;
    ASSERT_TRUE(reader.Open("in.csv", Mode::kRead));
    EXPECT_EQ(ReadAllLines(reader), c.lines);
    std::string line = "stale";
    EXPECT_FALSE(reader.ReadLine(line));
    reader.Close();

    TextFile counter;
    ASSERT_TRUE(counter.Open("in.csv", Mode::kRead));
    EXPECT_EQ(counter.CountRemainingLines(), static_cast<std::int64_t>(c.lines.size()));
}

const std::string kLong(128 * 1024 - 1, 'x');  // CR LF across a 128 KiB read

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFileReadTest,
    testing::Values(ReadCase{"empty", "", {}},
                    ReadCase{"crlf_reads_as_lf", "a\r\nb\r\n", {"a", "b"}},
                    ReadCase{"bare_lf", "a\nb\n", {"a", "b"}},
                    ReadCase{"lone_cr_kept", "a\rb\r\nc\r", {"a\rb", "c\r"}},
                    ReadCase{"last_line_without_lf", "a\r\nb", {"a", "b"}},
                    ReadCase{"empty_lines_count", "\r\n\r\n\n", {"", "", ""}},
                    ReadCase{"ctrl_z_ends_file",
                             "a\r\nb\x1A"
                             "c\r\nd\r\n",
                             {"a", "b"}},
                    ReadCase{"ctrl_z_after_line_end",
                             "a\r\n\x1A"
                             "b\r\n",
                             {"a"}},
                    ReadCase{"zero_byte_is_data", "a\0b\r\n"s, {"a\0b"s}},
                    ReadCase{"crlf_split_between_reads", kLong + "\r\ny", {kLong, "y"}},
                    ReadCase{"ctrl_z_in_second_read",
                             kLong + "\r\n\r\nab\x1A"
                                     "cd",
                             {kLong, "", "ab"}}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.label); });

TEST(TextFileRead, CountsWhatIsLeftAfterReading) {
    ScopedTempDir dir;
    WriteBytes("in.csv", "a\r\nb\r\nc");
    TextFile file;
    ASSERT_TRUE(file.Open("in.csv", Mode::kRead));
    std::string line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(file.CountRemainingLines(), 2);
    EXPECT_EQ(file.CountRemainingLines(), 0);
}

TEST(TextFileOpen, FailsForWhatIsNoReadableFile) {
    ScopedTempDir dir;
    std::filesystem::create_directory("folder");
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    TextFile file;
    EXPECT_FALSE(file.Open("absent.csv", Mode::kRead));
    EXPECT_FALSE(file.Open("", Mode::kRead));
    EXPECT_FALSE(file.Open("folder", Mode::kRead));
    EXPECT_FALSE(file.Open("folder", Mode::kAppend));
    EXPECT_FALSE(file.Open("no-such-folder/x.csv", Mode::kWrite));
    // A FIFO would block the opening (or every read) until a peer shows up.
    EXPECT_FALSE(file.Open("pipe", Mode::kRead));
    EXPECT_FALSE(file.Open("pipe", Mode::kAppend));
    EXPECT_FALSE(file.IsOpen());
}

TEST(TextFileOpen, DevicesDoNotOpenForReading) {
    // /dev/full and /dev/zero never end, a terminal waits for its user: a load
    // or a line count over one would never come back. A daily file named
    // /dev/full (the way to try a full disk) must not hang the Open command.
    TextFile file;
    for (const char* device : {"/dev/full", "/dev/zero", "/dev/null"}) {
        EXPECT_FALSE(file.Open(device, Mode::kRead)) << device;
    }
    // Writing to a device still opens.
    EXPECT_TRUE(file.Open("/dev/null", Mode::kWrite));
}

TEST(TextFileOpen, HeldFileCannotBeOpenedAgainUntilClosed) {
    ScopedTempDir dir;
    WriteBytes("held.csv", "keep\r\n");
    TextFile holder;
    ASSERT_TRUE(holder.Open("held.csv", Mode::kRead));
    for (const Mode mode : {Mode::kRead, Mode::kWrite, Mode::kAppend}) {
        TextFile other;
        EXPECT_FALSE(other.Open("held.csv", mode)) << static_cast<int>(mode);
    }
    // The failed opening for writing must not have emptied the file.
    EXPECT_EQ(ReadBytes("held.csv"), "keep\r\n");
    holder.Close();
    TextFile other;
    EXPECT_TRUE(other.Open("held.csv", Mode::kAppend));
}

TEST(TextFileOpen, WaitsForAHolderThatLetsGo) {
    ScopedTempDir dir;
    // Another holder: a thread that takes the file and lets it go a little later.
    std::promise<bool> held;
    std::thread holder([&held] {
        TextFile file;
        held.set_value(file.Open("h.csv", Mode::kWrite));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    EXPECT_TRUE(held.get_future().get());
    TextFile waiter;
    EXPECT_TRUE(waiter.Open("h.csv", Mode::kAppend, 10000));
    holder.join();
}

TEST(TextFileOpen, DoesNotWaitForAFileItsOwnThreadHolds) {
    // A capture whose daily file bears a history file's name: the thread
    // would be waiting for itself, and every row would cost the whole wait.
    ScopedTempDir dir;
    TextFile holder;
    ASSERT_TRUE(holder.Open("code0000.csv", Mode::kWrite));
    TextFile other;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(other.Open("code0000.csv", Mode::kAppend, 30000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // Once let go, the file opens again, waiting or not.
    holder.Close();
    EXPECT_TRUE(other.Open("code0000.csv", Mode::kAppend, 30000));
}

TEST(TextFileOpen, AnotherProcessHoldingTheFileMakesOpenFail) {
    ScopedTempDir dir;
    WriteBytes("shared.csv", "data\r\n");
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child takes the lock the way any other program would, reports
        // that it holds it, and keeps it until the parent says so.
        const int fd = ::open("shared.csv", O_RDONLY);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX) == 0) ? 'y' : 'n';
        (void)!::write(toParent[1], &ok, 1);
        char go;
        (void)!::read(toChild[0], &go, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(toParent[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    TextFile file;
    EXPECT_FALSE(file.Open("shared.csv", Mode::kRead));
    EXPECT_FALSE(file.Open("shared.csv", Mode::kWrite));
    EXPECT_EQ(ReadBytes("shared.csv"), "data\r\n");
    (void)!::write(toChild[1], "g", 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
    EXPECT_TRUE(file.Open("shared.csv", Mode::kRead));
}

TEST(TextFileErrors, FailedWriteThrowsWithCauseAndFullPath) {
    TextFile file;
    ASSERT_TRUE(file.Open("/dev/full", Mode::kWrite));
    try {
        file.Write("x\n");
        FAIL() << "a write to a full device must throw";
    } catch (const FileError& e) {
        EXPECT_EQ(e.cause(), FileError::Cause::kDiskFull);
        EXPECT_EQ(e.fullPath(), "/dev/full");
        EXPECT_EQ(e.sysErrno(), ENOSPC);
        EXPECT_NE(std::string(e.what()).find("/dev/full"), std::string::npos);
    }
}

TEST(TextFileErrors, FailedReadThrowsGenericError) {
    // Reading this process's memory from address 0 fails with EIO.
    for (const bool count : {false, true}) {
        TextFile file;
        ASSERT_TRUE(file.Open("/proc/self/mem", Mode::kRead));
        try {
            std::string line;
            if (count) {
                file.CountRemainingLines();
            } else {
                file.ReadLine(line);
            }
            FAIL() << "a failed read must throw";
        } catch (const FileError& e) {
            EXPECT_EQ(e.cause(), FileError::Cause::kGeneric);
            EXPECT_EQ(e.fullPath(), "/proc/self/mem");
            EXPECT_EQ(e.sysErrno(), EIO);
        }
    }
}

TEST(TextFileErrors, FullPathOfARelativeName) {
    ScopedTempDir dir;
    std::filesystem::create_directory("sub");
    TextFile file;
    ASSERT_TRUE(file.Open("sub/../day.csv", Mode::kWrite));
    EXPECT_EQ(file.FullPath(), (dir.path() / "day.csv").string());
    file.Close();
    // Writing to a file that is not open is a failed write, not a crash.
    EXPECT_THROW(file.Write("x"), FileError);
}

TEST(TextFileNames, JapaneseNameIsUtf8OnDisk) {
    ScopedTempDir dir;
    const std::string sjis = platform::FromUtf8("code1234東証1部.csv");
    ASSERT_NE(sjis, "code1234東証1部.csv");
    TextFile file;
    ASSERT_TRUE(file.Open(sjis, Mode::kWrite));
    file.Write("x\n");
    file.Close();
    EXPECT_TRUE(std::filesystem::is_regular_file("code1234東証1部.csv"));
    EXPECT_TRUE(platform::NameExists(sjis));
    EXPECT_NE(file.FullPath().find(sjis), std::string::npos);
}

TEST(TextFileNames, NameExists) {
    ScopedTempDir dir;
    WriteBytes("file.csv", "");
    std::filesystem::create_directory("folder");
    EXPECT_TRUE(platform::NameExists("file.csv"));
    EXPECT_TRUE(platform::NameExists("folder"));
    EXPECT_FALSE(platform::NameExists("absent.csv"));
    EXPECT_FALSE(platform::NameExists(""));
}

}  // namespace

// ShellOpen with a fake xdg-open first on PATH: the target must arrive as one
// UTF-8 argument, untouched by any shell, and the handler must not be left
// behind as a zombie.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/shell_open.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadBytes;

// True when one of our children has ended and not been reaped.
bool HasZombieChild() {
    const std::string parent = std::to_string(::getpid());
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        if (!in || !std::getline(in, stat)) continue;
        // pid (comm) state ppid ...; comm may hold spaces, so start after the last ')'.
        const auto close = stat.rfind(')');
        if (close == std::string::npos || close + 2 >= stat.size()) continue;
        const std::string rest = stat.substr(close + 2);
        const char state = rest[0];
        const std::string ppid = rest.substr(2, rest.find(' ', 2) - 2);
        if (state == 'Z' && ppid == parent) return true;
    }
    return false;
}

class ShellOpenTest : public testing::Test {
  protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        const fs::path script = dir_.path() / "xdg-open";
        // Writes its arguments, one per line, then publishes them atomically.
        // The target "hold" makes it wait (up to 20 s) for a file "release" first.
        std::ofstream(script) << "#!/bin/sh\n"
                                 "dir=\"$(dirname \"$0\")\"\n"
                                 "if [ \"$1\" = hold ]; then\n"
                                 "  n=0; while [ ! -e \"$dir/release\" ] && [ $n -lt 400 ]; do\n"
                                 "    sleep 0.05; n=$((n+1)); done\n"
                                 "fi\n"
                                 "out=\"$(dirname \"$0\")/opened\"\n"
                                 "printf '%s\\n' \"$#\" \"$@\" > \"$out.tmp\"\n"
                                 "mv \"$out.tmp\" \"$out\"\n";
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("PATH", (dir_.path().string() + ":" + savedPath_).c_str(), 1);
    }
    void TearDown() override { ::setenv("PATH", savedPath_.c_str(), 1); }

    // What the fake handler received, once it has run.
    std::string WaitForOpened() {
        const fs::path out = dir_.path() / "opened";
        for (int i = 0; i < 1000 && !fs::exists(out); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::string text = ReadBytes(out);
        fs::remove(out);
        return text;
    }

    testing_support::ScopedTempDir dir_;
    std::string savedPath_;
};

TEST_F(ShellOpenTest, TargetArrivesAsOneUtf8ArgumentWithoutShellInterpretation) {
    struct Case {
        std::string target;  // code page 932
        std::string utf8;
    };
    const Case cases[] = {
        {"http://q.test/q?s=1234&d=c&k=c4&z=m&t=1d", "http://q.test/q?s=1234&d=c&k=c4&z=m&t=1d"},
        // code1234 + "東証" + .csv
        {"code1234\x93\x8C\x8F\xD8.csv", "code1234\xE6\x9D\xB1\xE8\xA8\xBC.csv"},
        {"a b 'c' \"d\"; touch pwned; $(touch pwned) `touch pwned` *.csv",
         "a b 'c' \"d\"; touch pwned; $(touch pwned) `touch pwned` *.csv"},
    };
    for (const Case& c : cases) {
        platform::ShellOpen(c.target);
        EXPECT_EQ(WaitForOpened(), "1\n" + c.utf8 + "\n") << c.utf8;
    }
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(ShellOpenTest, ExistingFileGoesOverAsAnAbsolutePath) {
    // A market text with ':' would otherwise read as an address to the handler.
    const std::string name = "code1234a:b.csv";
    std::ofstream(dir_.path() / name) << "x\r\n";
    platform::ShellOpen(name);
    EXPECT_EQ(WaitForOpened(), "1\n" + (fs::current_path() / name).string() + "\n");
}

TEST_F(ShellOpenTest, ReturnsBeforeTheHandlerEndsAndReapsItLater) {
    platform::ShellOpen("hold");
    // Had ShellOpen waited, the handler would have written its file by now.
    EXPECT_FALSE(fs::exists(dir_.path() / "opened"));
    std::ofstream(dir_.path() / "release").put('x');
    ASSERT_EQ(WaitForOpened(), "1\nhold\n");
    bool zombie = true;
    for (int i = 0; i < 500 && zombie; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        zombie = HasZombieChild();
    }
    EXPECT_FALSE(zombie);
}

}  // namespace

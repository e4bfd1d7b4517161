#include "platform/shell_open.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "platform/mbcs.h"

extern char** environ;

namespace platform {

void ShellOpen(std::string_view target) {
    std::string program = "xdg-open";
    std::string argument = ToUtf8(UpToZero(target));
    // The name of an existing file goes over as an absolute path, so the
    // handler never takes it for an address (a market text may hold ':').
    struct stat st {};
    if (!argument.empty() && argument.front() != '/' && ::stat(argument.c_str(), &st) == 0) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(argument, ec);
        if (!ec) argument = absolute.lexically_normal().native();
    }
    char* argv[] = {program.data(), argument.data(), nullptr};

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return;
    // The handler reads nothing from us and has no business writing to our terminal's stdout.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return;
    }
    // Its own process group, so a Ctrl+C meant for us does not reach the handler.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return;  // no handler: nothing opens, as with any other failure of it

    // Nobody waits for the handler; a detached thread reaps it when it ends.
    try {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child stays a zombie until we exit, which is harmless.
    }
}

}  // namespace platform

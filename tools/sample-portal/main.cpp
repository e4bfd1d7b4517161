// sample-portal --port N [--seed S] [--fault NAME]: serves the stand-in
// ranking portal on 127.0.0.1 until interrupted.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "sample_portal.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: sample-portal --port N [--seed S] [--fault "
                 "none|not-found|cut-body|stall|endless|crlf|zero-byte]\n");
    return 2;
}

bool ToInt(const char* text, long min, long max, long* value) {
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && *value >= min && *value <= max;
}

}  // namespace

int main(int argc, char** argv) {
    sample_portal::Options options;
    bool havePort = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const char* value = argv[++i];
        long number = 0;
        if (arg == "--port" && ToInt(value, 0, 65535, &number)) {
            options.port = static_cast<int>(number);
            havePort = true;
        } else if (arg == "--seed" && ToInt(value, 0, 0xFFFFFFFFL, &number)) {
            options.seed = static_cast<unsigned>(number);
        } else if (arg == "--fault" && sample_portal::ParseFault(value, &options.fault)) {
        } else {
            return Usage();
        }
    }
    if (!havePort) return Usage();

    // Block the stop signals before the server threads start, then wait for one here.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        sample_portal::Portal portal(options);
        std::printf("%s\n", portal.BaseUrl().c_str());
        std::fflush(stdout);
        int received = 0;
        sigwait(&signals, &received);
        portal.Stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sample-portal: %s\n", e.what());
        return 1;
    }
    return 0;
}

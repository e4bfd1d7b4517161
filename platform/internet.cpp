#include "platform/internet.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>

namespace platform {

// A session only remembers its agent; a request holds the whole response
// body, read by one curl_easy_perform when the address is opened. A transfer
// that broke after the response had started keeps what arrived and the
// reason, and the reads hand out those bytes before they fail.
struct InternetObject {
    enum class Kind { kSession, kRequest };
    explicit InternetObject(Kind k) : kind(k) {}
    Kind kind;
    std::string agent;  // session
    std::string body;   // request
    std::size_t position = 0;
    bool broken = false;
    std::string error;
};

namespace {

std::atomic<int> g_liveHandles{0};
std::mutex g_limitsMutex;
InternetLimits g_limits;
thread_local std::string t_lastError;

bool GlobalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_FAILED_INIT;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

InternetHandle NewHandle(InternetObject::Kind kind) {
    ++g_liveHandles;
    return new InternetObject(kind);
}

struct Transfer {
    std::string* body;
    std::size_t cap;
    bool capped = false;
    // Stall watch: the transfer ends when no byte has come for `stall`.
    std::chrono::steady_clock::duration stall;
    std::chrono::steady_clock::time_point lastProgress;
    curl_off_t lastReceived = 0;
    bool stalled = false;
};

// libcurl calls this at least about once a second, also while nothing arrives.
int WatchProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (received != transfer->lastReceived) {
        transfer->lastReceived = received;
        transfer->lastProgress = now;
        return 0;
    }
    if (now - transfer->lastProgress >= transfer->stall) {
        transfer->stalled = true;
        return 1;  // aborts with CURLE_ABORTED_BY_CALLBACK
    }
    return 0;
}

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    const std::size_t room = transfer->cap - std::min(transfer->cap, transfer->body->size());
    if (n > room) {
        transfer->body->append(data, room);
        transfer->capped = true;
        return 0;  // makes libcurl stop with CURLE_WRITE_ERROR
    }
    transfer->body->append(data, n);
    return n;
}

bool HasWebScheme(std::string_view address) {
    const auto colon = address.find("://");
    if (colon == std::string_view::npos) return false;
    std::string scheme(address.substr(0, colon));
    for (char& ch : scheme) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return scheme == "http" || scheme == "https";
}

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

}  // namespace

InternetHandle InternetOpen(std::string_view agent) {
    if (!GlobalInit()) {
        t_lastError = "libcurl could not be initialised";
        return nullptr;
    }
    InternetHandle session = NewHandle(InternetObject::Kind::kSession);
    session->agent.assign(agent);
    return session;
}

InternetHandle InternetOpenUrl(InternetHandle session, std::string_view address) {
    if (!session || session->kind != InternetObject::Kind::kSession) {
        t_lastError = "not a session handle";
        return nullptr;
    }
    // libcurl takes C strings; an address with a zero byte in it would be cut short.
    if (address.find('\0') != std::string_view::npos ||
        session->agent.find('\0') != std::string::npos) {
        t_lastError = "URL contains a zero byte";
        return nullptr;
    }
    // libcurl would guess "http" for an address without a scheme; we take
    // only addresses that say http or https themselves.
    if (!HasWebScheme(address)) {
        t_lastError = "not an http or https address";
        return nullptr;
    }
    const InternetLimits limits = GetInternetLimits();
    std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl) {
        t_lastError = "libcurl could not create a transfer";
        return nullptr;
    }
    const std::string url(address);
    std::string body;
    Transfer transfer{&body, limits.bodyCap, false, limits.stall, std::chrono::steady_clock::now()};
    char errorBuffer[CURL_ERROR_SIZE] = "";

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_USERAGENT, session->agent.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, static_cast<long>(limits.maxRedirects));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &WatchProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(limits.total.count()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);

    const CURLcode rc = curl_easy_perform(c);
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);

    std::string reason;
    if (rc != CURLE_OK) {
        if (transfer.capped) {
            reason = "response body larger than " + std::to_string(limits.bodyCap) + " bytes";
        } else if (transfer.stalled) {
            reason =
                "no data received for " +
                std::to_string(
                    std::chrono::duration_cast<std::chrono::milliseconds>(limits.stall).count()) +
                " ms";
        } else {
            reason = errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc);
        }
        // Nothing came back from the server: the address could not be opened.
        if (status == 0 && body.empty()) {
            t_lastError = reason;
            return nullptr;
        }
    }
    InternetHandle request = NewHandle(InternetObject::Kind::kRequest);
    request->body = std::move(body);
    request->broken = rc != CURLE_OK;
    request->error = std::move(reason);
    return request;
}

bool InternetReadFile(InternetHandle request, char* buffer, std::size_t toRead, std::size_t* read) {
    if (read) *read = 0;
    if (!request || request->kind != InternetObject::Kind::kRequest || !read ||
        (!buffer && toRead > 0)) {
        t_lastError = "invalid read";
        return false;
    }
    const std::size_t left = request->body.size() - request->position;
    const std::size_t n = std::min(left, toRead);
    if (n > 0) {
        std::memcpy(buffer, request->body.data() + request->position, n);
        request->position += n;
        *read = n;
        return true;
    }
    if (request->broken && toRead > 0) {
        t_lastError = request->error;
        return false;
    }
    return true;
}

void InternetCloseHandle(InternetHandle handle) {
    if (!handle) return;
    delete handle;
    --g_liveHandles;
}

std::string InternetLastError() { return t_lastError; }

void SetInternetLimits(const InternetLimits& limits) {
    std::lock_guard lock(g_limitsMutex);
    g_limits = limits;
}

InternetLimits GetInternetLimits() {
    std::lock_guard lock(g_limitsMutex);
    return g_limits;
}

int InternetLiveHandles() { return g_liveHandles.load(); }

}  // namespace platform

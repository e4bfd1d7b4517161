// A tiny HTTP server on 127.0.0.1 for the download tests: fixed bodies and
// statuses per path, a redirect and a redirect loop, and the User-Agent of
// the last request.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/internet.h"

namespace internet_testing {

// Loopback never goes through a proxy, and short bounds keep failures quick.
inline void UseLoopbackTestSettings(std::size_t bodyCap = std::size_t{16} << 20) {
    setenv("no_proxy", "*", 1);
    setenv("NO_PROXY", "*", 1);
    platform::InternetLimits limits;
    limits.connect = std::chrono::milliseconds(3000);
    limits.stall = std::chrono::milliseconds(1000);
    limits.total = std::chrono::seconds(20);
    limits.bodyCap = bodyCap;
    platform::SetInternetLimits(limits);
}

class TestServer {
  public:
    TestServer() {
        server_.set_keep_alive_timeout(1);
        server_.set_pre_routing_handler(
            [this](const httplib::Request& req, httplib::Response& res) {
                std::lock_guard lock(mutex_);
                lastAgent_ = req.get_header_value("User-Agent");
                if (req.path == "/redirect") {
                    res.set_redirect("/seven");
                    return httplib::Server::HandlerResponse::Handled;
                }
                if (req.path == "/loop") {
                    res.set_redirect("/loop");
                    return httplib::Server::HandlerResponse::Handled;
                }
                auto it = pages_.find(req.path);
                if (it == pages_.end()) return httplib::Server::HandlerResponse::Unhandled;
                res.status = it->second.first;
                res.set_content(it->second.second, "text/html");
                return httplib::Server::HandlerResponse::Handled;
            });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("test server cannot listen");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~TestServer() {
        server_.stop();
        thread_.join();
    }

    void Serve(const std::string& path, int status, const std::string& body) {
        std::lock_guard lock(mutex_);
        pages_[path] = {status, body};
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string LastAgent() const {
        std::lock_guard lock(mutex_);
        return lastAgent_;
    }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, std::pair<int, std::string>> pages_;
    std::string lastAgent_;
};

}  // namespace internet_testing

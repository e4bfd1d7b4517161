#include "sample_portal.h"

#include <httplib.h>
#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace sample_portal {

namespace {

// The query that follows the offset in the fetch run's addresses.
constexpr const char* kSuffix[2] = {
    "&mk=11%2c%2012%2c%2021%2c%2022%2c%2031%2c%2032%2c%2043%2c%2047%2c%2083%2c%2087%2c%2094%2c%"
    "2017%2c%20A1%2c%20A7%2c%2037&kd=1&ca=1&tm=day&",
    "&mk=11%2c%2012%2c%2021%2c%2022%2c%2031%2c%2032%2c%2043%2c%2047%2c%2083%2c%2087%2c%2094%2c%"
    "2017%2c%20A1%2c%20A7%2c%2037&kd=2&ca=1&tm=day&",
};

const std::string kMarker = "<!-- " + std::string(83, '-') + ">\n";

constexpr int kPoolSize = 320;

const char* const kMarkets[] = {"東証1部", "東証2部", "大証1部", "JASDAQ", "マザーズ"};
const char* const kNameHeads[] = {"東京",   "日本", "大阪",   "北海道", "三菱",     "住友",  "富士",
                                  "中央",   "関西", "太平洋", "東洋",   "大和",     "明治",  "昭和",
                                  "新日本", "九州", "名古屋", "横浜",   "ソニック", "アジア"};
const char* const kNameTails[] = {
    "電機", "製作所", "化学", "建設",   "銀行", "証券", "商事",
    "工業", "食品",   "薬品", "不動産", "電力", "精機", "ホールディングス",
    "物産", "ソフト", "鉄道", "海運",   "ガス", "通信"};
const char* const kSectors[] = {"電気機器",   "化学", "建設業", "銀行業",   "小売業",
                                "情報・通信", "機械", "医薬品", "不動産業", "陸運業"};

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(Mix(seed)) {}
    std::uint64_t Next() { return state_ = Mix(state_); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

  private:
    std::uint64_t state_;
};

std::string Convert(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    std::string in = utf8;
    std::string out(in.size() * 2 + 8, '\0');
    char* inp = in.data();
    size_t inLeft = in.size();
    char* outp = out.data();
    size_t outLeft = out.size();
    const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) throw std::runtime_error("iconv failed on " + utf8);
    out.resize(out.size() - outLeft);
    return out;
}

// 12345 -> "12,345"
std::string Grouped(long long value) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

std::string Signed(long long value, bool grouped) {
    std::string body = grouped ? Grouped(value) : std::to_string(value);
    return value > 0 ? "+" + body : body;
}

std::string Rate(int hundredths) {
    char buf[32];
    const int a = hundredths < 0 ? -hundredths : hundredths;
    std::snprintf(buf, sizeof buf, "%s%d.%02d", hundredths > 0 ? "+" : (hundredths < 0 ? "-" : ""),
                  a / 100, a % 100);
    return buf;
}

std::string RemoveCommas(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    return s;
}

struct Stock {
    int code;
    int market;
    std::string nameUtf8;
    std::string sector;
    int price;
};

struct Row {
    int rank;
    const Stock* stock;
    std::string change;  // as written on the page
    std::string rate;    // as written on the page (kind 0 with its "%")
    long long volume;
};

std::string HtmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

bool ParseFault(const std::string& name, Fault* fault) {
    static const std::pair<const char*, Fault> kNames[] = {
        {"none", Fault::kNone},          {"not-found", Fault::kNotFound},
        {"cut-body", Fault::kCutBody},   {"stall", Fault::kStall},
        {"endless", Fault::kEndless},    {"crlf", Fault::kCrlf},
        {"zero-byte", Fault::kZeroByte},
    };
    for (const auto& [text, value] : kNames) {
        if (name == text) {
            *fault = value;
            return true;
        }
    }
    return false;
}

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::kNone:
            return "none";
        case Fault::kNotFound:
            return "not-found";
        case Fault::kCutBody:
            return "cut-body";
        case Fault::kStall:
            return "stall";
        case Fault::kEndless:
            return "endless";
        case Fault::kCrlf:
            return "crlf";
        case Fault::kZeroByte:
            return "zero-byte";
    }
    return "?";
}

struct Portal::Impl {
    Options options;
    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex logMutex;
    std::vector<std::string> log;
    std::vector<Stock> pool;
    std::vector<int> order[2];  // pool indices by rank - 1, per kind

    void BuildData();
    Row RowAt(int kind, int rank) const;
    std::string Page(int kind, int offset) const;
    std::string RecordLines(int kind, int offset) const;
    void Route();
    bool Sleep(std::chrono::milliseconds total) const;
};

void Portal::Impl::BuildData() {
    Random random(options.seed);
    std::vector<int> codes;
    while (static_cast<int>(codes.size()) < kPoolSize) {
        const int code = 1301 + random.Below(9999 - 1301);
        if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
    }
    for (int i = 0; i < kPoolSize; ++i) {
        Stock s;
        s.code = codes[i];
        s.market = random.Below(5);
        s.nameUtf8 = std::string(kNameHeads[random.Below(20)]) + kNameTails[random.Below(20)];
        s.sector = kSectors[random.Below(10)];
        // Mostly ordinary prices, a few in the hundreds of thousands.
        s.price = random.Below(10) == 0 ? 100000 + random.Below(900000) : 50 + random.Below(20000);
        pool.push_back(std::move(s));
    }
    // Each kind ranks 200 stocks out of the same pool, so many appear in both.
    for (auto& ranks : order) {
        std::vector<int> indices(kPoolSize);
        for (int i = 0; i < kPoolSize; ++i) indices[i] = i;
        for (int i = kPoolSize - 1; i > 0; --i) std::swap(indices[i], indices[random.Below(i + 1)]);
        ranks = indices;
    }
}

Row Portal::Impl::RowAt(int kind, int rank) const {
    const std::vector<int>& ranks = order[kind];
    const Stock& stock = pool[ranks[(rank - 1) % kPoolSize]];
    Random random(options.seed * 1000003u + static_cast<unsigned>(kind) * 7919u +
                  static_cast<unsigned>(rank));
    Row row{rank, &stock, "", "", 0};
    if (kind == 0) {
        // Volume ranking: moves either way.
        const int hundredths = random.Below(4001) - 2000;
        row.change = Signed(static_cast<long long>(stock.price) * hundredths / 10000, true);
        row.rate = Rate(hundredths) + "%";
        row.volume = 2000000000LL / (rank + 1) + random.Below(1000) * 100LL;
    } else {
        // Gainers: ranked by rate, all up, shown in red.
        const int hundredths = 3000 - rank * 12 + random.Below(10);
        row.change = Signed(
            std::max<long long>(1, static_cast<long long>(stock.price) * hundredths / 10000), true);
        row.rate = Rate(hundredths);
        row.volume = 1000 + random.Below(5000000) * 10LL;
    }
    return row;
}

std::string Portal::Impl::Page(int kind, int offset) const {
    static const char* const kTitles[2] = {"出来高ランキング", "値上がり率ランキング"};
    std::string html;
    html += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n";
    html += "<html>\n<head>\n";
    html += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\n";
    html += std::string("<title>") + kTitles[kind] + " - 株式ランキング</title>\n";
    html += "<script type=\"text/javascript\">\nfunction go(n) { if (n<1) return; }\n</script>\n";
    html += "</head>\n<body bgcolor=\"#ffffff\">\n";
    html += std::string("<h1>") + kTitles[kind] + "</h1>\n";
    html += "<p>" + std::to_string(offset) + "位から" + std::to_string(offset + kRowsPerPage - 1) +
            "位</p>\n";
    html += "<Table border=0 cellspacing=1 cellpadding=2 width=\"100%\">\n";
    html +=
        "<tr bgcolor=\"#dcdcdc\"><th>順位</th><th>コード</th><th>市場</th><th>名称</th>"
        "<th>業種<br>取引値</th><th>前日比</th><th>騰落率</th><th>出来高</th></tr>\n";
    html += kMarker;
    for (int i = 0; i < kRowsPerPage; ++i) {
        const Row row = RowAt(kind, offset + i);
        const Stock& s = *row.stock;
        char code[16];
        std::snprintf(code, sizeof code, "%04d", s.code);
        // Real pages mix the case of their tags from row to row.
        const bool upper = (i % 3) == 1;
        html += upper ? "<TR>\n" : "<tr>\n";
        html += upper ? "<TD ALIGN=right>" : "<td align=right>";
        html += std::to_string(row.rank) + (upper ? "</TD>" : "</td>");
        html += std::string("<td><a href=\"/q?s=") + code + "&d=t\">" + code + "</a></td>";
        html += std::string("<td>") + kMarkets[s.market] + "</td>";
        html += "<td>" + s.nameUtf8 + "</td>";
        html += "<td><small>" + s.sector + "</small><br>15:00</td>";
        html += "<td align=right>" + Grouped(s.price) + "</td>";
        if (kind == 0) {
            html += "<td align=\"right\" Nowrap>" + row.change + "</td>";
            html += "<td align=\"right\" nowrap>" + row.rate + "</td>";
        } else {
            html += "<td><font color=red>" + row.change + "</font></td>";
            html += "<Td><Font Color=Red>" + row.rate + "</font>%</td>";
        }
        html += "<td align=right>" + Grouped(row.volume) + "</td>\n";
        html += upper ? "</TR>\n" : "</tr>\n";
    }
    html += kMarker;
    html += "</table>\n";
    html += "<p><a href=\"/ranking/search?b=" + std::to_string(offset + kRowsPerPage) +
            kSuffix[kind] + "\">次の20件</a></p>\n";
    html += "</body>\n</html>\n";
    return Convert(html, "EUC-JP");
}

std::string Portal::Impl::RecordLines(int kind, int offset) const {
    std::string lines;
    for (int i = 0; i < kRowsPerPage; ++i) {
        const Row row = RowAt(kind, offset + i);
        const Stock& s = *row.stock;
        std::string rate = RemoveCommas(row.rate);
        char buf[512];
        std::snprintf(buf, sizeof buf, "%d,%04d,%s,%s,%d,%s,%s,%d\n", row.rank, s.code,
                      Convert(kMarkets[s.market], "SHIFT_JIS").c_str(),
                      Convert(s.nameUtf8, "SHIFT_JIS").c_str(), s.price,
                      RemoveCommas(row.change).c_str(), rate.c_str(), static_cast<int>(row.volume));
        lines += buf;
    }
    return lines;
}

bool Portal::Impl::Sleep(std::chrono::milliseconds total) const {
    const auto end = std::chrono::steady_clock::now() + total;
    while (std::chrono::steady_clock::now() < end) {
        if (stopping) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !stopping;
}

void Portal::Impl::Route() {
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard lock(logMutex);
        log.push_back(req.target);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get("/ranking/search", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string kd = req.get_param_value("kd");
        int offset = 1;
        try {
            if (req.has_param("b")) offset = std::stoi(req.get_param_value("b"));
        } catch (const std::exception&) {
            offset = 1;
        }
        if ((kd != "1" && kd != "2") || offset < 1 || offset > 100000) {
            res.status = 404;
            res.set_content("<html><body><h1>Not Found</h1><p>No such ranking.</p></body></html>\n",
                            "text/html");
            return;
        }
        const int kind = kd == "1" ? 0 : 1;
        std::string body = Page(kind, offset);
        const char* type = "text/html; charset=EUC-JP";
        switch (options.fault) {
            case Fault::kCrlf: {
                std::string crlf;
                for (char c : body) {
                    if (c == '\n') crlf += '\r';
                    crlf += c;
                }
                res.set_content(crlf, type);
                return;
            }
            case Fault::kZeroByte: {
                // Inside the table, at the start of the first row.
                body.insert(body.find(kMarker) + kMarker.size() + 1, 1, '\0');
                res.set_content(body, type);
                return;
            }
            case Fault::kCutBody: {
                auto shared = std::make_shared<std::string>(std::move(body));
                res.set_content_provider(shared->size(), type,
                                         [shared](size_t offset, size_t, httplib::DataSink& sink) {
                                             if (offset > 0) return false;  // drops the connection
                                             return sink.write(shared->data(), shared->size() / 2);
                                         });
                return;
            }
            case Fault::kStall: {
                auto shared = std::make_shared<std::string>(std::move(body));
                res.set_content_provider(
                    shared->size(), type,
                    [this, shared](size_t offset, size_t, httplib::DataSink& sink) {
                        if (offset == 0) return sink.write(shared->data(), shared->size() / 2);
                        // Nothing more until the client gives up or the portal stops.
                        Sleep(std::chrono::minutes(10));
                        return false;
                    });
                return;
            }
            case Fault::kEndless: {
                auto shared = std::make_shared<std::string>(std::move(body));
                res.set_chunked_content_provider(
                    type, [this, shared](size_t, httplib::DataSink& sink) {
                        return !stopping && sink.write(shared->data(), shared->size());
                    });
                return;
            }
            case Fault::kNone:
            case Fault::kNotFound:
                break;
        }
        res.set_content(body, type);
    });
    auto echo = [](const char* title) {
        return [title](const httplib::Request& req, httplib::Response& res) {
            res.set_content(std::string("<html><head><title>") + title +
                                "</title></head><body><p>" + HtmlEscape(req.target) +
                                "</p></body></html>\n",
                            "text/html; charset=UTF-8");
        };
    };
    server.Get("/q", echo("Quote"));
    server.Get("/t", echo("Time series"));
    if (options.fault == Fault::kNotFound) {
        server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(logMutex);
                log.push_back(req.target);
            }
            res.status = 404;
            res.set_content("<html><body><h1>Not Found</h1></body></html>\n", "text/html");
            return httplib::Server::HandlerResponse::Handled;
        });
    }
}

Portal::Portal(Options options) : impl_(std::make_unique<Impl>()) {
    impl_->options = options;
    impl_->BuildData();
    impl_->Route();
    Impl* impl = impl_.get();
    // Short keep-alive so that Stop does not wait on idle connections.
    impl->server.set_keep_alive_timeout(1);
    if (options.port == 0) {
        impl->port = impl->server.bind_to_any_port("127.0.0.1");
    } else {
        impl->port = impl->server.bind_to_port("127.0.0.1", options.port) ? options.port : -1;
    }
    if (impl->port <= 0) {
        throw std::runtime_error("sample portal: cannot listen on 127.0.0.1:" +
                                 std::to_string(options.port));
    }
    impl->thread = std::thread([impl] { impl->server.listen_after_bind(); });
    // Stop must not run before the server loop has started, or the loop would never end.
    while (!impl->server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

Portal::~Portal() { Stop(); }

void Portal::Stop() {
    if (!impl_->thread.joinable()) return;
    impl_->stopping = true;
    impl_->server.stop();
    impl_->thread.join();
}

int Portal::Port() const { return impl_->port; }

std::string Portal::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }

std::string Portal::SearchAddress() const { return BaseUrl() + "/ranking/search?b="; }

std::string Portal::PageUrl(int kind, int offset) const {
    return SearchAddress() + std::to_string(offset) + kSuffix[kind == 0 ? 0 : 1];
}

std::vector<std::string> Portal::RequestLog() const {
    std::lock_guard lock(impl_->logMutex);
    return impl_->log;
}

void Portal::ClearRequestLog() {
    std::lock_guard lock(impl_->logMutex);
    impl_->log.clear();
}

std::string Portal::PageBody(int kind, int offset) const {
    return impl_->Page(kind == 0 ? 0 : 1, offset);
}

std::string Portal::ExpectedRecordLines(int kind, int offset) const {
    return impl_->RecordLines(kind == 0 ? 0 : 1, offset);
}

std::string Portal::ExpectedDailyLines() const {
    std::string lines;
    for (int kind = 0; kind < 2; ++kind) {
        for (int page = 0; page < kPagesPerKind; ++page) {
            lines += ExpectedRecordLines(kind, 1 + page * kRowsPerPage);
        }
    }
    return lines;
}

std::vector<std::pair<int, std::string>> Portal::ExpectedHistoryKeys(int kind, int offset) const {
    std::vector<std::pair<int, std::string>> keys;
    for (int i = 0; i < kRowsPerPage; ++i) {
        const Row row = impl_->RowAt(kind == 0 ? 0 : 1, offset + i);
        keys.emplace_back(row.stock->code, Convert(kMarkets[row.stock->market], "SHIFT_JIS"));
    }
    return keys;
}

}  // namespace sample_portal

#include "net/http_fetcher.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/process_state.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "redirect_chains.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "support/tls_test_server.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int64_t kT0 = 1'700'000'000;

class Fetch : public ::testing::Test {
  protected:
    // A test that failed with a fetch still running must not wait on it for
    // ever (a future's end waits for its task): every fetch is stopped here.
    void TearDown() override {
        StopRequested = true;
        for (auto& f : fetches) f.wait_for(std::chrono::seconds(10));
        StopRequested = false;
        ResetClocks();
    }
    std::u16string Target(const std::string& name = "target.bin") const {
        return FromPath(dir / name).value();
    }
    fs::path TargetPath(const std::string& name = "target.bin") const { return dir / name; }

    // Waits (real time, bounded) until `done` holds; false on time-out.
    template <class Pred>
    static bool WaitFor(Pred done, int ms = 5000) {
        auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (Clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    static uint64_t SizeOf(const fs::path& p) {
        std::error_code ec;
        auto n = fs::file_size(p, ec);
        return ec ? 0 : n;
    }
    std::shared_future<bool> FetchAsync(const std::u16string& url, const std::u16string& path) {
        fetches.push_back(
            std::async(std::launch::async, [url, path] { return FetchToFile(url, path); }).share());
        return fetches.back();
    }
    std::shared_future<bool> FetchAsync(const std::string& urlPath) {
        return FetchAsync(server.Url(urlPath), Target());
    }
    static bool Ends(const std::shared_future<bool>& f, int ms) {
        return f.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
    }

    TempDir dir;
    HttpTestServer server;
    std::vector<std::shared_future<bool>> fetches;
};

std::string Bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
}
}  // namespace

TEST_F(Fetch, StoresTheWholeBodyAndAsksWithTheSaversHeaders) {
    std::string body = Bytes(100'000);
    server.Serve("/photo.jpg", body);
    WriteFileBytes(TargetPath(), "old content that is longer than nothing");
    ASSERT_TRUE(FetchToFile(server.Url("/photo.jpg"), Target()));
    EXPECT_EQ(ReadFileBytes(TargetPath()), body);

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].get_header_value("User-Agent"),
              "Mozilla/4.0 (compatible; MSIE 7.0; Win32)");
    EXPECT_EQ(requests[0].get_header_value("Cache-Control"), "no-cache");
    EXPECT_EQ(requests[0].get_header_value("Pragma"), "no-cache");
}

TEST_F(Fetch, FollowsOnlyTheRedirectsTheRequestAllows) {
    HttpTestServer other;
    ServeRedirectChains(server, other);
    for (const RedirectChain& row : kRedirectChains) {
        SCOPED_TRACE(std::string(row.path) + (row.photo ? " photo" : ""));
        const int before = other.RequestCount("/photo.jpg");
        fs::remove(TargetPath());
        FetchOptions options;
        if (row.photo) options.redirectHosts = {"127.0.0.1"};
        FetchReply reply;
        EXPECT_EQ(FetchToFile(server.Url(row.path), Target(), options, &reply), *row.arrives != 0);
        EXPECT_EQ(ReadFileBytes(TargetPath()), row.arrives);
        EXPECT_EQ(reply.status, *row.arrives ? 200 : 302);  // a refused one ends at its redirect
        EXPECT_EQ(other.RequestCount("/photo.jpg") - before, row.elsewhere);
    }
}

// Failures before the target is opened leave an older file as it was.
TEST_F(Fetch, FailuresBeforeTheFileLeaveItAsItWas) {
    server.Status("/missing", 404);
    server.Status("/moved-nowhere", 302);
    server.Status("/partial-content", 206, "abc");
    for (const std::u16string& url :
         {server.Url("/missing"), server.Url("/moved-nowhere"), server.Url("/partial-content"),
          HttpTestServer::RefusedUrl("/x"), std::u16string(u"http://bad host/x")}) {
        WriteFileBytes(TargetPath(), "keep me");
        EXPECT_FALSE(FetchToFile(url, Target())) << Utf16ToUtf8(url);
        EXPECT_EQ(ReadFileBytes(TargetPath()), "keep me") << Utf16ToUtf8(url);
    }
}

// Failures after the target was opened delete it.
TEST_F(Fetch, FailuresAfterTheFileDeleteIt) {
    server.Serve("/empty", "");
    server.Handle("/cut", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(1000, "application/octet-stream",
                                 [](size_t offset, size_t, httplib::DataSink& sink) {
                                     return offset == 0 && sink.write("0123456789", 10);
                                 });
    });
    server.Stream("/too-big", uint64_t{kFetchBodyLimit} + 1);
    for (const char* path : {"/empty", "/cut", "/too-big"}) {
        WriteFileBytes(TargetPath(), "old");
        EXPECT_FALSE(FetchToFile(server.Url(path), Target())) << path;
        EXPECT_FALSE(fs::exists(TargetPath())) << path;
    }
    // A target that cannot be created: its folder does not exist.
    server.Serve("/fine", "fine");
    EXPECT_FALSE(FetchToFile(server.Url("/fine"), FromPath(dir / "no-such-folder" / "x").value()));
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

// Bytes that do not reach the disk make the download fail, not succeed short.
TEST_F(Fetch, AFailedWriteIsAFailure) {
    server.Serve("/big", Bytes(200'000));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail instead
    rlimit small = saved;
    small.rlim_cur = 50'000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool result = FetchToFile(server.Url("/big"), Target());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(result);
    EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(Fetch, OverlongUrlOrPathIsRefusedBeforeAnyRequest) {
    server.Serve("/ok", "ok");
    std::u16string longUrl = server.Url("/ok?") + std::u16string(260, u'a');
    std::u16string longPath = Target() + std::u16string(260 - Target().size(), u'x');
    ASSERT_EQ(longPath.size(), 260u);
    EXPECT_FALSE(FetchToFile(longUrl, Target()));
    EXPECT_FALSE(FetchToFile(server.Url("/ok"), longPath));
    EXPECT_EQ(server.Requests().size(), 0u);
    EXPECT_FALSE(fs::exists(TargetPath()));
    // Exactly 259 characters still fit.
    std::u16string path259 = longPath.substr(0, 259);
    EXPECT_TRUE(FetchToFile(server.Url("/ok"), path259));
    EXPECT_EQ(ReadFileBytes(ToPath(path259)), "ok");
}

TEST_F(Fetch, SilentServerIsAbandonedAfterMoreThan180Seconds) {
    SetManualCalendarSeconds(kT0);
    server.Silence("/silent");
    auto result = FetchAsync("/silent");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(TargetPath()); }));
    SetManualCalendarSeconds(kT0 + 180);
    EXPECT_FALSE(Ends(result, 400)) << "180 seconds is not yet more than 180";
    SetManualCalendarSeconds(kT0 + 181);
    ASSERT_TRUE(Ends(result, 2000));
    EXPECT_FALSE(result.get());
    EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(Fetch, TwentyBytesThenAStallIsTooSlow) {
    SetManualCalendarSeconds(kT0);
    server.Staged("/slow", Bytes(20), Bytes(980));
    auto result = FetchAsync("/slow");
    ASSERT_TRUE(WaitFor([&] { return SizeOf(TargetPath()) == 20; }));
    EXPECT_FALSE(Ends(result, 300)) << "no measurement yet within the first second";
    SetManualCalendarSeconds(kT0 + 2);  // 20 bytes in 2 s: 10 B/s
    ASSERT_TRUE(Ends(result, 2000));
    EXPECT_FALSE(result.get());
    EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(Fetch, ATrickleIsAbandonedOnceMeasured) {
    SetManualCalendarSeconds(kT0);
    server.Trickle("/trickle", 20, 1000);
    auto result = FetchAsync("/trickle");
    ASSERT_TRUE(WaitFor([&] { return SizeOf(TargetPath()) >= 1; }));
    SetManualCalendarSeconds(kT0 + 1);
    ASSERT_TRUE(Ends(result, 2000));
    EXPECT_FALSE(result.get());
    EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(Fetch, LateSmallBodyMeasuresRateZeroAndSucceeds) {
    SetManualCalendarSeconds(kT0);
    server.Staged("/late", "", "0123456789");
    auto result = FetchAsync("/late");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(TargetPath()); }));
    SetManualCalendarSeconds(kT0 + 15);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));  // polls see no bytes yet
    server.OpenGate();
    ASSERT_TRUE(Ends(result, 2000));
    EXPECT_TRUE(result.get());
    EXPECT_EQ(ReadFileBytes(TargetPath()), "0123456789");
}

// The waiter promises to return within one watch period of the request; the
// bound here is generous so that sanitizer builds do not make it flaky.
TEST_F(Fetch, StopRequestedEndsALongTransferPromptly) {
    server.Stream("/endless", 0);
    auto result = FetchAsync("/endless");
    ASSERT_TRUE(WaitFor([&] { return SizeOf(TargetPath()) > 100'000; }));
    auto raised = Clock::now();
    StopRequested = true;
    ASSERT_TRUE(Ends(result, 2000));
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - raised);
    EXPECT_LT(took.count(), 1000);
    EXPECT_FALSE(result.get());
    EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(Fetch, StopBeforeAnyResponseStillDeletesAnOlderFile) {
    server.Hang("/hang");
    WriteFileBytes(TargetPath(), "older download");
    auto result = FetchAsync("/hang");
    ASSERT_TRUE(WaitFor([&] { return server.RequestCount("/hang") == 1; }));
    StopRequested = true;
    ASSERT_TRUE(Ends(result, 2000));
    EXPECT_FALSE(result.get());
    EXPECT_FALSE(fs::exists(TargetPath()));
    // The abandoned transfer never creates the file afterwards.
    server.OpenGate();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(TargetPath()));
}

TEST_F(Fetch, SeveralDownloadsAtOnceKeepTheirOwnBodies) {
    constexpr int kCount = 4;
    for (int i = 0; i < kCount; ++i)
        server.Serve("/doc" + std::to_string(i), Bytes(50'000 + i * 1000));
    std::vector<std::shared_future<bool>> results;
    for (int i = 0; i < kCount; ++i)
        results.push_back(
            FetchAsync(server.Url("/doc" + std::to_string(i)), Target("doc" + std::to_string(i))));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_TRUE(results[i].get());
        EXPECT_EQ(ReadFileBytes(TargetPath("doc" + std::to_string(i))), Bytes(50'000 + i * 1000));
    }
}

TEST_F(Fetch, ViaTempFileRenamesAndRefusesATakenName) {
    server.Serve("/p.jpg", "jpeg bytes");
    ASSERT_TRUE(FetchViaTempFile(server.Url("/p.jpg"), Target("p.jpg")));
    EXPECT_EQ(ReadFileBytes(TargetPath("p.jpg")), "jpeg bytes");
    EXPECT_FALSE(fs::exists(TargetPath("p.jpg.tmp")));

    WriteFileBytes(TargetPath("taken.jpg"), "first");
    EXPECT_FALSE(FetchViaTempFile(server.Url("/p.jpg"), Target("taken.jpg")));
    EXPECT_EQ(ReadFileBytes(TargetPath("taken.jpg")), "first");
    EXPECT_EQ(ReadFileBytes(TargetPath("taken.jpg.tmp")), "jpeg bytes");

    server.Status("/gone.jpg", 404);
    EXPECT_FALSE(FetchViaTempFile(server.Url("/gone.jpg"), Target("gone.jpg")));
    EXPECT_FALSE(fs::exists(TargetPath("gone.jpg")));
    EXPECT_FALSE(fs::exists(TargetPath("gone.jpg.tmp")));

    // The temporary name must fit too.
    std::u16string path257 = Target() + std::u16string(257 - Target().size(), u'x');
    EXPECT_FALSE(FetchViaTempFile(server.Url("/p.jpg"), path257));
    EXPECT_EQ(server.RequestCount("/p.jpg"), 2);
}

TEST_F(Fetch, IntoMemoryHandsOutTheBytesWithATrailingZero) {
    std::string doc = Bytes(1000);
    doc[500] = '\0';  // an embedded zero stays part of the bytes
    server.Serve("/doc.xml", doc);
    std::string body = "stale";
    ASSERT_TRUE(FetchIntoMemory(server.Url("/doc.xml"), Target("doc.xml"), body));
    EXPECT_EQ(body.size(), 1000u);
    EXPECT_EQ(body, doc);
    EXPECT_EQ(body.c_str()[1000], '\0');
    EXPECT_TRUE(fs::exists(TargetPath("doc.xml")));

    server.Status("/none.xml", 500);
    EXPECT_FALSE(FetchIntoMemory(server.Url("/none.xml"), Target("none.xml"), body));
    EXPECT_TRUE(body.empty());
}

// A body over the caller's limit fails. One that announces its length is
// refused at the headers, before a byte is read; one that does not is cut
// at the first byte over the limit. Either way the target goes.
TEST_F(Fetch, BodiesOverTheLimitFailAndAnnouncedOnesAtTheirHeaders) {
    server.Silence("/announced", 5000);  // headers of 5000 bytes, then nothing
    WriteFileBytes(TargetPath(), "old");
    auto start = Clock::now();
    EXPECT_FALSE(FetchToFile(server.Url("/announced"), Target(), 4999));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(fs::exists(TargetPath()));

    server.Stream("/endless", 0);  // chunked: no length announced
    WriteFileBytes(TargetPath(), "old");
    EXPECT_FALSE(FetchToFile(server.Url("/endless"), Target(), 100'000));
    EXPECT_FALSE(fs::exists(TargetPath()));

    // The limit itself is allowed, announced or not.
    server.Stream("/exact", 100'000);
    ASSERT_TRUE(FetchToFile(server.Url("/exact"), Target(), 100'000));
    EXPECT_EQ(SizeOf(TargetPath()), 100'000u);
    std::string body;
    EXPECT_FALSE(FetchIntoMemory(server.Url("/exact"), Target(), body, 99'999));
    EXPECT_TRUE(body.empty());
    ASSERT_TRUE(FetchIntoMemory(server.Url("/exact"), Target(), body, 100'000));
    EXPECT_EQ(body.size(), 100'000u);
}

TEST_F(Fetch, APhotoAnnouncedLargerThanAnyRealPhotoIsNeverRead) {
    const uint32_t limit = ServiceBodyLimit(Service::ImageServer);
    EXPECT_GE(limit, 8u << 20);  // room for any photo the site serves
    EXPECT_LT(limit, kFetchBodyLimit);
    server.Silence("/huge.jpg", uint64_t{limit} + 1);
    auto start = Clock::now();
    EXPECT_FALSE(FetchViaTempFile(server.Url("/huge.jpg"), Target("huge.jpg"), limit));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(fs::exists(TargetPath("huge.jpg")));
    EXPECT_FALSE(fs::exists(TargetPath("huge.jpg.tmp")));
    // Pages, replies and feeds have smaller limits than photos.
    for (Service s : {Service::PhotoSite, Service::UpdateService, Service::WeatherService})
        EXPECT_LT(ServiceBodyLimit(s), limit);
}

TEST_F(Fetch, EachRequestIsOneLineOfTheEventLogWhenItIsOn) {
    server.Serve("/fine", "fine");
    server.Status("/missing", 404);
    struct LogOff {
        ~LogOff() { EventLogEnabled = false; }
    } off;

    testing::internal::CaptureStderr();
    EXPECT_TRUE(FetchToFile(server.Url("/fine"), Target()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EventLogEnabled = true;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(FetchToFile(server.Url("/fine"), Target()));
    EXPECT_FALSE(FetchToFile(server.Url("/missing"), Target()));
    EXPECT_FALSE(FetchToFile(HttpTestServer::RefusedUrl("/x"), Target()));
    std::string log = testing::internal::GetCapturedStderr();
    const std::string fine = Utf16ToUtf8(server.Url("/fine"));
    const std::string missing = Utf16ToUtf8(server.Url("/missing"));
    EXPECT_NE(log.find("request " + fine + ": complete, status 200, 4 bytes, "), std::string::npos)
        << log;
    EXPECT_NE(
        log.find("request " + missing + ": failed: status other than 200, status 404, 0 bytes"),
        std::string::npos)
        << log;
    EXPECT_NE(log.find(": failed: no connection, 0 bytes"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
}

// The Commons harvest's downloads through libcurl: the descriptive agent,
// the status and Retry-After of a refusal (a number of seconds; a date
// reads as none), and addresses past 259 characters up to the caller's limit.
TEST_F(Fetch, WikimediaDownloadsNameTheSaverAndReportRetryAfter) {
    server.Handle("/busy", [](const httplib::Request& req, httplib::Response& res) {
        res.status = req.has_param("date") ? 503 : 429;
        res.set_header("Retry-After",
                       req.has_param("date") ? "Wed, 21 Oct 2026 07:28:00 GMT" : "7");
        res.set_content("slow down", "text/plain");
    });
    const std::string longPath = "/" + std::string(600, 'l') + ".jpg";
    server.Serve(longPath, "photo bytes");
    const FetchOptions wikimedia{kFetchBodyLimit, UserAgent::Descriptive, kLongUrlLimit};
    FetchReply reply;
    EXPECT_FALSE(FetchToFile(server.Url("/busy"), Target(), wikimedia, &reply));
    EXPECT_EQ(reply.status, 429);
    EXPECT_EQ(reply.retryAfterSeconds, 7);
    EXPECT_FALSE(FetchToFile(server.Url("/busy?date=1"), Target(), wikimedia, &reply));
    EXPECT_EQ(reply.status, 503);
    EXPECT_EQ(reply.retryAfterSeconds, -1);
    EXPECT_TRUE(FetchToFile(server.Url(longPath), Target(), wikimedia, &reply));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(ReadFileBytes(TargetPath()), "photo bytes");
    for (const auto& r : server.Requests()) {
        const std::string agent = r.get_header_value("User-Agent");
        EXPECT_TRUE(agent.starts_with("Skyreel/1.0 (") &&
                    agent.find(") libcurl/") != std::string::npos)
            << agent;
    }
    // Past the caller's limit, or past 259 characters for the saver's own
    // services, nothing is asked.
    const int asked = static_cast<int>(server.Requests().size());
    EXPECT_FALSE(FetchToFile(server.Url("/" + std::string(kLongUrlLimit, 'x')), Target(), wikimedia,
                             &reply));
    EXPECT_FALSE(FetchToFile(server.Url(longPath), Target()));
    EXPECT_EQ(static_cast<int>(server.Requests().size()), asked);
    EXPECT_EQ(ParseRetryAfter(" 120\r\n"), 120);
    EXPECT_EQ(ParseRetryAfter("9999999"), 24 * 3600);
    for (const char* odd : {"", "-5", "1.5", "soon", "1234567890123"})
        EXPECT_EQ(ParseRetryAfter(odd), -1) << odd;
}

// libcurl checks certificates: a server whose certificate is self-signed
// answers a client that does not check (curl -k), and the saver refuses it
// before any status.
TEST_F(Fetch, HttpsWithAnUntrustedCertificateIsRefused) {
    SelfSignedTlsServer tls;
    ASSERT_TRUE(tls.running());
    ASSERT_EQ(std::system(("curl -skf -o /dev/null '" + tls.Url("/") + "'").c_str()), 0);
    FetchReply reply;
    EXPECT_FALSE(FetchToFile(Utf8ToUtf16(tls.Url("/")), Target(),
                             FetchOptions{kFetchBodyLimit, UserAgent::Descriptive, kLongUrlLimit},
                             &reply));
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(fs::exists(TargetPath()));
}

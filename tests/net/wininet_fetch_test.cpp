// The downloads of the Win32 build, through WinInet under Wine, against a
// real HTTP server on 127.0.0.1 started here: each case runs fetch_probe.exe
// (the Win32 HttpFetcher) once and checks its answer and the target file.
// The waiter's logic is the portable one that net_test covers; these cases
// are the ones where WinInet's answers decide: headers, redirects, status,
// the end of the body, and abandonment between blocking reads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "base/text.h"
#include "redirect_chains.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "support/tls_test_server.h"
#include "support/wine_prefix.h"

namespace fs = std::filesystem;

namespace {
struct ProbeResult {
    int exitCode = -1;
    std::string output;
};

class WinInetFetch : public WinePrefixTest {
  protected:
    // A path as the Win32 program names it: the Unix root is drive Z:.
    static std::string WinePath(const fs::path& p) { return "Z:" + p.string(); }

    ProbeResult Probe(const std::string& mode, const std::string& urlPath, const fs::path& target) {
        return ProbeUrl(mode, Utf16ToUtf8(server.Url(urlPath)), target);
    }
    ProbeResult ProbeUrl(const std::string& mode, const std::string& url, const fs::path& target) {
        const std::string command = "WINEPREFIX='" + PrefixPath() +
                                    "' WINEDEBUG=-all wine '" SKYREEL_FETCH_PROBE "' " + mode +
                                    " '" + url + "' '" + WinePath(target) + "' 2>/dev/null";
        ProbeResult r;
        FILE* f = popen(command.c_str(), "r");
        if (!f) return r;
        char buf[256];
        while (fgets(buf, sizeof buf, f)) r.output += buf;
        int status = pclose(f);
        if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
        while (!r.output.empty() && (r.output.back() == '\n' || r.output.back() == '\r'))
            r.output.pop_back();
        return r;
    }

    fs::path Target(const std::string& name = "target.bin") const { return dir / name; }

    TempDir dir;
    HttpTestServer server;
};

std::string Bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
}
}  // namespace

TEST_F(WinInetFetch, StoresTheWholeBodyWithTheSaversUserAgent) {
    const std::string body = Bytes(100'000);
    server.Serve("/photo.jpg", body);
    WriteFileBytes(Target(), "old content that is longer than nothing");
    ProbeResult r = Probe("file", "/photo.jpg", Target());
    EXPECT_EQ(r.output, "true");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(ReadFileBytes(Target()), body);
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].get_header_value("User-Agent"),
              "Mozilla/4.0 (compatible; MSIE 7.0; Win32)");
}

TEST_F(WinInetFetch, FollowsOnlyTheRedirectsTheRequestAllows) {
    HttpTestServer other;
    ServeRedirectChains(server, other);
    for (const RedirectChain& row : kRedirectChains) {
        SCOPED_TRACE(std::string(row.path) + (row.photo ? " photo" : ""));
        const int before = other.RequestCount("/photo.jpg");
        fs::remove(Target());
        const std::string said = Probe(row.photo ? "photo" : "file", row.path, Target()).output;
        EXPECT_EQ(said.starts_with("true"), *row.arrives != 0) << said;
        if (row.photo && !*row.arrives) {
            EXPECT_EQ(said, "false 302");  // ends at its redirect
        }
        EXPECT_EQ(ReadFileBytes(Target()), row.arrives);
        EXPECT_EQ(other.RequestCount("/photo.jpg") - before, row.elsewhere);
    }
}

// Wine answers for the Network List Manager and the power status what it
// answers; a desktop without them means downloads go ahead.
TEST_F(WinInetFetch, TheLinkStateOfAPlainDesktopLetsDownloadsGo) {
    const ProbeResult r = ProbeUrl("link", "-", Target());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "go");
}

TEST_F(WinInetFetch, FailuresBeforeTheFileLeaveItAsItWas) {
    server.Status("/missing", 404);
    server.Status("/partial-content", 206, "abc");
    for (const std::string& url :
         {Utf16ToUtf8(server.Url("/missing")), Utf16ToUtf8(server.Url("/partial-content")),
          Utf16ToUtf8(HttpTestServer::RefusedUrl("/x"))}) {
        WriteFileBytes(Target(), "keep me");
        EXPECT_EQ(ProbeUrl("file", url, Target()).output, "false") << url;
        EXPECT_EQ(ReadFileBytes(Target()), "keep me") << url;
    }
}

// An empty body, and a body cut short by a dropped connection: the read of
// zero bytes then does not end the body cleanly.
TEST_F(WinInetFetch, FailuresAfterTheFileDeleteIt) {
    server.Serve("/empty", "");
    server.Handle("/cut", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(1000, "application/octet-stream",
                                 [](size_t offset, size_t, httplib::DataSink& sink) {
                                     return offset == 0 && sink.write("0123456789", 10);
                                 });
    });
    for (const char* path : {"/empty", "/cut"}) {
        WriteFileBytes(Target(), "old");
        EXPECT_EQ(Probe("file", path, Target()).output, "false") << path;
        EXPECT_FALSE(fs::exists(Target())) << path;
    }
}

TEST_F(WinInetFetch, IntoMemoryEndsTheBufferWithAZero) {
    server.Serve("/update.xml", Bytes(1000));
    EXPECT_EQ(Probe("memory", "/update.xml", Target("update.xml")).output, "true 1000 0");
    EXPECT_EQ(fs::file_size(Target("update.xml")), 1000u);
}

TEST_F(WinInetFetch, ViaTempFileKeepsAnExistingNameAndLeavesTheTempFile) {
    server.Serve("/p.jpg", "new photo");
    EXPECT_EQ(Probe("temp", "/p.jpg", Target("p.jpg")).output, "true");
    EXPECT_EQ(ReadFileBytes(Target("p.jpg")), "new photo");
    EXPECT_FALSE(fs::exists(Target("p.jpg.tmp")));

    EXPECT_EQ(Probe("temp", "/p.jpg", Target("p.jpg")).output, "false");
    EXPECT_EQ(ReadFileBytes(Target("p.jpg.tmp")), "new photo");
}

// 10 bytes a second is below the slow-transfer limit: the waiter abandons
// the transfer between WinInet's blocking reads and deletes the target.
TEST_F(WinInetFetch, ASlowTransferIsAbandonedAndItsTargetDeleted) {
    server.Trickle("/slow", 10, 100'000);
    WriteFileBytes(Target(), "old");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Probe("file", "/slow", Target()).output, "false");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_FALSE(fs::exists(Target()));
}

// The Commons harvest's downloads: WinInet's agent names the saver, the
// status and Retry-After of a refusal come back, and addresses past 259
// characters go through.
TEST_F(WinInetFetch, WikimediaDownloadsNameTheSaverAndReportRetryAfter) {
    server.Handle("/busy", [](const httplib::Request&, httplib::Response& res) {
        res.status = 429;
        res.set_header("Retry-After", "7");
        res.set_content("slow down", "text/plain");
    });
    const std::string longPath = "/" + std::string(600, 'l') + ".jpg";
    server.Serve(longPath, "photo bytes");
    EXPECT_EQ(Probe("wikimedia", "/busy", Target()).output, "false 429 7");
    EXPECT_EQ(Probe("wikimedia", longPath, Target()).output, "true 200 -1");
    EXPECT_EQ(ReadFileBytes(Target()), "photo bytes");
    for (const auto& r : server.Requests()) {
        const std::string agent = r.get_header_value("User-Agent");
        EXPECT_TRUE(agent.starts_with("Skyreel/1.0 (") && agent.ends_with(") WinInet")) << agent;
    }
    // The saver's own services keep their 259-character limit.
    EXPECT_EQ(Probe("file", longPath, Target()).output, "false");
}

// WinInet checks certificates: a self-signed one is refused before any status.
TEST_F(WinInetFetch, HttpsWithAnUntrustedCertificateIsRefused) {
    SelfSignedTlsServer tls;
    ASSERT_TRUE(tls.running());
    ASSERT_EQ(std::system(("curl -skf -o /dev/null '" + tls.Url("/") + "'").c_str()), 0);
    EXPECT_EQ(ProbeUrl("wikimedia", tls.Url("/"), Target()).output, "false 0 -1");
    EXPECT_FALSE(fs::exists(Target()));
}

// WinInet's preconfigured access follows the system's proxy: the prefix's
// Internet Settings name a loopback proxy with no bypass list, and the
// request reaches the origin through it. The settings are taken back after.
TEST_F(WinInetFetch, RequestsGoThroughTheSystemsProxy) {
    const std::string key =
        "'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings'";
    auto reg = [&](const std::string& args) {
        return std::system(("WINEPREFIX='" + PrefixPath() + "' WINEDEBUG=-all wine reg " + args +
                            " >/dev/null 2>&1")
                               .c_str());
    };
    HttpTestServer proxy;
    proxy.ActAsProxy();
    server.Serve("/photo.jpg", "the photo");
    ASSERT_EQ(reg("add " + key + " /v ProxyEnable /t REG_DWORD /d 1 /f"), 0);
    ASSERT_EQ(reg("add " + key +
                  " /v ProxyServer /t REG_SZ /d 127.0.0.1:" + std::to_string(proxy.port()) + " /f"),
              0);
    reg("delete " + key + " /v ProxyOverride /f");
    const std::string said = Probe("file", "/photo.jpg", Target()).output;
    reg("add " + key + " /v ProxyEnable /t REG_DWORD /d 0 /f");
    reg("delete " + key + " /v ProxyServer /f");
    EXPECT_EQ(said, "true");
    EXPECT_EQ(ReadFileBytes(Target()), "the photo");
    const std::string url = Utf16ToUtf8(server.Url("/photo.jpg"));
    int forwarded = 0;
    for (const auto& r : proxy.Requests()) forwarded += r.target == url ? 1 : 0;
    EXPECT_EQ(forwarded, 1);
}

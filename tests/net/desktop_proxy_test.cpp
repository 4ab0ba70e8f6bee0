// The desktop's proxy: GNOME's settings in a GSettings keyfile, real forward
// proxies on loopback. GIO reads the environment once, so each row fetches
// in a fresh copy of this binary, which sets the desktop's environment itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "net/http_fetcher.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

TEST(DesktopProxy, EachRequestFollowsTheDesktopUnlessTheEnvironmentNamesAProxy) {
    if (const char* dir = std::getenv("SKYREEL_PROXY_DIR")) {  // the fetching child
        for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy",
                                 "NO_PROXY", "GIO_USE_PROXY_RESOLVER"})
            unsetenv(name);
        setenv("GSETTINGS_BACKEND", "keyfile", 1);
        setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
        setenv("XDG_CONFIG_HOME", dir, 1);
        FetchToFile(AsciiToUtf16(std::getenv("SKYREEL_PROXY_URL")), AsciiToUtf16(dir) + u"/out");
        return;
    }
    struct {
        const char* mode;  // org.gnome.system.proxy's mode
        bool deadProxy;    // the desktop names a port where nothing listens
        bool variable;     // http_proxy names the second proxy
        bool arrives;
        int viaDesktop, viaVariable;  // requests each proxy forwarded
    } const rows[] = {
        {"manual", false, false, true, 1, 0},
        {"none", false, false, true, 0, 0},
        {"manual", false, true, true, 0, 1},
        {"manual", true, false, false, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.mode << row.deadProxy << row.variable);
        HttpTestServer origin, desktop, variable;
        origin.Serve("/photo.jpg", "the photo");
        desktop.ActAsProxy();
        variable.ActAsProxy();
        TempDir dir;
        std::filesystem::create_directories(dir / "glib-2.0/settings");
        std::string port = row.deadProxy  // "http://127.0.0.1:<port>"
                               ? Utf16ToUtf8(HttpTestServer::RefusedUrl("")).substr(17)
                               : std::to_string(desktop.port());
        WriteFileBytes(dir / "glib-2.0/settings/keyfile",
                       std::string("[system/proxy]\nmode='") + row.mode +
                           "'\nignore-hosts=@as []\n[system/proxy/http]\nhost='127.0.0.1'\nport=" +
                           port + "\n");
        std::string url = Utf16ToUtf8(origin.Url("/photo.jpg"));
        std::string command =
            "env -u http_proxy SKYREEL_PROXY_DIR=" + dir.path().string() +
            " SKYREEL_PROXY_URL=" + url +
            (row.variable ? " http_proxy=" + Utf16ToUtf8(variable.BaseUrl()) : "") +
            " timeout 10 " + std::filesystem::read_symlink("/proc/self/exe").string() +
            " --gtest_filter='DesktopProxy.*' >/dev/null";
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(std::system(command.c_str()), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(ReadFileBytes(dir / "out"), row.arrives ? "the photo" : "");
        EXPECT_EQ(origin.RequestCount("/photo.jpg"), row.arrives ? 1 : 0);
        int viaDesktop = 0, viaVariable = 0;
        for (const auto& r : desktop.Requests()) viaDesktop += r.target == url ? 1 : 0;
        for (const auto& r : variable.Requests()) viaVariable += r.target == url ? 1 : 0;
        EXPECT_EQ(viaDesktop, row.viaDesktop);
        EXPECT_EQ(viaVariable, row.viaVariable);
    }
}

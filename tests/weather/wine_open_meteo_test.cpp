// The Open-Meteo provider of the Win32 build, through WinInet under Wine,
// against a real HTTP server on 127.0.0.1 started here: open_meteo_probe.exe
// runs the same weather refresh and place search as the Linux program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "support/wine_prefix.h"
#include "weather/open_meteo_replies.h"

namespace {
class WineOpenMeteo : public WinePrefixTest {
  protected:
    // The probe's output and exit code.
    std::pair<std::string, int> Probe(const std::string& arguments) {
        const std::string command = "WINEPREFIX='" + PrefixPath() +
                                    "' WINEDEBUG=-all wine '" SKYREEL_OPEN_METEO_PROBE "' " +
                                    arguments + " 2>/dev/null";
        std::string output;
        FILE* f = popen(command.c_str(), "r");
        if (!f) return {output, -1};
        char buf[512];
        while (fgets(buf, sizeof buf, f)) output += buf;
        const int status = pclose(f);
        std::string clean;
        for (char c : output)
            if (c != '\r') clean += c;
        return {clean, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }
    std::string Site() const { return Utf16ToUtf8(server.BaseUrl()); }
    std::string Folder() const { return "'Z:" + dir.path().string() + "'"; }

    TempDir dir;
    HttpTestServer server;
};

TEST_F(WineOpenMeteo, ForecastThroughWinInet) {
    server.Serve("/v1/forecast", open_meteo_replies::Forecast('F'), "application/json");
    const auto [output, code] = Probe("forecast " + Site() + " " + Folder());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output,
              "true\nF\n64\nPartly Cloudy\n10/3/26 12:30 PM Local Time\nOct 3\nPartly Cloudy\n"
              "Partly Cloudy\n");
    ASSERT_EQ(server.Requests().size(), 1u);
    const httplib::Request r = server.Requests()[0];
    EXPECT_EQ(r.get_param_value("temperature_unit"), "fahrenheit");
    const std::string agent = r.get_header_value("User-Agent");
    EXPECT_EQ(agent.rfind("Skyreel/", 0), 0u) << agent;
    EXPECT_NE(agent.find("WinInet"), std::string::npos) << agent;
    EXPECT_EQ(ReadFileBytes(dir.path() / "open-meteo.json"), open_meteo_replies::Forecast('F'));
}

TEST_F(WineOpenMeteo, PlaceSearchThroughWinInet) {
    server.Handle("/v1/search", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_param_value("name") == "Enschede" ? open_meteo_replies::kPlaces
                                                                  : open_meteo_replies::kNoPlaces,
                        "application/json");
    });
    auto [output, code] = Probe("search " + Site() + " " + Folder() + " Enschede");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output,
              "places\nEnschede, Overijssel, The Netherlands|52.2183,6.8958\n"
              "Enschede Airport Twente, Overijssel, The Netherlands|52.2700,6.8742\n");
    std::tie(output, code) = Probe("search " + Site() + " " + Folder() + " nowhere");
    EXPECT_EQ(output, "none\n");
}
}  // namespace

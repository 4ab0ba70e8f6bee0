// Photo downloads wait on a metered link and on battery power and come back
// within a minute once they may: the real harvest thread against a loopback
// photo site, the link state from a private system bus
// (link_state_bus.py: dbus-daemon with python3-dbusmock's NetworkManager
// and UPower).
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <optional>

#include "base/event_log.h"
#include "harvest_fixture.h"
#include "settings/settings.h"

namespace {
// The helper, its services and its bus, for as long as the object lives.
struct PrivateSystemBus {
    PrivateSystemBus(const std::string& metered, const std::string& battery)
        : out(popen(("exec /usr/bin/python3 " SKYREEL_LINK_STATE_BUS " " + metered + " " + battery)
                        .c_str(),
                    "r")) {
        char text[512] = {};
        if (out && std::fscanf(out, "%d %511s", &pid, text) == 2) address = text;
    }
    ~PrivateSystemBus() {
        if (pid > 0) kill(pid, SIGTERM);
        if (out) pclose(out);
    }
    // UPower goes on mains; back once the helper says so.
    bool ToMains() const {
        char said[16] = {};
        return kill(pid, SIGUSR1) == 0 && std::fscanf(out, "%15s", said) == 1 &&
               std::string(said) == "mains";
    }
    FILE* out;
    pid_t pid = -1;
    std::string address;
};

struct Row {
    const char* name;
    const char* metered;  // NetworkManager's Metered, "-" for none; null: no bus at all
    const char* battery;  // UPower's OnBattery, "-" for none, "silent" never answers
    bool anyway;          // download_anyway=1
    const char* held;     // why the pass is skipped; null when photos are downloaded
};

class LinkStateTest : public HarvestTest {
  protected:
    int Asked(const std::string& path) const {
        int n = 0;
        for (const auto& r : server.Requests()) n += r.path == path;
        return n;
    }
    void TearDown() override {
        WaitBackgroundThreads(10'000);
        EventLogEnabled = false;
        Settings = SettingsRecord{};
        HarvestTest::TearDown();
    }
};

TEST_F(LinkStateTest, DownloadsWaitOnMeteredLinksAndBatteryAndComeBackWithinAMinute) {
    constexpr char kGallery[] = "/search/photo.search";
    constexpr char kUpdate[] = "/screensavers/update.php";
    constexpr uint32_t kStart = 1'000'000;
    const Row rows[] = {
        {"metered", "1", "0", false, "the connection is metered"},
        {"guess-yes", "3", "0", false, "the connection is metered"},
        {"unmetered", "2", "0", false, nullptr},
        {"on battery, then back on mains", "4", "1", false, "on battery power"},
        {"no NetworkManager, no UPower", "-", "-", false, nullptr},
        {"a UPower that never answers", "2", "silent", false, nullptr},
        {"metered on battery, downloads anyway", "1", "1", true, nullptr},
        {"no system bus", nullptr, nullptr, false, nullptr},
    };
    server.Serve(kGallery, Page({"x/1.jpg"}), "text/html");
    server.Serve(kUpdate, "1.0", "text/plain");
    EventLogEnabled = true;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<PrivateSystemBus> bus;
        std::string address = "unix:path=" + (folder.path() / "no-bus").string();
        if (row.metered) {
            bus.emplace(row.metered, row.battery);
            ASSERT_FALSE(bus->address.empty());
            address = bus->address;
        }
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
        Settings.download_anyway = row.anyway ? 1 : 0;
        ResetHarvestBackoff();
        const int pages = Asked(kGallery), updates = Asked(kUpdate);

        SetManualTickCount(kStart);
        testing::internal::CaptureStderr();
        const auto began = std::chrono::steady_clock::now();
        StartHarvest();
        ASSERT_TRUE(WaitUntilIdle());
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_LT(MillisSince(began), 3000);     // a silent service costs one short time-out
        EXPECT_EQ(Asked(kUpdate), updates + 1);  // the update query runs whatever holds
        EXPECT_EQ(Asked(kGallery), pages + (row.held ? 0 : 1));
        EXPECT_EQ(log.find("harvest: skipped"),
                  row.held ? log.find("harvest: skipped, ") : std::string::npos);
        if (!row.held) continue;
        EXPECT_NE(log.find(std::string("harvest: skipped, ") + row.held), std::string::npos);

        // Tried again within a minute, and only then.
        const bool mains = std::string_view(row.battery) == "1";
        if (mains) {
            ASSERT_TRUE(bus->ToMains());
        }
        EXPECT_TRUE(RefreshDue());
        SetManualTickCount(kStart + (kHeldPassRetrySeconds - 1) * 1000);
        StartHarvest();
        EXPECT_FALSE(HarvestRunning());
        SetManualTickCount(kStart + kHeldPassRetrySeconds * 1000);
        StartHarvest();
        ASSERT_TRUE(WaitUntilIdle());
        EXPECT_EQ(Asked(kGallery), pages + (mains ? 1 : 0));
        EXPECT_EQ(Asked(kUpdate), updates + 1);  // asked by the held pass already
    }
}
}  // namespace

// Photo downloads wait on a metered link and on battery power and come back
// within a minute once they may: the real harvest thread against a loopback
// photo site, the link state from a private system bus
// (link_state_bus.py: dbus-daemon with python3-dbusmock's NetworkManager
// and UPower).
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "base/event_log.h"
#include "harvest_fixture.h"
#include "settings/settings.h"

extern char** environ;

namespace {
// The helper, its services and its bus, for as long as the object lives.
class PrivateSystemBus {
  public:
    PrivateSystemBus(const char* metered, const char* battery) {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::string helper = SKYREEL_LINK_STATE_BUS;
        char* argv[] = {const_cast<char*>("/usr/bin/python3"), helper.data(),
                        const_cast<char*>(metered), const_cast<char*>(battery), nullptr};
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        FILE* out = fdopen(fds[0], "r");
        char line[512] = {};
        if (out && fgets(line, sizeof line, out)) address.assign(line, strcspn(line, "\n"));
        if (out) fclose(out);
    }
    ~PrivateSystemBus() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    void SetOnBattery(bool on) const {
        const auto flags =
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(address.c_str(), flags,
                                                                      nullptr, nullptr, nullptr);
        ASSERT_NE(bus, nullptr);
        GVariant* reply =
            g_dbus_connection_call_sync(bus, "org.freedesktop.UPower", "/org/freedesktop/UPower",
                                        "org.freedesktop.DBus.Properties", "Set",
                                        g_variant_new("(ssv)", "org.freedesktop.UPower",
                                                      "OnBattery", g_variant_new_boolean(on)),
                                        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        EXPECT_NE(reply, nullptr);
        if (reply) g_variant_unref(reply);
        g_object_unref(bus);
    }
    std::string address;

  private:
    pid_t pid_ = -1;
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
    bool WaitUntilIdle() {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (HarvestRunning() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !HarvestRunning();
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
        if (mains) bus->SetOnBattery(false);
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

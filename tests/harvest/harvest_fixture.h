// Shared set-up of the harvest tests: a temporary data folder, a loopback
// photo site standing in for every service, an empty photo list, and a
// short pause step so that passes over many links stay quick.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/process_state.h"
#include "base/text.h"
#include "harvest/gallery_refresh.h"
#include "harvest/photo_harvest.h"
#include "net/endpoints.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

class HarvestTest : public ::testing::Test {
  protected:
    static constexpr char kPhotoRoute[] = "/aviation-photos/photos/.*";
    static constexpr char kPhotoPath[] = "/aviation-photos/photos/";

    void SetUp() override {
        // No system bus: the machine's own power and link state never hold a pass.
        setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/skyreel-test-bus", 1);
        ASSERT_TRUE(SetSiteOverride(server.BaseUrl()));
        ScanCache();
        BeginPass();
        ResetHarvestBackoff();
        SetHarvestPauseStepMillis(1);
        // Every photo's bytes name its path, so a test can tell them apart;
        // photos under "gone/" are missing on the server.
        server.Handle(kPhotoRoute, [](const httplib::Request& req, httplib::Response& res) {
            if (req.path.find("/gone/") != std::string::npos)
                res.status = 404;
            else
                res.set_content("JPEG " + req.path, "image/jpeg");
        });
    }
    void TearDown() override {
        StopRequested = false;
        SetHarvestPauseStepMillis(kHarvestPauseStepMillis);
        ResetClocks();
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }

    // A gallery page with one thumbnail link per tail.
    static std::string Page(const std::vector<std::string>& tails) {
        std::string page = "<html><body><table>\n";
        for (const auto& tail : tails)
            page += "<td><a href=\"/photo/1\"><img src=\"" + ThumbnailPrefix() + tail +
                    "\" border=0></a></td>\n";
        return page + "</table></body></html>\n";
    }
    int PhotoRequests() const {
        int n = 0;
        for (const auto& r : server.Requests())
            if (r.path.starts_with(kPhotoPath)) ++n;
        return n;
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Waits (real time, bounded) for the harvest thread to end; false on time-out.
    static bool WaitUntilIdle() {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (HarvestRunning() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return !HarvestRunning();
    }
    static long MillisSince(std::chrono::steady_clock::time_point t) {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - t)
                                     .count());
    }

    TempDataFolder folder;
    HttpTestServer server;
};

// The Commons source's figures, each beside a baseline of the same run:
//  - parsing a 50-entry listing with full extmetadata, per listing, against
//    a plain loop over the same bytes;
//  - listings of 1, 4 and 16 MB: parser and byte loop in ms per MB, which
//    stays flat for a linear parser;
//  - time from the saver's start to its first Commons photo on screen with
//    an empty cache, against a loopback server (Xvfb, 1920 x 1080), split
//    into listing, download, decode and upload, and first frame; the
//    baseline is the bare listing call and photo download of the same
//    server, so a ratio near 1 means the photo shows right after its own
//    download, not after the pass.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/process_state.h"
#include "base/text.h"
#include "harvest/commons_listing.h"
#include "harvest/commons_reply.h"
#include "harvest/gallery_refresh.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "photos/photo_list.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "slideshow/slideshow.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xvfb.h"

namespace {
using Clock = std::chrono::steady_clock;
using namespace commons_reply;
constexpr int kRuns = 5;

double Millis(const std::function<void()>& f) {
    auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Best(const std::function<void()>& f, int runs = kRuns) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) best = std::min(best, Millis(f));
    return best;
}

std::string Listing(std::size_t entries) {
    std::vector<json> pages;
    for (std::size_t i = 1; i <= entries; ++i) {
        json page = GoodPage(static_cast<int64_t>(i));
        MetaOf(page)["Attribution"] = Meta(
            "Photo by <a href=\"//commons.wikimedia.org/wiki/"
            "User:PtrQs\">PtrQs</a>");
        MetaOf(page)["UsageTerms"] = Meta("Creative Commons Attribution-Share Alike 4.0");
        MetaOf(page)["Categories"] = Meta("Aircraft|Featured pictures of aircraft|Airliners");
        pages.push_back(page);
    }
    return Reply(pages, true,
                 json{{"gcmcontinue", "file|4142|123"}, {"continue", "gcmcontinue||"}});
}

uint64_t g_checksum = 0;

void ByteLoop(const std::string& bytes) {
    uint64_t s = 0;
    for (char b : bytes) s += static_cast<unsigned char>(b);
    g_checksum += s;
}

void ParseFigures() {
    const std::string fifty = Listing(50);
    const double parse = Best([&] { g_checksum += ParseCommonsListing(fifty).photos.size(); }, 50);
    const double loop = Best([&] { ByteLoop(fifty); }, 50);
    std::printf("50-entry listing (%zu KB): parse %.3f ms, byte loop %.4f ms, ratio %.0fx\n",
                fifty.size() >> 10, parse, loop, parse / loop);
    const std::string unit = Listing(50);
    for (std::size_t mb : {1u, 4u, 16u}) {
        const std::string big = Listing(50 * ((mb << 20) / unit.size() + 1));
        const double size = static_cast<double>(big.size()) / (1 << 20);
        const double p =
            Best([&] { g_checksum += ParseCommonsListing(big).photos.size(); }, 3) / size;
        const double l = Best([&] { ByteLoop(big); }, 3) / size;
        std::printf("listing %5.1f MB: parse %8.3f ms/MB, byte loop %6.3f ms/MB, ratio %.0fx\n",
                    size, p, l, p / l);
    }
}

// One run of the saver from an empty cache to its first photo on screen.
struct FirstPhoto {
    double window = 0, listing = 0, download = 0, decode = 0, frame = 0, bare = 0;
};

FirstPhoto FirstPhotoRun(const std::string& jpeg) {
    FirstPhoto f;
    TempDataFolder dir;
    HttpTestServer server;
    std::atomic<int64_t> mediaArrived{0};
    const std::string listing = Reply({GoodPage(1), GoodPage(2)}, true);
    server.Serve("/w/api.php", listing, "application/json");
    server.Handle(
        "/wikipedia/commons/thumb/.*", [&](const httplib::Request&, httplib::Response& res) {
            int64_t zero = 0;
            mediaArrived.compare_exchange_strong(zero, Clock::now().time_since_epoch().count());
            res.set_content(jpeg, "image/jpeg");
        });
    SetSiteOverride(server.BaseUrl());
    const auto start = Clock::now();
    if (!CreateSaverWindow(HostOptions{})) return f;
    const auto shown = Clock::now();
    UpdateSlideshow();  // Start: no photo yet, so the harvest starts
    // Watched closely rather than frame by frame, so the download's end is
    // seen within a millisecond.
    while (PhotoCount() == 0 && Clock::now() - start < std::chrono::seconds(30))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto stored = Clock::now();
    f.decode = Millis([] { UpdateSlideshow(); });  // NoPhotos: decode and upload
    f.frame = Millis([] {
        if (DrawFrame()) PresentFrame();
    });
    const auto media = Clock::time_point(Clock::duration(mediaArrived.load()));
    f.window = std::chrono::duration<double, std::milli>(shown - start).count();
    f.listing = std::chrono::duration<double, std::milli>(media - shown).count();
    f.download = std::chrono::duration<double, std::milli>(stored - media).count();
    StopRequested = true;
    WaitBackgroundThreads(10'000);
    StopRequested = false;
    NewPhotosFlag = false;
    DestroySaverWindow();

    std::string body;
    const std::u16string url = CommonsListingUrl(CommonsGalleryTable[4].path, "", 1920, {});
    f.bare = Millis([&] {
        FetchIntoMemory(url, FromPath(dir / "bare.json").value(), body,
                        FetchOptions{ServiceBodyLimit(Service::CommonsApi), UserAgent::Descriptive,
                                     kLongUrlLimit},
                        nullptr);
        FetchToFile(server.Url("/wikipedia/commons/thumb/2/25/Plane_2.jpg/1920px-Plane_2.jpg"),
                    FromPath(dir / "bare.jpg").value());
    });
    return f;
}

void FirstPhotoFigures() {
    XvfbServer display(1920, 1080);
    if (!display.running()) {
        std::printf("first photo: Xvfb did not start\n");
        return;
    }
    TempDir photoDir;
    WriteTestJpeg(photoDir / "p.jpg", 1920, 1280, {60, 120, 200}, {200, 180, 90}, true);
    const std::string jpeg = ReadFileBytes(photoDir / "p.jpg");
    ChosenPhotoSource = PhotoSource::Commons;
    Settings.dloption = 4;
    Settings.show_weather = 0;
    RunMode = Saver;
    std::printf(
        "first Commons photo on screen, ms: window | update query + listing, download |"
        " decode+upload, first frame | total || bare listing + download, ratio\n");
    for (int run = 0; run < 3; ++run) {
        FirstPhoto f = FirstPhotoRun(jpeg);
        const double network = f.listing + f.download;
        std::printf("  run %d: %6.1f | %6.1f %6.1f | %6.1f %6.1f | %7.1f || %6.1f, %.2fx\n",
                    run + 1, f.window, f.listing, f.download, f.decode, f.frame,
                    f.window + network + f.decode + f.frame, f.bare, network / f.bare);
    }
}
}  // namespace

int main() {
    DataFolder.Assign(u"/nonexistent/skyreel-bench");
    ParseFigures();
    FirstPhotoFigures();
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(g_checksum));
    return 0;
}

// Figures of a folder of the user's own with 10,000 photos in 100
// subfolders, each beside a plain std::filesystem::recursive_directory_iterator
// walk over the same folder in the same run (warm file system cache, three
// runs, medians):
//  - time to the first photo on screen: from the scan that starts the show
//    to the first presented frame that draws a photo (its intro fade then
//    runs), in the real saver window on Xvfb, against the plain walk of the
//    whole folder, which a scan-then-show design would wait for first, and
//    against the same start over a folder of two photos (the cost of the
//    show itself: decoding and uploading the first two slides);
//  - the longest main-loop turn in the 1.5 s after the first photo (the
//    intro fade, every frame drawn) with the large folder listed, against
//    the same over two photos; it also says whether the walk was still
//    going at the first photo;
//  - the walk's photos per second (with the walk thread's appends to the
//    photo list) against the plain walk's files per second.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "net/endpoints.h"
#include "photos/photo_folder.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "settings/settings.h"
#include "slideshow/slideshow.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xvfb.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;
constexpr int kPhotos = 10000;
constexpr int kRuns = 3;

double MillisSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The plain walk: every regular file named like a photo.
double PlainWalkMillis(const fs::path& root, int& files) {
    const auto t = Clock::now();
    files = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".jpg" || ext == ".JPG")) ++files;
    }
    return MillisSince(t);
}

void WaitForWalks() {
    while (FolderWalkRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// The main loop's turn, as the host runs it.
bool Turn() {
    while (PumpSaverWindow()) {
    }
    UpdateSlideshow();
    const bool drawn = DrawFrame() != 0;
    if (drawn) PresentFrame();
    return drawn;
}

// From the scan to the first presented frame of a photo.
double FirstPhotoMillis() {
    const auto t = Clock::now();
    ReleaseSlotTextures();
    ScanCache();
    for (;;) {
        const bool drawn = Turn();
        if (drawn && (SlideState == OnePhoto || SlideState == Showing)) break;
    }
    return MillisSince(t);
}

// The longest turn of the main loop over the next `millis`: a stall shows
// here. Runs right after the first photo, while the intro fade draws every
// frame and a large folder's walk still feeds the list.
double LongestTurnMillis(double millis) {
    const auto start = Clock::now();
    double longest = 0;
    for (auto t = Clock::now(); MillisSince(start) < millis;) {
        Turn();
        longest = std::max(longest, MillisSince(t));
        t = Clock::now();
    }
    return longest;
}

// The walk thread's whole run into the list: photos per second. The list
// of the run before is freed first, outside the time.
double WalkPhotosPerSecond() {
    {
        std::lock_guard<std::mutex> lock(PhotoListLock);
        FreePhotoList(PhotoList);
        PhotoList = nullptr;
    }
    const auto t = Clock::now();
    ScanCache();
    WaitForWalks();
    return PhotoCount() / (MillisSince(t) / 1000.0);
}
}  // namespace

int main() {
    XvfbServer server(kScreenWidth, kScreenHeight);
    if (!server.running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    TempDataFolder data;
    TempDir user, small;
    WriteTestJpeg(small / "a.jpg", 160, 120, {200, 40, 160}, {40, 90, 200});
    const std::string jpeg = ReadFileBytes(small / "a.jpg");
    WriteFileBytes(small / "b.jpg", jpeg);
    for (int i = 0; i < kPhotos; ++i) {
        const fs::path folder = user / ("roll" + std::to_string(i % 100));
        fs::create_directories(folder);
        WriteFileBytes(folder / ("IMG_" + std::to_string(i) + ".JPG"), jpeg);
    }
    // Background work finds nothing to do and nowhere to go.
    SetSiteOverride(u"http://127.0.0.1:9");
    Settings.show_weather = 0;
    Settings.show_newver = 0;
    RunMode = Saver;
    UsePhotoFolder(FromPath(user.path()).value());
    if (!CreateSaverWindow(HostOptions{})) {
        std::fprintf(stderr, "no saver window\n");
        return 1;
    }
    WaitForWalks();

    std::vector<double> first, firstSmall, plain, walkRate, plainRate, turn, turnSmall;
    int walking = 0;
    int files = 0;
    for (int run = 0; run < kRuns; ++run) {
        const double plainMillis = PlainWalkMillis(user.path(), files);
        plain.push_back(plainMillis);
        plainRate.push_back(files / (plainMillis / 1000.0));
        UsePhotoFolder(FromPath(small.path()).value());
        firstSmall.push_back(FirstPhotoMillis());
        turnSmall.push_back(LongestTurnMillis(1500));
        WaitForWalks();
        UsePhotoFolder(FromPath(user.path()).value());
        first.push_back(FirstPhotoMillis());
        walking += FolderWalkRunning() ? 1 : 0;
        turn.push_back(LongestTurnMillis(1500));
        WaitForWalks();
        walkRate.push_back(WalkPhotosPerSecond());
    }
    std::printf("folder of %d photos in 100 subfolders, %d files seen by the plain walk\n",
                PhotoCount(), files);
    std::printf(
        "time to the first photo on screen %8.1f ms   vs plain walk of the folder %6.1f ms"
        "  ratio %5.2f\n",
        Median(first), Median(plain), Median(first) / Median(plain));
    std::printf(
        "time to the first photo on screen %8.1f ms   vs a folder of two photos   %6.1f ms"
        "  ratio %5.2f\n",
        Median(first), Median(firstSmall), Median(first) / Median(firstSmall));
    std::printf(
        "longest turn after the first photo %7.1f ms   vs a folder of two photos   %6.1f ms"
        "  ratio %5.2f  (walk still running at the first photo in %d of %d runs)\n",
        Median(turn), Median(turnSmall), Median(turn) / Median(turnSmall), walking, kRuns);
    std::printf(
        "walk into the photo list %10.0f photos/s   vs plain walk %10.0f files/s"
        "  ratio %5.2f\n",
        Median(walkRate), Median(plainRate), Median(walkRate) / Median(plainRate));
    StopRequested = true;
    WaitBackgroundThreads(2000);
    DestroySaverWindow();
    return 0;
}

// Start-up, main loop and shutdown, in every run mode.
//
// The main loop handles one window or dialog event per turn. When none is
// waiting it sleeps 10 ms (setup mode) or takes one SaverTurn (saver and
// preview modes): a slideshow step and a frame, or a wait while the
// display is off. The quit request
// (window input, dialog buttons, SIGINT/SIGTERM) ends it.
#include "host/host_main.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "harvest/photo_source_commons.h"
#include "host/command_line.h"
#include "host/display_power.h"
#include "host/reduced_motion.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "net/endpoints.h"
#include "photos/photo_folder.h"
#include "settings/gallery_table.h"
#include "settings/settings.h"
#include "setup/setup_dialog.h"
#include "slideshow/photo_framing.h"
#include "slideshow/slideshow.h"
#include "weather/weather_feed.h"

namespace {
// Background threads stop within about 100 ms of StopRequested; this bound
// only matters when a thread is stuck in a system call.
constexpr int kShutdownWaitMillis = 2000;

extern "C" void OnQuitSignal(int signal) {
    PostQuit(0, signal == SIGTERM ? "signal SIGTERM" : "signal SIGINT");
}

void MakeDataFolder() {
    std::u16string folder;
    if (auto pictures = PicturesFolder()) folder = *pictures;
    DataFolder.Assign(folder);
    DataFolder.Append(SaverApp.DataSubfolder);
    // An existing folder does no harm; a failure shows at the first write.
    CreateFolderTree(DataFolder.view());
}

// --folder as an absolute path; empty when it cannot be one of the saver's
// paths, or names the data folder or a folder inside it (where the saver
// deletes and renames).
std::u16string ChosenFolderOption(const std::u16string& folder) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(ToPath(folder), ec);
    std::optional<std::u16string> text = FromPath(absolute);
    if (ec || !text || text->size() > PathText::kCapacity || LiesInDataFolder(*text)) return {};
    return *text;
}

// The user's own photos: --folder for this run, else the stored folder
// unless it lies in the data folder.
void ChoosePhotoFolder(const std::u16string& option) {
    std::u16string folder = option;
    if (folder.empty()) {
        std::lock_guard<std::mutex> lock(SettingsLock);
        folder = Settings.photo_folder.str();
    }
    if (folder.empty() || LiesInDataFolder(folder)) return;
    UsePhotoFolder(folder);
    LogEvent("photos from the folder " + Utf16ToUtf8(folder));
}

// --site, --photos, --weather and --slide-ms; false (with the message
// printed) when they do not go together.
bool ApplyServiceOptions(const HostOptions& options) {
    if (!options.site.empty() && !SetSiteOverride(options.site)) {
        std::fprintf(stderr, "skyreel: --site needs http://host[:port] or https://host[:port]\n");
        return false;
    }
    // The photo site has no public server: without --site it would only
    // ask a made-up host.
    if (options.photos == "site" && options.site.empty()) {
        std::fprintf(stderr, "skyreel: --photos site needs --site URL\n");
        return false;
    }
    const bool commons =
        options.photos.empty() ? options.site.empty() : options.photos == "commons";
    ChosenPhotoSource = commons ? PhotoSource::Commons : PhotoSource::Site;
    if (options.weather == "site" && options.site.empty()) {
        std::fprintf(stderr, "skyreel: --weather site needs --site URL\n");
        return false;
    }
    const bool openMeteo =
        options.weather.empty() ? options.site.empty() : options.weather == "open-meteo";
    ChosenWeatherProvider = openMeteo ? WeatherProvider::OpenMeteo : WeatherProvider::Site;
    if (options.slideMillis > 0) SaverApp.SlideMillis = options.slideMillis;
    return true;
}

// How photos are framed: the switches of this run, else the stored ones;
// motion only while the desktop does not ask for stillness.
void ChooseSlideshowLook(const HostOptions& options) {
    SlideshowLook look;
    {
        std::lock_guard<std::mutex> lock(SettingsLock);
        look.blurEdges = options.blurEdges || Settings.blur_edges != 0;
        look.gentleMotion = options.gentleMotion || Settings.gentle_motion != 0;
    }
    if (look.gentleMotion && DesktopWantsReducedMotion()) {
        look.gentleMotion = false;
        LogEvent("gentle motion off: the desktop asks for reduced motion");
    }
    SetSlideshowLook(look);
}

void RunSetupLoop() {
    while (!QuitPosted()) {
        if (!PumpSetupDialog()) SleepMillis(10);
    }
}

void RunSaverLoop() {
    while (!QuitPosted()) {
        if (PumpSaverWindow()) continue;
        SaverTurn();
    }
}
}  // namespace

int SaverMain(const std::vector<std::string>& args) {
    HostOptions options = ParseHostOptions(args);
    if (!options.error.empty()) {
        std::fprintf(stderr, "skyreel: %s\n", options.error.c_str());
        std::fputs(UsageText().c_str(), stderr);
        return 1;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s %s\n", Utf16ToUtf8(SaverApp.AppId).c_str(),
                    Utf16ToUtf8(SaverApp.Version).c_str());
        return 0;
    }
    if (!ApplyServiceOptions(options)) return 1;
    EventLogEnabled = options.verbose;
    LogStartMoment(StartMoment::Process);

    RunMode = options.mode.runMode;
    ParentWindow = options.mode.parentWindow;
    // Drawing into a foreign window behaves like a preview: input does not end it.
    if (RunMode == Saver && (options.hasWindowId || options.root)) RunMode = Preview;

    std::signal(SIGINT, OnQuitSignal);
    std::signal(SIGTERM, OnQuitSignal);

    MakeDataFolder();
    std::u16string folder;
    if (!options.folder.empty()) {
        folder = ChosenFolderOption(options.folder);
        if (folder.empty()) {
            std::fprintf(stderr,
                         "skyreel: --folder DIR must lie outside the saver's data folder %s "
                         "and have a path of at most 259 characters\n",
                         Utf16ToUtf8(DataFolder.view()).c_str());
            return 1;
        }
    }
    if (options.credits) {
        std::fputs(PhotoCreditLines().c_str(), stdout);
        return 0;
    }
    LoadSettings();

    if (RunMode == Setup) {
        // Without a dialog the loop still runs until a signal ends it.
        LogEvent("setup mode started");
        CreateSetupDialog(ParentWindow);
        RunSetupLoop();
        LogEvent(std::string("setup mode ended: ") + QuitReason());
        // A location search may still be downloading; it gives up at the stop.
        StopRequested = true;
        WaitBackgroundThreads(kShutdownWaitMillis);
        return QuitExitCode();
    }

    ChoosePhotoFolder(folder);
    ChooseSlideshowLook(options);
    const char* modeName = RunMode == Preview ? "preview mode" : "saver mode";
    LogEvent(std::string(modeName) + " started, data folder " + Utf16ToUtf8(DataFolder.view()));
    if (!CreateSaverWindow(options)) {
        LogEvent(std::string(modeName) + " ended: no window could be made");
        // The folder walk and the weather check may have started already.
        StopRequested = true;
        WaitBackgroundThreads(kShutdownWaitMillis);
        DestroySaverWindow();
        return 0;
    }
    RunSaverLoop();
    LogEvent(std::string(modeName) + " ended: " + QuitReason());
    StopRequested = true;
    // Workers end within about 100 ms of the stop; wait so that none touches
    // the photo list after the window released it.
    WaitBackgroundThreads(kShutdownWaitMillis);
    DestroySaverWindow();
    return QuitExitCode();
}

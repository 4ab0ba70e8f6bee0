// The saver beside XScreenSaver's glslideshow, both run as real programs
// drawing on the root window of one Xvfb (1920 x 1080) from one folder of
// twelve photo-like JPEGs (four each of 4000x3000, 1600x1067, 1024x683),
// one after the other in each round, each with a throw-away HOME:
//  - first photo on screen: from just before the fork to the first poll of
//    thin stripes of the root window (every 5 ms) that shows photo pixels;
//    both fade in from black, so this is an early frame of the fade. Fully
//    shown: the last change before the stripes held still for 200 ms;
//  - the timelines: the saver's --verbose "start:" lines by their own
//    wall-clock stamps; for glslideshow, which says nothing unless -debug
//    (which also draws frames around the image), its helper processes as
//    the same polls see them come and go;
//  - peak resident memory (VmHWM) of the process itself just before it is
//    stopped. glslideshow decodes in a helper process of its own
//    (xscreensaver-getimage), not counted there: the helper's peak on a
//    12 MP photo is measured once on its own;
//  - CPU of the process over 20 s on a still slide, 2 s after it was fully
//    shown;
//  - with --soak: the saver's peak after 500 slide changes at the shortest
//    slide time with blurred edges, glslideshow's at its shortest duration
//    over the same wall time.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/png_writer.h"
#include "support/saver_process.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xvfb.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Wall = std::chrono::system_clock;
using Moments = std::vector<std::pair<std::string, double>>;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPollMillis = 5;
constexpr int kStillMillis = 200;
constexpr unsigned long kPhotoBits = 0xF0F0F0;  // a channel of 16 or more: no longer black
constexpr int kStartTimeoutMillis = 60000;
constexpr int kCpuDelayMillis = 2000;
constexpr int kCpuWindowMillis = 20000;  // 2,000 ticks of 10 ms: 0.05 % resolution
constexpr int kSoakChanges = 500;
// The saver logs the interlude's turn ("interlude skipped: ...") at every
// 20th change; a restart of the show could only make the count lower.
constexpr int kChangesPerInterludeLine = 20;
constexpr int kSoakTimeoutMillis = 60 * 60 * 1000;

struct Options {
    std::string saver;
    fs::path peer = "/usr/libexec/xscreensaver/glslideshow";
    int rounds = 3;
    bool soak = false;
    fs::path shots;
    std::string display;
};

enum class Program { Saver, Peer };

const char* Name(Program p) {
    return p == Program::Saver ? "saver" : "glslideshow";
}

double MillisSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void SleepMillis(double millis) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(millis));
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A program under way, and when it was launched: just before the fork.
struct Launched {
    Clock::time_point at;
    Wall::time_point wallAt;
    fs::path log;
    std::unique_ptr<SaverProcess> process;
};

std::vector<std::string> ReadLines(const fs::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string ReadProc(pid_t pid, const std::string& name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The processes under a program (its children, theirs, ...), labelled in
// the order they appeared ("2.1": the first child of its second child),
// with their command lines and when the polls first and last saw them.
struct Helper {
    std::string label, command;
    double first = 0, last = 0;
};
struct Helpers {
    std::map<pid_t, Helper> byPid;
    std::map<std::string, int> children;  // by the parent's label
};

void NoteHelpers(Helpers& helpers, pid_t parent, const std::string& parentLabel, double t) {
    std::istringstream children(ReadProc(parent, "task/" + std::to_string(parent) + "/children"));
    for (pid_t pid = 0; children >> pid;) {
        auto [it, fresh] = helpers.byPid.try_emplace(pid);
        Helper& h = it->second;
        if (fresh) {
            h.label = (parentLabel.empty() ? "" : parentLabel + ".") +
                      std::to_string(++helpers.children[parentLabel]);
            h.first = t;
        }
        h.last = t;
        std::string command = ReadProc(pid, "cmdline");
        std::replace(command.begin(), command.end(), '\0', ' ');
        if (!command.empty()) h.command = command;
        NoteHelpers(helpers, pid, h.label, t);
    }
}

long StatusKib(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(key)) return std::stol(line.substr(std::strlen(key)));
    return 0;
}

// utime + stime of /proc/PID/stat, fields 14 and 15, counted after the
// command's name (which may hold spaces).
double CpuSeconds(pid_t pid) {
    const std::string stat = ReadProc(pid, "stat");
    const size_t close = stat.rfind(')');
    unsigned long utime = 0, stime = 0;
    if (close == std::string::npos ||
        std::sscanf(stat.c_str() + close + 1,
                    " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2)
        return 0;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The bench's own connection: clears the root window to black before each
// run and reads stripes of it (the middle column, and the rows at a
// quarter, half and three quarters of the height).
class RootScreen {
  public:
    RootScreen() : display_(XOpenDisplay(nullptr)) {}
    ~RootScreen() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    RootScreen(const RootScreen&) = delete;
    RootScreen& operator=(const RootScreen&) = delete;
    bool open() const { return display_ != nullptr; }

    void ClearToBlack() {
        const Window root = DefaultRootWindow(display_);
        XSetWindowBackground(display_, root, BlackPixel(display_, DefaultScreen(display_)));
        XClearWindow(display_, root);
        XSync(display_, False);
    }

    std::vector<unsigned long> Stripes() {
        std::vector<unsigned long> pixels;
        for (int y : {kHeight / 4, kHeight / 2, kHeight * 3 / 4}) Read(0, y, kWidth, 1, pixels);
        Read(kWidth / 2, 0, 1, kHeight, pixels);
        return pixels;
    }

    void SavePng(const fs::path& file) {
        std::vector<unsigned long> pixels;
        Read(0, 0, kWidth, kHeight, pixels);
        std::vector<uint32_t> argb;
        for (unsigned long p : pixels) argb.push_back(0xFF000000u | (p & 0xFFFFFFu));
        WriteFileBytes(file, EncodePng(argb.data(), kWidth, kHeight));
    }

  private:
    void Read(int x, int y, int w, int h, std::vector<unsigned long>& out) {
        XImage* image =
            XGetImage(display_, DefaultRootWindow(display_), x, y, w, h, AllPlanes, ZPixmap);
        if (image == nullptr) return;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) out.push_back(XGetPixel(image, i, j));
        XDestroyImage(image);
    }

    Display* display_;
};

bool PhotoPixel(unsigned long p) {
    return (p & kPhotoBits) != 0;
}

struct Start {
    double firstPhoto = -1;
    double fullyShown = -1;
    // Of the middle row, once shown: 1440 is a 4:3 photo (the 12 MP ones),
    // 1620 a 3:2 one (the others).
    int photoWidth = 0;
    Helpers helpers;
};

// Polls the root window and the helper processes from the launch until the
// photo has held still.
Start WatchStart(RootScreen& screen, Launched& program) {
    Start s;
    std::vector<unsigned long> last;
    double lastChange = 0;
    while (program.process->Running() && MillisSince(program.at) < kStartTimeoutMillis) {
        std::vector<unsigned long> stripes = screen.Stripes();
        const double t = MillisSince(program.at);
        NoteHelpers(s.helpers, program.process->pid(), "", t);
        if (s.firstPhoto < 0 && std::any_of(stripes.begin(), stripes.end(), PhotoPixel))
            s.firstPhoto = t;
        if (stripes != last) {
            last = std::move(stripes);
            lastChange = t;
        } else if (s.firstPhoto >= 0 && t - lastChange >= kStillMillis) {
            s.fullyShown = lastChange;
            s.photoWidth = static_cast<int>(
                std::count_if(last.begin() + kWidth, last.begin() + 2 * kWidth, PhotoPixel));
            break;
        }
        SleepMillis(kPollMillis);
    }
    return s;
}

// The saver's "start: <moment>[, <N> ms]" lines, each in ms after the
// launch by the line's UTC stamp ("skyreel: 2026-12-09 16:40:01.123 start:
// ..."): its own N counts from its static initialisation, not the fork.
Moments SaverMoments(const Launched& saver) {
    using namespace std::chrono;
    Moments moments;
    for (const std::string& line : ReadLines(saver.log)) {
        const size_t at = line.find(" start: ");
        int Y = 0, M = 0, D = 0, h = 0, m = 0, s = 0, ms = 0;
        if (at == std::string::npos || std::sscanf(line.c_str(), "skyreel: %d-%d-%d %d:%d:%d.%d",
                                                   &Y, &M, &D, &h, &m, &s, &ms) != 7)
            continue;
        const auto stamp =
            sys_days{year{Y} / M / D} + hours{h} + minutes{m} + seconds{s} + milliseconds{ms};
        std::string moment = line.substr(at + 8);
        moment = moment.substr(0, moment.rfind(", "));
        moments.emplace_back(moment, duration<double, std::milli>(stamp - saver.wallAt).count());
    }
    return moments;
}

// When each helper came and went.
Moments HelperMoments(const Helpers& helpers) {
    Moments moments;
    for (const auto& [pid, h] : helpers.byPid) {
        moments.emplace_back("helper " + h.label + " seen", h.first);
        moments.emplace_back("helper " + h.label + " gone", h.last + kPollMillis);
    }
    std::sort(moments.begin(), moments.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    return moments;
}

// Both programs get the same environment: the throw-away home, no session
// bus, and the peer's folder on PATH, as the XScreenSaver daemon puts it
// for its display modules: that is where glslideshow finds its helpers.
Launched Spawn(const Options& o, const std::string& binary, const std::vector<std::string>& args,
               const fs::path& home) {
    const std::vector<std::string> env = {
        "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/skyreel-bench-bus",
        "PATH=" + o.peer.parent_path().string() + ":/usr/bin:/bin"};
    Launched l{Clock::now(), Wall::now(), home / "log.txt", nullptr};
    l.process = std::make_unique<SaverProcess>(binary, home, o.display, args, l.log, env);
    return l;
}

// A still slide, or the quickest changes for the soak. glslideshow's image
// helper reads ~/.xscreensaver: photos from the folder only, no screen
// grabs or video.
Launched Launch(Program p, const Options& o, const fs::path& folder, const fs::path& home,
                bool soak) {
    if (p == Program::Saver) {
        std::vector<std::string> args = {"--root",     "--folder",           folder.string(),
                                         "--site",     "http://127.0.0.1:9", "--verbose",
                                         "--slide-ms", soak ? "1" : "600000"};
        if (soak) args.emplace_back("--blur-edges");
        return Spawn(o, o.saver, args, home);
    }
    WriteFileBytes(home / ".xscreensaver",
                   "grabDesktopImages: False\ngrabVideoFrames: False\n"
                   "chooseRandomImages: True\nimageDirectory: " +
                       folder.string() + "\n");
    const std::string duration = soak ? "1" : "600";
    std::vector<std::string> args = {"-root", "-duration", duration, "-zoom",
                                     "100",   "-pan",      duration};
    if (soak) args.insert(args.end(), {"-fade", "1"});
    return Spawn(o, o.peer.string(), args, home);
}

struct Run {
    Start start;
    double peakMib = 0;
    double cpuPercent = 0;
    Moments moments;
};

Run RunStill(RootScreen& screen, Program p, const Options& o, const fs::path& folder) {
    TempDir home;
    screen.ClearToBlack();
    Launched program = Launch(p, o, folder, home.path(), false);
    const pid_t pid = program.process->pid();
    Run run;
    run.start = WatchStart(screen, program);
    if (!o.shots.empty()) screen.SavePng(o.shots / (std::string(Name(p)) + ".png"));
    const double settled = run.start.fullyShown >= 0 ? run.start.fullyShown : kStartTimeoutMillis;
    SleepMillis(settled + kCpuDelayMillis - MillisSince(program.at));
    const double cpu0 = CpuSeconds(pid);
    const auto t0 = Clock::now();
    SleepMillis(kCpuWindowMillis);
    run.cpuPercent = (CpuSeconds(pid) - cpu0) / (MillisSince(t0) / 1000) * 100;
    run.peakMib = StatusKib(pid, "VmHWM:") / 1024.0;
    if (!program.process->Running())
        std::printf("  %s ended early, it wrote:\n%s", Name(p), ReadFileBytes(program.log).c_str());
    program.process->Stop(SIGTERM, 5000);
    // Without its helper glslideshow shows a test pattern, not the photos.
    if (p == Program::Peer && run.start.helpers.byPid.empty())
        std::printf("  glslideshow started no image helper: its figures are not of a photo\n");
    run.moments = p == Program::Saver ? SaverMoments(program) : HelperMoments(run.start.helpers);
    return run;
}

// glslideshow's image helper alone, drawing a 12 MP photo on the root
// window. The first child the bench waits for, so the children's peak is
// its own (or what it ran).
void MeasureHelper(RootScreen& screen, const Options& o, const fs::path& photo) {
    TempDir home;
    screen.ClearToBlack();
    Launched helper = Spawn(o, (o.peer.parent_path() / "xscreensaver-getimage").string(),
                            {"--file", photo.string(), "--root"}, home.path());
    while (helper.process->Running()) SleepMillis(kPollMillis);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf(
        "glslideshow's helper xscreensaver-getimage alone on a 12 MP photo: "
        "peak %.1f MiB, %.0f ms\n",
        children.ru_maxrss / 1024.0, MillisSince(helper.at));
}

// The saver until its log shows 500 changes, then glslideshow for as long.
void Soak(const Options& o, const fs::path& folder) {
    TempDir saverHome, peerHome;
    Launched saver = Launch(Program::Saver, o, folder, saverHome.path(), true);
    int changes = 0;
    while (changes < kSoakChanges && saver.process->Running() &&
           MillisSince(saver.at) < kSoakTimeoutMillis) {
        SleepMillis(500);
        const std::string log = ReadFileBytes(saver.log);
        changes = 0;
        for (size_t at = 0; (at = log.find("interlude skipped", at)) != std::string::npos; ++at)
            changes += kChangesPerInterludeLine;
    }
    const double millis = MillisSince(saver.at);
    const double saverMib = StatusKib(saver.process->pid(), "VmHWM:") / 1024.0;
    saver.process->Stop(SIGTERM, 5000);
    // Each image glslideshow asks for is one helper it starts (they live
    // some 300 ms; a poll every 50 ms sees each).
    Launched peer = Launch(Program::Peer, o, folder, peerHome.path(), true);
    Helpers helpers;
    while (MillisSince(peer.at) < millis) {
        SleepMillis(50);
        NoteHelpers(helpers, peer.process->pid(), "", MillisSince(peer.at));
    }
    const double peerMib = StatusKib(peer.process->pid(), "VmHWM:") / 1024.0;
    peer.process->Stop(SIGTERM, 5000);
    std::printf(
        "\nsoak (%.0f s in all): the saver made %d changes (--blur-edges --slide-ms 1) in %.0f s;\n"
        "glslideshow (-duration 1 -pan 1 -fade 1) asked for %d images in as long\n"
        "  peak resident          saver %8.1f MiB glslideshow %8.1f MiB ratio %5.2f  (goal <= "
        "1.0)\n",
        MillisSince(saver.at) / 1000, changes, millis / 1000, helpers.children[""], saverMib,
        peerMib, saverMib / std::max(peerMib, 1.0));
}

void PrintRun(Program p, const Run& r) {
    std::printf(
        "  %-12s first photo %6.0f ms  fully shown %6.0f ms (%4d px wide)  peak %6.1f MiB  CPU "
        "%5.2f %%\n",
        Name(p), r.start.firstPhoto, r.start.fullyShown, r.start.photoWidth, r.peakMib,
        r.cpuPercent);
    for (const auto& [moment, millis] : r.moments)
        std::printf("  %-14s %-30s %6.0f ms\n", "", moment.c_str(), millis);
    for (const auto& [pid, h] : r.start.helpers.byPid)
        std::printf("  %-14s helper %-5s %.60s\n", "", h.label.c_str(), h.command.c_str());
}

void PrintRatio(const char* what, const char* unit, const std::vector<double>& saver,
                const std::vector<double>& peer, const char* goal) {
    const double s = Median(saver), g = Median(peer);
    std::printf("  %-22s saver %8.2f %-3s glslideshow %8.2f %-3s ratio %5.2f  (goal %s)\n", what, s,
                unit, g, unit, g > 0 ? s / g : 0.0, goal);
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        i += a == "--soak" ? 0 : 1;
        if (a == "--saver") o.saver = value;
        if (a == "--peer") o.peer = value;
        if (a == "--rounds") o.rounds = std::max(1, std::atoi(value));
        if (a == "--shots") o.shots = value;
        if (a == "--soak") o.soak = true;
    }
    return !o.saver.empty();
}
}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each round shows as it ends, piped or not
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: side_by_side_bench --saver PATH [--peer PATH] [--rounds N] [--soak] "
                     "[--shots DIR]\n");
        return 2;
    }
    XvfbServer server(kWidth, kHeight);
    RootScreen screen;
    if (!server.running() || !screen.open()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    o.display = server.display();
    if (!o.shots.empty()) fs::create_directories(o.shots);
    TempDir folder;
    const int sizes[][2] = {{4000, 3000}, {1600, 1067}, {1024, 683}};
    for (uint32_t i = 0; i < 12; ++i) {
        const auto [w, h] = sizes[i / 4];
        WritePhotoLikeJpeg(folder / ("photo" + std::to_string(i) + ".jpg"), w, h, i, 90);
    }

    std::printf("peak resident and CPU are each program's own process's\n");
    MeasureHelper(screen, o, folder / "photo0.jpg");
    std::map<Program, std::vector<double>> first, shown, peak, cpu;
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> moments;
    for (int round = 1; round <= o.rounds; ++round) {
        std::printf("\nround %d\n", round);
        for (Program p : {Program::Saver, Program::Peer}) {
            const Run r = RunStill(screen, p, o, folder.path());
            PrintRun(p, r);
            first[p].push_back(r.start.firstPhoto);
            shown[p].push_back(r.start.fullyShown);
            peak[p].push_back(r.peakMib);
            cpu[p].push_back(r.cpuPercent);
            for (const auto& [moment, millis] : r.moments) {
                const std::string key = std::string(Name(p)) + "  " + moment;
                if (!moments.contains(key)) order.push_back(key);
                moments[key].push_back(millis);
            }
        }
        o.shots.clear();  // one screenshot of each is enough
    }
    const Program s = Program::Saver, g = Program::Peer;
    std::printf("\nmedians over %d rounds\n", o.rounds);
    PrintRatio("first photo on screen", "ms", first[s], first[g], "<= 0.8");
    PrintRatio("fully shown", "ms", shown[s], shown[g], "none");
    PrintRatio("peak resident, still", "MiB", peak[s], peak[g], "<= 1.0");
    PrintRatio("CPU on a still slide", "%", cpu[s], cpu[g], "<= 0.5");
    for (const std::string& key : order)
        std::printf("  %-44s %6.0f ms\n", key.c_str(), Median(moments[key]));
    if (o.soak) Soak(o, folder.path());
    return 0;
}

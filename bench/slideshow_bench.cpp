// Figures of the saver on screen, each beside a baseline measured in the
// same run on the same Xvfb (1920 x 1080, Mesa):
//  - slide change (decode, canvas, upload) against a bare TurboJPEG
//    DCT-scaled decode of the same file into a reused buffer;
//  - cross-fade frame time without the pause against a bare loop drawing
//    two blended 2048 x 2048 textured quads;
//  - process CPU while one slide stays on show, against the same loop
//    redrawing every frame;
//  - peak resident memory during a slide change.
#include <GL/gl.h>
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "host/command_line.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "host/triggers.h"
#include "overlay/slide_slot.h"
#include "slideshow/photo_list.h"
#include "slideshow/photo_texture.h"
#include "slideshow/slideshow.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#include "support/xvfb.h"

namespace {
using Clock = std::chrono::steady_clock;

double MillisSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

long StatusKib(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
    return 0;
}

// The bare decode: what TurboJPEG alone needs for the same photo at the
// same DCT scale, into a buffer kept between runs.
// The bare decode: what TurboJPEG alone needs to read the same file and
// decode it at the same DCT scale into a buffer kept between runs.
double BareDecodeMillis(const std::filesystem::path& file, int fitW, int fitH) {
    static std::vector<unsigned char> bytes;
    static std::vector<unsigned char> buffer;
    tjhandle h = tjInitDecompress();
    std::vector<double> times;
    for (int run = 0; run < 8; ++run) {
        auto t = Clock::now();
        std::ifstream in(file, std::ios::binary | std::ios::ate);
        bytes.resize(static_cast<size_t>(in.tellg()));
        in.seekg(0);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        int w = 0, hh = 0, ss = 0, cs = 0;
        tjDecompressHeader3(h, bytes.data(), bytes.size(), &w, &hh, &ss, &cs);
        int count = 0;
        tjscalingfactor* f = tjGetScalingFactors(&count);
        tjscalingfactor best{1, 1};
        for (int i = 0; i < count; ++i)
            if (f[i].num <= f[i].denom && TJSCALED(w, f[i]) >= fitW && TJSCALED(hh, f[i]) >= fitH &&
                TJSCALED(w, f[i]) < TJSCALED(w, best))
                best = f[i];
        int sw = TJSCALED(w, best), sh = TJSCALED(hh, best);
        buffer.resize(static_cast<size_t>(sw) * sh * 4);
        tjDecompress2(h, bytes.data(), bytes.size(), buffer.data(), sw, sw * 4, sh, TJPF_BGRA, 0);
        if (run > 0) times.push_back(MillisSince(t));
    }
    tjDestroy(h);
    return Median(times);
}

double SlideChangeMillis(const std::filesystem::path& file) {
    PathText path(FromPath(file).value());
    std::vector<double> times;
    for (int run = 0; run < 8; ++run) {
        auto t = Clock::now();
        LoadPhotoTexture(&path, SlideSlots[0].texture, 0);
        glFinish();
        if (run > 0) times.push_back(MillisSince(t));
    }
    return Median(times);
}

void NoPause(int) {}

void PrintRatio(const char* what, double value, double baseline, const char* unit,
                const char* goal) {
    std::printf("%-44s %9.2f %-4s baseline %9.2f %-4s ratio %5.2f  (goal %s)\n", what, value, unit,
                baseline, unit, value / baseline, goal);
}
}  // namespace

int main() {
    XvfbServer server(1920, 1080);
    if (!server.running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    TempDataFolder dir;
    WriteTestJpeg(dir / "a.jpg", 1024, 683, {200, 120, 60}, {40, 90, 200}, true);
    WriteTestJpeg(dir / "b.jpg", 4000, 3000, {60, 160, 90}, {200, 200, 40}, true);
    SaverApp.SlideMillis = 600000;  // one slide stays on show throughout
    RunMode = Saver;
    if (!CreateSaverWindow(HostOptions{})) {
        std::fprintf(stderr, "no saver window\n");
        return 1;
    }
    UpdateSlideshow();  // Start: loads both photos into the slots

    // Slide change.
    long rssBefore = StatusKib("VmRSS:");
    for (const char* name : {"a.jpg", "b.jpg"}) {
        PhotoFit fit = FitPhotoToCanvas(name[0] == 'a' ? 1024 : 4000, name[0] == 'a' ? 683 : 3000);
        double bare =
            BareDecodeMillis(dir / name, static_cast<int>(fit.width), static_cast<int>(fit.height));
        double change = SlideChangeMillis(dir / name);
        std::string label =
            std::string("slide change, ") + (name[0] == 'a' ? "1024x683" : "4000x3000");
        PrintRatio(label.c_str(), change, bare, "ms", "<= 1.5");
    }
    long peak = StatusKib("VmHWM:");
    std::printf("%-44s %9ld KiB (resident before the changes %ld KiB, ratio %.2f)\n",
                "peak resident memory over slide changes", peak, rssBefore,
                static_cast<double>(peak) / rssBefore);

    // Cross-fade frames without the pause.
    SlideshowOps fast = kGlSlideshowOps;
    fast.pause = NoPause;
    AttachSlideshow(fast, kTriggerHooks);
    std::vector<double> fade;
    for (int i = 0; i < 200; ++i) {
        SlideState = Fading;
        FadeLevel = 0.25f + (i % 50) * 0.01f;
        auto t = Clock::now();
        DrawFrame();
        PresentFrame();
        glFinish();
        fade.push_back(MillisSince(t));
    }
    std::vector<double> bare;
    for (int i = 0; i < 200; ++i) {
        auto t = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT);
        for (int s = 0; s < 2; ++s) {
            glColor4f(1, 1, 1, 0.5f);
            glBindTexture(GL_TEXTURE_2D, SlideSlots[s].texture);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(0, 1080);
            glTexCoord2f(1, 0);
            glVertex2f(1920, 1080);
            glTexCoord2f(1, 1);
            glVertex2f(1920, 0);
            glTexCoord2f(0, 1);
            glVertex2f(0, 0);
            glEnd();
        }
        PresentFrame();
        glFinish();
        bare.push_back(MillisSince(t));
    }
    double fadeMedian = Median(fade);
    PrintRatio("cross-fade frame at 1920x1080, median", fadeMedian, Median(bare), "ms", "<= 1.2");
    double fadeMax = *std::max_element(fade.begin(), fade.end());
    std::printf("%-44s %9.2f ms   = %.2f x the median (goal < 2)\n", "cross-fade frame, max",
                fadeMax, fadeMax / fadeMedian);

    // CPU while one slide stays on show, with the pause.
    AttachSlideshow(kGlSlideshowOps, kTriggerHooks);
    SlideState = Showing;
    IntroFade = false;
    auto runFor = [](double seconds, bool redrawEveryFrame) {
        double cpu0 = CpuSeconds();
        auto t = Clock::now();
        while (MillisSince(t) < seconds * 1000) {
            while (PumpSaverWindow()) {
            }
            UpdateSlideshow();
            if (redrawEveryFrame) RequestRedraw();
            if (DrawFrame()) PresentFrame();
        }
        return (CpuSeconds() - cpu0) / (MillisSince(t) / 1000) * 100;
    };
    double still = runFor(20, false);
    double redrawn = runFor(5, true);
    PrintRatio("CPU, one slide on show 20 s (% of a core)", still, redrawn, "%", "< 5% of a core");

    DestroySaverWindow();
    return 0;
}

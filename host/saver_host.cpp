#include "host/saver_host.h"

#include <mutex>

#include "base/event_log.h"
#include "base/platform.h"
#include "host/display_power.h"
#include "host/triggers.h"
#include "overlay/gl_renderer.h"
#include "overlay/slide_slot.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "slideshow/gl_slideshow_ops.h"
#include "slideshow/slideshow.h"

namespace {
void WarmUpRenderer() {
    GlWarmUpPipelines();
    PresentFrame();
}

const SlideshowOps kSaverOps = [] {
    SlideshowOps ops = kGlSlideshowOps;
    ops.warmUp = WarmUpRenderer;
    return ops;
}();
}  // namespace

int InitGlState() {
    AttachSlideshow(kSaverOps, kTriggerHooks);
    return ScanCache();
}

int CreateSaverWindow(const HostOptions& options) {
    // Before the GL context and the first photo make their large buffers.
    ReturnFreedBuffersToSystem();
    ResetDisplayPower();
    // The cache is listed (or the folder walk started) before the window and
    // its context are made, so that a first photo is there to show at once.
    if (!InitGlState()) return 0;
    if (!OpenSaverWindow(options)) return 0;
    LogStartMoment(StartMoment::WindowAndContext);
    GlSetFixedState();
    return 1;
}

void DestroySaverWindow() {
    CloseSaverWindow();
    // The slot textures went with the context.
    SlideSlots[0] = SlideSlots[1] = SlideSlot{};
    std::lock_guard<std::mutex> lock(PhotoListLock);
    FreePhotoList(PhotoList);
    PhotoList = nullptr;
}

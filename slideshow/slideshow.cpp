// The slideshow scheduler.
//
// UpdateSlideshow advances an explicit state machine measured in tick counts
// (Start -> NoPhotos / OnePhoto / Showing -> Fading -> Advance -> Showing);
// DrawFrame draws the slots of the current state and advances the fades,
// which count frames (51 per fade). Decoding and uploading happen only in
// Start, NoPhotos, OnePhoto and Advance, once each, and in CatchUpSlideshow
// after the display was off: the changes missed in the dark are counted by
// the clock and made without loading, and only the slide due now is loaded.
//
// The harvested cache is shown in list order from a random start. The
// user's own photos (photo_folder.h) are drawn from a shuffled deck
// instead, are never trimmed, and a photo that does not decode is passed
// over for the next one rather than shown as a black slide.
//
// Static frames: a slide on show without a fade looks the same frame after
// frame. DrawFrame describes each frame as data (which slots, with which
// contents and opacities, in which viewport) and skips the clear, the draw
// and the present when that description equals the last one presented. On a
// software renderer redrawing a still slide 50 times a second costs a core.
// Gentle motion (photo_framing.h) makes every frame of a photo differ, by
// its progress through the slide's time on screen; panels never move.
#include "slideshow/slideshow.h"

#include <algorithm>
#include <cmath>

#include "base/clock.h"
#include "base/event_log.h"
#include "base/saver_app.h"
#include "overlay/slide_slot.h"
#include "photos/photo_folder.h"
#include "photos/photo_list.h"
#include "photos/photo_source.h"
#include "slideshow/photo_framing.h"
#include "slideshow/shuffle_deck.h"

int32_t SlideState = Start;
int FrontSlot = 0;
int32_t PhotoIndex = 0;
float FadeLevel = 0;
bool IntroFade = true;
uint32_t ShowStart = 0;

namespace {
constexpr int kFramePauseMillis = 20;
constexpr float kPercent = 100.0f;
// Photos of the user's folder tried for one slide before it stays black.
constexpr int kDecodeTries = 8;

// Main thread only, like the rest of the scheduler.
const SlideshowOps* g_ops = nullptr;
const SlideshowHooks* g_hooks = nullptr;
ShuffleDeck g_deck;  // the user's photos still to show

// What one frame shows. Slot contents are told apart by a counter bumped at
// every fill of the slot.
struct FrameItem {
    int slot = 0;
    uint32_t contents = 0;
    float alpha = 0;
    float progress = 0;  // of the slide's move; 0 without motion
    bool operator==(const FrameItem&) const = default;
};
struct FrameView {
    ViewportList viewports;
    int count = 0;
    FrameItem items[2];
    bool operator==(const FrameView&) const = default;
};

uint32_t g_slotContents[2] = {};
// Per slot: it holds a photo (panels are neither moved, filled nor given a
// backdrop), the move chosen for it, and when its contents first showed.
bool g_slotIsPhoto[2] = {};
SlideMotion g_motion[2];
uint32_t g_motionContents[2] = {};
uint32_t g_motionSince[2] = {};
uint32_t g_motionRandom = 1;
bool g_nextZoomIn = true;
ViewportList g_viewports;  // none: the whole window
FrameView g_lastPresented;
bool g_redrawRequested = true;
// Changes made in the dark (CatchUpSlideshow) choose their photos but load none.
bool g_loadsSkipped = false;
// The start loads only the front slot, so that the first photo shows
// without waiting for a second decode and upload; the other slot's photo is
// decoded meanwhile and loaded once the intro fade is over.
bool g_secondSlotPending = false;
// The renderer was readied (warmUp) since the slideshow was attached.
bool g_rendererWarm = false;
// Tick count when the current frame began: the end of the last frame's pause.
uint32_t g_frameBegan = 0;
bool g_frameBeganKnown = false;

// The frame pause tops the frame up to 20 ms, so fades keep 51 frames at
// most 50 a second but a slow frame does not pay 20 ms on top of its time.
int FramePauseMillis() {
    if (!g_frameBeganKnown) return kFramePauseMillis;
    const int32_t spent = static_cast<int32_t>(TickCount() - g_frameBegan);
    return std::clamp(kFramePauseMillis - spent, 0, kFramePauseMillis);
}

void EndFrame() {
    g_ops->pause(FramePauseMillis());
    g_frameBegan = TickCount();
    g_frameBeganKnown = true;
}

void NoteSlotFilled(int slot, bool photo = false) {
    ++g_slotContents[slot];
    g_slotIsPhoto[slot] = photo;
    if (!photo) return;
    // xorshift32: any spread will do, and tests stay repeatable per start.
    g_motionRandom ^= g_motionRandom << 13;
    g_motionRandom ^= g_motionRandom >> 17;
    g_motionRandom ^= g_motionRandom << 5;
    g_motion[slot] = NextSlideMotion(g_motionRandom, g_nextZoomIn);
    g_nextZoomIn = !g_nextZoomIn;
}

// A slide's time on screen: its fade in, its display time and its fade out.
uint32_t SlideOnScreenMillis() {
    const auto fadeFrames = static_cast<uint32_t>(1.0f / SaverApp.FadeStep) + 1;
    return static_cast<uint32_t>(SaverApp.SlideMillis) + 2 * fadeFrames * kFramePauseMillis;
}

// How far the slot's move has come: 0 when it first shows, 1 when its
// slide's time on screen is over (and there it stays).
float MotionProgress(int slot) {
    if (!CurrentSlideshowLook().gentleMotion || !g_slotIsPhoto[slot]) return 0;
    const uint32_t now = TickCount();
    if (g_motionContents[slot] != g_slotContents[slot]) {
        g_motionContents[slot] = g_slotContents[slot];
        g_motionSince[slot] = now;
    }
    const float t =
        static_cast<float>(now - g_motionSince[slot]) / static_cast<float>(SlideOnScreenMillis());
    return std::min(t, 1.0f);
}

// Loads list entry k into slot s (no photo when k has left the list).
void LoadEntry(int32_t k, int s) {
    if (g_loadsSkipped) return;
    PathText path;
    bool found = PhotoPathAt(k, path);
    if (found) LogStartMoment(StartMoment::FirstPhotoChosen);
    g_ops->loadPhoto(found ? &path : nullptr, s);
    NoteSlotFilled(s, found);
}

// The next of the user's photos into slot s: drawn from the deck, and
// drawn again while what was drawn does not decode (a few times at most).
void LoadShuffled(int s) {
    for (int tries = 0; tries < kDecodeTries; ++tries) {
        PhotoIndex = DrawDeck(g_deck, PhotoCount());
        LoadEntry(PhotoIndex, s);
        if (g_loadsSkipped || PhotoIndex < 0 || SlideSlots[s].contentWidth > 0) return;
    }
}

// Loads the next slide's photo into slot s: list entry `index` of the
// harvested cache, or the next of the user's photos.
void LoadPhotoInto(int s, int32_t index) {
    if (PhotoFolderInUse()) {
        LoadShuffled(s);
        return;
    }
    PhotoIndex = index;
    LoadEntry(index, s);
}

int OtherSlot() {
    return 1 - FrontSlot;
}

// Adds FadeStep the way a 32-bit float does; true once the fade is over
// (FadeLevel then starts again at 0).
bool StepFade() {
    FadeLevel = static_cast<float>(FadeLevel + SaverApp.FadeStep);
    if (FadeLevel > 1.0f) {
        FadeLevel = 0;
        return true;
    }
    return false;
}

// The photo LoadPhotoInto(_, index) loads while the list stays as it is:
// list entry `index`, or the deck's next of the user's photos.
bool PhotoToLoad(int32_t index, PathText& path) {
    const int32_t n = PhotoCount();
    if (n <= 0) return false;
    return PhotoPathAt(PhotoFolderInUse() ? PeekDeck(g_deck, n) : index % n, path);
}

void LoadPendingSecondSlot() {
    if (!g_secondSlotPending) return;
    g_secondSlotPending = false;
    const int32_t n = PhotoCount();
    if (n > 0) LoadPhotoInto(1, PhotoIndex % n);
}

// Loads list entry `first` (the user's photos: the deck's next) into the
// front slot. The first time, the photo decodes on the decode thread while
// the renderer readies itself for its first frame.
void LoadFirstPhoto(int32_t first) {
    if (!g_rendererWarm && g_ops->warmUp) {
        g_rendererWarm = true;
        PathText path;
        if (PhotoToLoad(first, path)) {
            LogStartMoment(StartMoment::FirstPhotoChosen);
            g_ops->prefetchPhoto(path);
        }
        g_ops->warmUp();
    }
    LoadPhotoInto(0, first);
}

// Shows list entry `first` (see LoadFirstPhoto) and starts the show; the
// second slot's photo is decoded meanwhile and loaded after the intro fade.
void StartShowing(int32_t first, int32_t n) {
    LoadFirstPhoto(first);
    // The harvested cache's index moves on now, as if loaded; the user's
    // photos are drawn from the deck at the load.
    if (!PhotoFolderInUse()) PhotoIndex = (PhotoIndex + 1) % n;
    g_secondSlotPending = true;
    PathText second;
    if (PhotoToLoad(PhotoIndex, second)) g_ops->prefetchPhoto(second);
    SlideState = Showing;
}

void StepStart() {
    g_ops->renewTexture(0);
    g_ops->renewTexture(1);
    g_secondSlotPending = false;
    // A restart's first slide gets its whole time, not what an earlier
    // show's slide had left.
    ShowStart = 0;
    FadeLevel = 0;
    FrontSlot = 0;
    PhotoIndex = 0;
    IntroFade = true;
    ResetDeck(g_deck, TickCount());
    g_motionRandom = TickCount() | 1u;
    g_nextZoomIn = true;
    int32_t n = PhotoCount();
    if (n == 0) {
        SlideState = NoPhotos;
    } else if (n == 1) {
        LoadFirstPhoto(0);
        SlideState = OnePhoto;
    } else {
        StartShowing(static_cast<int32_t>(TickCount() % static_cast<uint32_t>(n)), n);
    }
    g_hooks->afterStart(n);
}

void StepNoPhotos() {
    int32_t n = PhotoCount();
    if (n >= 2) {
        StartShowing(0, n);
    } else if (n == 1) {
        LoadFirstPhoto(0);
        SlideState = OnePhoto;
    } else {
        g_hooks->whileTooFewPhotos();
    }
}

void StepOnePhoto() {
    if (PhotoCount() >= 2) {
        LoadPhotoInto(1, 1);
        SlideState = Showing;
    } else {
        g_hooks->whileTooFewPhotos();
    }
}

// The entry the next change loads, as LoadNextPhoto will choose it while
// the list stays as it is: above the cache limit the oldest goes first and
// the list moves down under PhotoIndex. The user's photos: the deck's next.
bool PredictNextPhoto(PathText& path) {
    const int32_t n = PhotoCount();
    if (n <= 0) return false;
    int32_t next = 0;
    if (PhotoFolderInUse()) {
        next = PeekDeck(g_deck, n);
    } else if (n > SaverApp.CacheLimit && PhotoIndex > 0) {
        next = PhotoIndex % (n - 1) + 1;
    } else {
        next = (PhotoIndex + 1) % n;
    }
    return PhotoPathAt(next, path);
}

void StepShowing() {
    uint32_t now = TickCount();
    if (ShowStart == 0) {
        ShowStart = now;
        // A slide's whole display time is there to decode the next one.
        PathText next;
        // (The start announced the pending second slot's photo.)
        if (!g_secondSlotPending && PredictNextPhoto(next)) g_ops->prefetchPhoto(next);
        return;
    }
    if (g_secondSlotPending && !IntroFade) {
        LoadPendingSecondSlot();
        PathText next;
        if (PredictNextPhoto(next)) g_ops->prefetchPhoto(next);
    }
    if (static_cast<int32_t>(now - ShowStart) > SaverApp.SlideMillis) {
        // A display time shorter than the intro fade waits for its end:
        // the cross-fade would otherwise start from the intro's level, the
        // intro would never end and every later slide would stay dim.
        if (IntroFade) return;
        ShowStart = 0;
        SlideState = Fading;
        return;
    }
    g_hooks->whileOnShow();
}

// The next photo goes into the slot that has just faded out. Above the
// cache limit each change deletes the oldest photo; the list then moves
// down by one under PhotoIndex, which therefore stays. The user's photos
// are never the cache: nothing of them is trimmed.
void LoadNextPhoto(int slot) {
    if (PhotoFolderInUse()) {
        LoadShuffled(slot);
        return;
    }
    int32_t n = PhotoCount();
    if (n > SaverApp.CacheLimit && PhotoIndex > 0) {
        RemoveOldestPhoto();
        n = PhotoCount();
    } else {
        ++PhotoIndex;
    }
    // Only a list emptied behind the scheduler's back gives 0 here.
    PhotoIndex = n > 0 ? PhotoIndex % n : 0;
    LoadEntry(PhotoIndex, slot);
}

void StepAdvance() {
    if (g_hooks->rescanBeforeAdvance()) return;
    g_ops->renewTexture(FrontSlot);
    Interlude interlude = g_hooks->nextInterlude();
    if (interlude != Interlude::NextPhoto) {
        g_hooks->paintInterlude(interlude, FrontSlot);
        NoteSlotFilled(FrontSlot);
    } else {
        LoadNextPhoto(FrontSlot);
    }
    FrontSlot = OtherSlot();
    SlideState = Showing;
}

// A change made while nobody could see it: the turn of the interludes is
// counted, the photo is chosen (and the cache trimmed) as a shown change
// would, and nothing is drawn into a slot.
void SkipChange() {
    g_loadsSkipped = true;
    if (g_hooks->nextInterlude() == Interlude::NextPhoto) LoadNextPhoto(FrontSlot);
    g_loadsSkipped = false;
    FrontSlot = OtherSlot();
}

// How many slide changes fell due by `now`: one for a fade under way (or
// over), else one per display time and fade after the slide's time ran out.
int64_t ChangesDue(uint32_t now) {
    if (SlideState == Fading || SlideState == Advance) return 1;
    if (SlideState != Showing || ShowStart == 0) return 0;
    const int64_t over = static_cast<int32_t>(now - ShowStart) - int64_t{SaverApp.SlideMillis};
    if (over <= 0) return 0;
    const auto fadeFrames = static_cast<int64_t>(1.0f / SaverApp.FadeStep) + 1;
    const int64_t period = SaverApp.SlideMillis + fadeFrames * kFramePauseMillis;
    return 1 + over / std::max<int64_t>(period, 1);
}

void AddItem(FrameView& view, int slot, float alpha) {
    view.items[view.count++] = FrameItem{slot, g_slotContents[slot], alpha, MotionProgress(slot)};
}

// One item in a W x H viewport: a photo's backdrop where it does not fill
// the monitor (when the look asks for edges), then the photo, moved.
void DrawItem(const FrameItem& item, int W, int H) {
    const SlideSlot& s = SlideSlots[item.slot];
    const SlideshowLook& look = CurrentSlideshowLook();
    const bool photo = g_slotIsPhoto[item.slot];
    const bool fill =
        photo && look.blurEdges && PhotoFillsMonitor(s.contentWidth, s.contentHeight, W, H);
    if (photo && look.blurEdges && !fill && s.hasBackdrop && g_ops->drawBackdrop)
        g_ops->drawBackdrop(item.slot, item.alpha, W, H,
                            BackdropCrop(s.contentWidth, s.contentHeight, W, H));
    SlotGeometry g;
    if (!ComputeSlotGeometry(s.contentWidth, s.contentHeight, W, H, g, fill)) return;
    if (photo && look.gentleMotion) {
        const float k = std::abs(g.x1 - g.x0) / static_cast<float>(SaverApp.TextureSize);
        MoveSlotGeometry(g,
                         MotionPoseAt(g_motion[item.slot], item.progress, s.contentWidth * k,
                                      s.contentHeight * k, W, H, s.contentHeight > s.contentWidth));
    }
    g_ops->drawQuad(item.slot, item.alpha, g);
}

// The slots this frame shows, advancing the fades and the states they end.
FrameView ComposeFrame(const ViewportList& viewports) {
    FrameView view;
    view.viewports = viewports;
    switch (SlideState) {
        case OnePhoto:
        case Showing:
            if (IntroFade) {
                AddItem(view, FrontSlot, FadeLevel);
                if (StepFade()) IntroFade = false;
            } else {
                AddItem(view, FrontSlot, 1.0f);
            }
            break;
        case Fading:
            AddItem(view, FrontSlot, 1.0f - FadeLevel);
            if (!g_hooks->fadeToBlack()) AddItem(view, OtherSlot(), FadeLevel);
            if (StepFade()) SlideState = Advance;
            break;
        case Advance:
            if (!g_hooks->fadeToBlack()) AddItem(view, OtherSlot(), 1.0f);
            break;
        default:  // Start, NoPhotos: a black screen
            break;
    }
    return view;
}

void OnCacheScanned() {
    g_hooks->afterCacheScan();
    SlideState = Start;
}
}  // namespace

bool ComputeSlotGeometry(float w, float h, int W, int H, SlotGeometry& out, bool fill) {
    if (!(w > 0) || !(h > 0) || W <= 0 || H <= 0) return false;
    const float fw = static_cast<float>(W);
    const float fh = static_cast<float>(H);
    const float sx = fw * kPercent / w;
    const float sy = fh * kPercent / h;
    const float k = fill ? std::max(sx, sy) : std::min(sx, sy);
    const float q = static_cast<float>(SaverApp.TextureSize) * k / kPercent;
    const float dw = w * k / kPercent;
    const float dh = h * k / kPercent;
    out.x0 = (fw - q) * 0.5f;
    out.y0 = (fh - q) * 0.5f;
    out.x1 = fw - out.x0;
    out.y1 = fh - out.y0;
    const double planes[4][4] = {{1, 0, 0, (dw - fw) * 0.5f},
                                 {-1, 0, 0, (fw + dw) * 0.5f},
                                 {0, 1, 0, (dh - fh) * 0.5f},
                                 {0, -1, 0, (fh + dh) * 0.5f}};
    std::copy(&planes[0][0], &planes[0][0] + 16, &out.planes[0][0]);
    return true;
}

void MoveSlotGeometry(SlotGeometry& g, const MotionPose& pose) {
    g.x0 = g.x0 * pose.zoom + pose.tx;
    g.x1 = g.x1 * pose.zoom + pose.tx;
    g.y0 = g.y0 * pose.zoom + pose.ty;
    g.y1 = g.y1 * pose.zoom + pose.ty;
    // a x + b y + d >= 0 over the unmoved points is, over the moved ones,
    // a x' + b y' + (d zoom - a tx - b ty) >= 0.
    for (auto& p : g.planes) p[3] = p[3] * pose.zoom - p[0] * pose.tx - p[1] * pose.ty;
}

void AttachSlideshow(const SlideshowOps& ops, const SlideshowHooks& hooks) {
    g_ops = &ops;
    g_hooks = &hooks;
    g_redrawRequested = true;
    g_rendererWarm = false;
    SetScanCacheClosingSteps(OnCacheScanned);
}

void UpdateSlideshow() {
    if (!g_ops) return;
    switch (SlideState) {
        case Start:
            StepStart();
            break;
        case NoPhotos:
            StepNoPhotos();
            break;
        case OnePhoto:
            StepOnePhoto();
            break;
        case Showing:
            StepShowing();
            break;
        case Fading:  // DrawFrame runs the cross-fade and moves on to Advance
            break;
        case Advance:
            StepAdvance();
            break;
        default:
            break;
    }
}

void DrawSlot(int slot, float alpha, int W, int H) {
    DrawItem(FrameItem{slot, g_slotContents[slot], alpha, 0}, W, H);
}

int DrawFrame() {
    if (!g_ops) {
        SleepMillis(kFramePauseMillis);
        return 0;
    }
    FrameView view = ComposeFrame(SlideshowViewports());
    bool present = g_redrawRequested || !(view == g_lastPresented);
    if (present) {
        // Outside the viewports (monitors of unequal size) the window stays black.
        g_ops->clear();
        for (int v = 0; v < view.viewports.count; ++v) {
            const ViewportRect& r = view.viewports.items[v];
            g_ops->useViewport(r.x, r.y, r.width, r.height);
            for (int i = 0; i < view.count; ++i) DrawItem(view.items[i], r.width, r.height);
            // Captions over both photos, each with its photo's opacity: in
            // a cross-fade one fades out while the other fades in.
            if (g_ops->drawCaption)
                for (int i = 0; i < view.count; ++i)
                    g_ops->drawCaption(view.items[i].slot, view.items[i].alpha, r.width, r.height);
        }
        g_lastPresented = view;
        g_redrawRequested = false;
    }
    EndFrame();
    return present ? 1 : 0;
}

void SetSlideshowViewports(const ViewportList& viewports) {
    g_viewports = viewports;
    g_redrawRequested = true;
}

ViewportList SlideshowViewports() {
    if (g_viewports.count > 0 || !g_ops) return g_viewports;
    ViewportList whole;
    int width = 0, height = 0;
    g_ops->windowSize(width, height);
    if (width > 0 && height > 0) whole.items[whole.count++] = {0, 0, width, height};
    return whole;
}

void PhotoDecodeExtent(int& width, int& height) {
    LargestViewportExtent(SlideshowViewports(), width, height);
}

void CatchUpSlideshow() {
    g_redrawRequested = true;
    if (!g_ops) return;
    if ((SlideState == OnePhoto || SlideState == Showing) && IntroFade) {
        IntroFade = false;
        FadeLevel = 0;
    }
    LoadPendingSecondSlot();
    int64_t due = ChangesDue(TickCount());
    if (due == 0) return;
    FadeLevel = 0;
    // Past a whole round of the list (or the deck) only the position matters.
    const int64_t round = std::max<int64_t>(PhotoCount(), 1);
    if (due > round + 1) due = (due - 1) % round + 1;
    for (int64_t i = 1; i < due; ++i) SkipChange();
    if (due > 1) {
        // The slide due now: the photo the last skipped change chose.
        LoadEntry(PhotoIndex, OtherSlot());
    }
    // The change that shows it loads the one after it, as any change does.
    SlideState = Advance;
    ShowStart = 0;
    StepAdvance();
    // New photos arrived meanwhile: the rescan restarted the show, whose
    // intro fade would begin black.
    if (SlideState == Start) {
        StepStart();
        IntroFade = false;
    }
}

bool PresentedFrameShowsPhoto() {
    for (int i = 0; i < g_lastPresented.count; ++i) {
        const FrameItem& item = g_lastPresented.items[i];
        if (item.alpha > 0 && g_slotIsPhoto[item.slot]) return true;
    }
    return false;
}

void RequestRedraw() {
    g_redrawRequested = true;
}

void ReleaseSlotTextures() {
    if (!g_ops) return;
    for (int slot = 0; slot < 2; ++slot) {
        g_ops->deleteTexture(slot);
        NoteSlotFilled(slot);
    }
}

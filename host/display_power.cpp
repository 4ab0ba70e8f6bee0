#include "host/display_power.h"

#include "base/clock.h"
#include "base/event_log.h"
#include "host/saver_window.h"
#include "slideshow/slideshow.h"

namespace {
// Main thread only.
struct DisplayPowerState {
    bool on = true;
    bool wokeUp = false;  // lit again since the last turn
    bool pollArmed = false;
    uint32_t lastPoll = 0;  // tick of the last question to the backend
};
DisplayPowerState g_power;

// The first turn only arms the poll, so that start-up asks the server
// nothing; then at most once a kDisplayPollMillis.
void PollDisplayPower() {
    const uint32_t now = TickCount();
    if (!g_power.pollArmed) {
        g_power.pollArmed = true;
        g_power.lastPoll = now;
        return;
    }
    if (static_cast<int32_t>(now - g_power.lastPoll) < static_cast<int32_t>(kDisplayPollMillis))
        return;
    g_power.lastPoll = now;
    switch (ReadDisplayPower()) {
        case DisplayPowerReading::On:
            NoteDisplayPower(true);
            break;
        case DisplayPowerReading::Off:
            NoteDisplayPower(false);
            break;
        case DisplayPowerReading::NotKnown:
            break;
    }
}
}  // namespace

void NoteDisplayPower(bool on) {
    if (on && !g_power.on) g_power.wokeUp = true;
    g_power.on = on;
}

bool DisplayPowered() {
    return g_power.on;
}

void ResetDisplayPower() {
    g_power = DisplayPowerState{};
}

bool SaverTurn() {
    PollDisplayPower();
    if (!g_power.on) {
        WaitSaverWindow(static_cast<int>(kDisplayPollMillis));
        return false;
    }
    if (g_power.wokeUp) {
        g_power.wokeUp = false;
        CatchUpSlideshow();
    }
    UpdateSlideshow();
    if (!DrawFrame()) {
        WaitSaverWindow(kStillFrameWaitMillis);
        return false;
    }
    PresentFrame();
    if (PresentedFrameShowsPhoto()) LogStartMoment(StartMoment::FirstPhotoPresented);
    return true;
}

// The display going off and back on, against the real saver window and
// slideshow; one source for both backends. Win32: the window procedure gets
// the console display state as Windows sends it. X11: Xvfb and the dummy
// Xorg have no DPMS (the poll answers "not known"), so the test forwards
// the state as the poll would.
#ifdef _WIN32
#include <windows.h>
#endif
#include <gtest/gtest.h>
// Platform GL after gtest: X11's macros collide with gtest's names.
#include <GL/gl.h>

#include "base/clock.h"
#include "base/saver_app.h"
#include "host/command_line.h"
#include "host/display_power.h"
#include "host/run_mode.h"
#include "host/saver_host.h"
#include "photos/photo_list.h"
#include "slideshow/slideshow.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"
#ifndef _WIN32
#include "support/xvfb.h"
#endif

namespace {
enum class Power { Same, Off, On, Dimmed };
const Rgb kColours[3] = {{220, 30, 30}, {30, 200, 30}, {30, 30, 220}};

void Send(Power p) {
#ifdef _WIN32
    struct {
        GUID setting;
        DWORD length, data;
    } m{GUID_CONSOLE_DISPLAY_STATE, sizeof(DWORD), p == Power::Off ? 0u : p == Power::On ? 1u : 2u};
    SendMessageW(FindWindowW(L"VelmoraSkyreel", nullptr), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(&m));
#else
    NoteDisplayPower(p != Power::Off);
#endif
}

// The list position of the photo in the middle of the last frame drawn
// (read back as the other GL tests do); -1 for none.
int32_t ShownPhoto() {
    GLint v[4] = {};
    glGetIntegerv(GL_VIEWPORT, v);
    unsigned char p[4] = {};
    glReadPixels(v[2] / 2, v[3] / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    PathText path;
    for (int32_t i = 0; PhotoPathAt(i, path); ++i) {
        const char16_t name = path.view()[path.view().size() - 5];  // a.jpg, b.jpg, c.jpg
        if (Near({p[0], p[1], p[2]}, kColours[name - u'a'], 12)) return i;
    }
    return -1;
}
}  // namespace

TEST(DisplayPower, NothingIsDrawnWhileOffAndTheDuePhotoComesBack) {
#ifndef _WIN32
    XvfbServer server(800, 600);
    ASSERT_TRUE(server.running());
#endif
    TempDataFolder dir;
    for (int i = 0; i < 3; ++i)
        WriteTestJpeg(dir / (std::string(1, static_cast<char>('a' + i)) + ".jpg"), 320, 240,
                      kColours[i], kColours[i]);
    SaverApp.SlideMillis = 10000;  // a change: this and a fade of about a second
    uint32_t now = 1000;
    SetManualTickCount(now);
    RunMode = Preview;
    ASSERT_EQ(CreateSaverWindow(HostOptions{}), 1);

    const struct {
        const char* what;
        Power power;  // sent before the turns
        int turns;
        uint32_t millisPerTurn;
        int minPresented, maxPresented;
        int changesShown;  // since the first row's photo; -1: not looked at
    } rows[] = {
        {"lit: the intro fade, frame by frame", Power::Same, 60, 20, 51, 60, 0},
        {"off while two changes fall due: nothing drawn or loaded", Power::Off, 3, 7500, 0, 0, -1},
        {"back on: the first frame shows the photo due", Power::On, 1, 0, 1, 1, 2},
        {"lit, still: nothing presented again", Power::Same, 5, 20, 0, 0, 2},
        {"off while one change falls due", Power::Off, 2, 6000, 0, 0, -1},
        {"dimmed counts as lit: the next photo at once", Power::Dimmed, 1, 0, 1, 1, 3},
    };
    int32_t first = -1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.power != Power::Same) Send(row.power);
        EXPECT_EQ(DisplayPowered(), row.power != Power::Off);
        const int32_t index = PhotoIndex, state = SlideState;
        int presented = 0;
        for (int t = 0; t < row.turns; ++t) {
            SetManualTickCount(now += row.millisPerTurn);
            presented += SaverTurn() ? 1 : 0;
        }
        EXPECT_GE(presented, row.minPresented);
        EXPECT_LE(presented, row.maxPresented);
        if (row.power == Power::Off) {
            EXPECT_TRUE(PhotoIndex == index && SlideState == state);
        }
        if (row.changesShown < 0) continue;
        const int32_t shown = ShownPhoto();
        ASSERT_GE(shown, 0);
        if (first < 0) first = shown;
        EXPECT_EQ(shown, (first + row.changesShown) % 3);
    }
    DestroySaverWindow();
    ResetClocks();
}

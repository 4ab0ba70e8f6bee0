// The desktop's wish for stillness, set the way each desktop keeps it: on
// Windows the accessibility switch; on Linux GNOME's key in a GSettings
// keyfile, read by a fresh copy of this binary per row (GIO reads the
// environment once).
#include "host/reduced_motion.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"
#endif

TEST(ReducedMotion, FollowsTheDesktopsSwitch) {
#ifdef _WIN32
    for (BOOL animate : {FALSE, TRUE}) {
        // Without SPIF_UPDATEINIFILE: for this session only.
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0,
                                          reinterpret_cast<void*>(static_cast<INT_PTR>(animate)),
                                          0));
        EXPECT_EQ(DesktopWantsReducedMotion(), !animate);
    }
#else
    if (const char* dir = std::getenv("SKYREEL_MOTION_DIR")) {  // the asking child
        setenv("GSETTINGS_BACKEND", "keyfile", 1);
        setenv("XDG_CONFIG_HOME", dir, 1);
        std::ofstream(std::string(dir) + "/answer")
            << (DesktopWantsReducedMotion() ? "still" : "moving");
        return;
    }
    struct {
        const char* keyfile;  // null: no keyfile at all
        bool schemas;         // the desktop's schemas are installed
        const char* answer;
    } const rows[] = {
        {"[org/gnome/desktop/interface]\nenable-animations=false\n", true, "still"},
        {"[org/gnome/desktop/interface]\nenable-animations=true\n", true, "moving"},
        {nullptr, true, "moving"},
        {"[org/gnome/desktop/interface]\nenable-animations=false\n", false, "moving"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << (row.keyfile ? row.keyfile : "none") << row.schemas);
        TempDir dir;
        std::filesystem::create_directories(dir / "glib-2.0/settings");
        if (row.keyfile) std::ofstream(dir / "glib-2.0/settings/keyfile") << row.keyfile;
        const std::string command = "env SKYREEL_MOTION_DIR=" + dir.path().string() +
                                    (row.schemas ? "" : " XDG_DATA_DIRS=" + dir.path().string()) +
                                    " " + std::filesystem::read_symlink("/proc/self/exe").string() +
                                    " --gtest_filter='ReducedMotion.*' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::string answer;
        std::ifstream(dir / "answer") >> answer;
        EXPECT_EQ(answer, row.answer);
    }
#endif
}

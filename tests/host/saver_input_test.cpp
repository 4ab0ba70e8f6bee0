// The input rule of the saver window, per run mode, on the plain events
// every window backend delivers.
#include "host/saver_input.h"

#include <gtest/gtest.h>

namespace {
constexpr bool kSaver = true;     // the full-screen window of our own
constexpr bool kPreview = false;  // a preview, or a foreign window

InputVerdict Judge(bool endsByInput, SaverInput in) {
    InputRuleState state;
    return JudgeInput(state, endsByInput, in);
}

SaverInput Move(int x, int y) {
    return {InputKind::MouseMove, x, y};
}

SaverInput SystemKey(bool closes) {
    SaverInput in{InputKind::SystemKey};
    in.closes = closes;
    return in;
}
}  // namespace

TEST(SaverInput, KeysAndButtonsEndTheSaverAndAreSwallowedByAPreview) {
    for (InputKind k : {InputKind::Key, InputKind::Button}) {
        EXPECT_EQ(Judge(kSaver, {k}), InputVerdict::Quit);
        EXPECT_EQ(Judge(kPreview, {k}), InputVerdict::Swallow);
    }
}

TEST(SaverInput, SystemKeysAndTheWheelGetDefaultProcessingButAltF4Closes) {
    for (bool mode : {kSaver, kPreview}) {
        EXPECT_EQ(Judge(mode, SystemKey(false)), InputVerdict::Default);
        EXPECT_EQ(Judge(mode, {InputKind::Wheel}), InputVerdict::Default);
    }
    EXPECT_EQ(Judge(kSaver, SystemKey(true)), InputVerdict::Quit);
    // In a preview the system's own handling of Alt+F4 applies, not ours.
    EXPECT_EQ(Judge(kPreview, SystemKey(true)), InputVerdict::Default);
}

TEST(SaverInput, CloseAndAVanishedWindowEndEveryMode) {
    for (bool mode : {kSaver, kPreview}) {
        EXPECT_EQ(Judge(mode, {InputKind::CloseRequest}), InputVerdict::Quit);
        EXPECT_EQ(Judge(mode, {InputKind::WindowGone}), InputVerdict::Quit);
    }
}

TEST(SaverInput, TheFirstPositionOnlyRecordsAndOnePixelAwayEndsTheSaver) {
    InputRuleState s;
    EXPECT_EQ(JudgeInput(s, kSaver, Move(100, 100)), InputVerdict::Default);
    EXPECT_EQ(s.mouseX, 100);
    EXPECT_EQ(JudgeInput(s, kSaver, Move(100, 100)), InputVerdict::Default);
    EXPECT_EQ(JudgeInput(s, kSaver, Move(100, 101)), InputVerdict::Quit);
    // The stored position is not changed by the move that ends the saver.
    EXPECT_EQ(s.mouseY, 100);

    // Positions are 16-bit unsigned numbers, as in a message's lParam, so a
    // negative coordinate is a large one and never reads as "none seen yet".
    InputRuleState w;
    EXPECT_EQ(JudgeInput(w, kSaver, Move(-1, 5)), InputVerdict::Default);
    EXPECT_EQ(w.mouseX, 65535);
    EXPECT_EQ(JudgeInput(w, kSaver, Move(65535, 5)), InputVerdict::Default);
    EXPECT_EQ(JudgeInput(w, kSaver, Move(0, 5)), InputVerdict::Quit);
}

TEST(SaverInput, APreviewNeverEndsByMovement) {
    InputRuleState s;
    EXPECT_EQ(JudgeInput(s, kPreview, Move(1, 1)), InputVerdict::Default);
    EXPECT_EQ(JudgeInput(s, kPreview, Move(300, 200)), InputVerdict::Default);
    EXPECT_LT(s.mouseX, 0);  // nothing recorded
}

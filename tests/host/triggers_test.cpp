#include "host/triggers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// The slides that follow `transitions` changes, one letter each:
// P photo, C current panel, F forecast panel, N notice.
std::string Schedule(int transitions, bool weather, bool notices, bool newer) {
    std::string out;
    for (int i = 0; i < transitions; ++i) {
        switch (ChooseInterlude(weather, notices, newer)) {
            case Interlude::NextPhoto:
                out += 'P';
                break;
            case Interlude::CurrentPanel:
                out += 'C';
                break;
            case Interlude::ForecastPanel:
                out += 'F';
                break;
            case Interlude::Notice:
                out += 'N';
                break;
        }
    }
    return out;
}

std::string Photos(int n) {
    return std::string(n, 'P');
}

class TriggerSchedule : public ::testing::Test {
  protected:
    void SetUp() override {
        Triggers = TriggerState{};
        ResetTriggersAtStart();
    }
};
}  // namespace

TEST_F(TriggerSchedule, PanelsThenNoticeEveryTwentiethTransition) {
    std::string expected = Photos(19) + "CFN" + Photos(17) + "CFN" + Photos(17) + "C";
    EXPECT_EQ(Schedule(60, true, true, true), expected);
    EXPECT_EQ(Triggers.TransitionCount, 60);
}

TEST_F(TriggerSchedule, PanelsWithoutNoticeGiveBackTheSlideToAPhoto) {
    EXPECT_EQ(Schedule(45, true, true, false), Photos(19) + "CF" + Photos(18) + "CF" + Photos(4));
    ResetTriggersAtStart();
    EXPECT_EQ(Schedule(23, true, false, true), Photos(19) + "CF" + Photos(2));
}

TEST_F(TriggerSchedule, NoticeAloneWhenWeatherIsOff) {
    EXPECT_EQ(Schedule(41, false, true, true), Photos(19) + "N" + Photos(19) + "N" + "P");
    ResetTriggersAtStart();
    EXPECT_EQ(Schedule(41, false, false, true), Photos(41));
}

TEST_F(TriggerSchedule, StartResetsTheCountAndQueuedPanels) {
    Schedule(20, true, true, true);  // the current panel is queued
    EXPECT_TRUE(Triggers.FirstPanelQueued);
    ResetTriggersAtStart();
    EXPECT_FALSE(Triggers.FirstPanelQueued);
    EXPECT_EQ(Schedule(20, true, true, true), Photos(19) + "C");
}

TEST_F(TriggerSchedule, PeriodicCheckArmsFirstThenFiresMoreThanFiveSecondsApart) {
    EXPECT_FALSE(PeriodicCheckFires(1000));  // arms
    EXPECT_FALSE(PeriodicCheckFires(6000));  // exactly 5000 ms: not yet
    EXPECT_TRUE(PeriodicCheckFires(6001));
    EXPECT_FALSE(PeriodicCheckFires(11001));
    EXPECT_TRUE(PeriodicCheckFires(11002));
    // The tick counter wraps; differences are taken modulo 2^32.
    Triggers.LastRefreshCheck = 0xFFFFF000u;
    EXPECT_FALSE(PeriodicCheckFires(0x00000100u));
    EXPECT_TRUE(PeriodicCheckFires(0x00000A00u));
}

TEST_F(TriggerSchedule, HarvestAtStartBelowTwentyPhotos) {
    EXPECT_TRUE(HarvestWantedAtStart(0));
    EXPECT_TRUE(HarvestWantedAtStart(19));
    EXPECT_FALSE(HarvestWantedAtStart(20));
}

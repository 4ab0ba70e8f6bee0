// The location dialog's states driven by plain inputs, without any dialog
// or thread: the outcome of a search is handed in as RunLocationSearch
// would return it.
#include "setup/location_dialog_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/location_search.h"

namespace {
const std::vector<std::u16string> kTwoLines = {u"New York, NY \u2014 USNY0996",
                                               u"London, United Kingdom \u2014 UKXX0085"};

SearchOutcome Found(std::vector<std::u16string> lines) {
    return {SearchOutcome::Places, std::move(lines), {}};
}

// A step that asks the backend for nothing at all.
bool Ignored(const LocationDialogStep& step) {
    return !step.viewChanged && !step.warnEmptySearch && !step.query && !step.end;
}

void ExpectView(const LocationDialogState& state, const std::vector<std::u16string>& lines,
                int selected, bool searchEnabled, bool okEnabled) {
    EXPECT_EQ(state.view.lines, lines);
    EXPECT_EQ(state.view.selected, selected);
    EXPECT_EQ(state.view.searchEnabled, searchEnabled);
    EXPECT_EQ(state.view.okEnabled, okEnabled);
}

TEST(LocationDialogStates, SearchShowsTheWaitingLineThenSelectsTheFirstPlace) {
    LocationDialogState state;
    ExpectView(state, {}, -1, true, false);

    auto step = PressSearch(state, u" \t New York  ");
    EXPECT_TRUE(step.viewChanged);
    EXPECT_FALSE(step.warnEmptySearch);
    // Leading blanks are not sent; blanks at the end stay.
    EXPECT_EQ(step.query, u"New York  ");
    EXPECT_EQ(state.phase, LocationDialogState::Searching);
    ExpectView(state, {kSearchingLine}, -1, false, false);

    step = SearchEnded(state, Found(kTwoLines));
    EXPECT_TRUE(step.viewChanged);
    EXPECT_FALSE(step.query || step.end);
    EXPECT_EQ(state.phase, LocationDialogState::Idle);
    ExpectView(state, kTwoLines, 0, true, true);

    // A new search disables OK again.
    PressSearch(state, u"Oslo");
    ExpectView(state, {kSearchingLine}, -1, false, false);
}

TEST(LocationDialogStates, ASearchTextIsCutTo98Characters) {
    LocationDialogState state;
    auto step = PressSearch(state, std::u16string(150, u'x'));
    EXPECT_EQ(step.query, std::u16string(98, u'x'));
}

TEST(LocationDialogStates, AnEmptySearchTextOnlyWarns) {
    for (const char16_t* typed : {u"", u" ", u" \t\r\n "}) {
        LocationDialogState state;
        auto step = PressSearch(state, typed);
        EXPECT_TRUE(step.warnEmptySearch);
        EXPECT_FALSE(step.viewChanged || step.query || step.end);
        EXPECT_EQ(state.phase, LocationDialogState::Idle);
        ExpectView(state, {}, -1, true, false);
    }
    // The places found before stay listed and selectable.
    LocationDialogState state;
    PressSearch(state, u"London");
    SearchEnded(state, Found(kTwoLines));
    EXPECT_TRUE(PressSearch(state, u"  ").warnEmptySearch);
    ExpectView(state, kTwoLines, 0, true, true);
}

TEST(LocationDialogStates, FailedSearchesShowTheirLineAndKeepOkDisabled) {
    struct Case {
        SearchOutcome outcome;
        const char16_t* line;
    } cases[] = {
        {{SearchOutcome::NothingFound, {}, {}}, kNotFoundLine},
        {{SearchOutcome::ConnectionFailed, {}, {}}, kConnectionLine},
        // Places without a line have nothing to select.
        {Found({}), kNotFoundLine},
    };
    for (const auto& c : cases) {
        LocationDialogState state;
        PressSearch(state, u"Oslo");
        EXPECT_TRUE(SearchEnded(state, c.outcome).viewChanged);
        EXPECT_EQ(state.phase, LocationDialogState::Idle);
        ExpectView(state, {c.line}, -1, true, false);
    }
}

TEST(LocationDialogStates, OneSearchAtATime) {
    LocationDialogState state;
    PressSearch(state, u"slow");
    EXPECT_TRUE(Ignored(PressSearch(state, u"second")));
    EXPECT_TRUE(Ignored(PressSearch(state, u"")));  // no warning either
    ExpectView(state, {kSearchingLine}, -1, false, false);
    // Search is possible again once the outcome is in; a second outcome is stray.
    SearchEnded(state, {SearchOutcome::NothingFound, {}, {}});
    EXPECT_TRUE(Ignored(SearchEnded(state, Found(kTwoLines))));
    ExpectView(state, {kNotFoundLine}, -1, true, false);
    EXPECT_EQ(PressSearch(state, u"second").query, u"second");
}

TEST(LocationDialogStates, OutcomesWithoutARunningSearchAreDropped) {
    LocationDialogState fresh;
    EXPECT_TRUE(Ignored(SearchEnded(fresh, Found(kTwoLines))));
    ExpectView(fresh, {}, -1, true, false);

    // The dialog closed while its search ran.
    LocationDialogState state;
    PressSearch(state, u"slow");
    auto step = PressCancel(state);
    EXPECT_EQ(step.end, LocationDialogEnd::Cancelled);
    EXPECT_EQ(state.phase, LocationDialogState::Closed);
    EXPECT_TRUE(Ignored(SearchEnded(state, Found(kTwoLines))));
    ExpectView(state, {kSearchingLine}, -1, false, false);
    // Nothing else acts on a closed dialog, so it never ends twice.
    PendingLocationRecord pending;
    EXPECT_TRUE(Ignored(PressSearch(state, u"Oslo")));
    EXPECT_TRUE(Ignored(PressOk(state, kTwoLines[0], pending)));
    EXPECT_TRUE(Ignored(PressCancel(state)));
    EXPECT_TRUE(pending.name.empty());
}

TEST(LocationDialogStates, OkTakesAPlaceLineAndTreatsAnyOtherAsCancel) {
    LocationDialogState state;
    PressSearch(state, u"London");
    SearchEnded(state, Found(kTwoLines));
    PendingLocationRecord pending;
    auto step = PressOk(state, kTwoLines[1], pending);
    EXPECT_EQ(step.end, LocationDialogEnd::Taken);
    EXPECT_FALSE(step.viewChanged || step.query);
    EXPECT_EQ(state.phase, LocationDialogState::Closed);
    EXPECT_EQ(pending.name.view(), u"London, United Kingdom");
    EXPECT_EQ(pending.id.view(), u"UKXX0085");

    // A fixed line (also the waiting line, by a double click while the search
    // runs) or no selection ends the dialog as Cancel and keeps the place taken before.
    for (const char16_t* line : {kNotFoundLine, kConnectionLine, kSearchingLine, u""}) {
        LocationDialogState other;
        PressSearch(other, u"Oslo");
        EXPECT_EQ(PressOk(other, line, pending).end, LocationDialogEnd::Cancelled);
        EXPECT_EQ(other.phase, LocationDialogState::Closed);
        EXPECT_EQ(pending.id.view(), u"UKXX0085");
    }
}
}  // namespace

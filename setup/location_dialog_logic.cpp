// The location dialog's transitions. The view is rebuilt whole on each
// change, so a backend never has to know which control a step touched.
#include "setup/location_dialog_logic.h"

namespace {
// One line in the list, nothing selected, OK disabled.
// A listed place without its code in the line: the line is the name.
bool TakeListedPlace(const LocationDialogState& state, std::u16string_view line,
                     PendingLocationRecord& out) {
    for (std::size_t i = 0; i < state.codes.size() && i < state.view.lines.size(); ++i) {
        if (state.view.lines[i] != line) continue;
        out.name.Assign(line);
        out.id = state.codes[i];
        return true;
    }
    return false;
}

void ShowFixedLine(LocationDialogView& view, std::u16string_view line, bool searchEnabled) {
    view.lines.assign(1, std::u16string(line));
    view.selected = -1;
    view.searchEnabled = searchEnabled;
    view.okEnabled = false;
}

LocationDialogStep Close(LocationDialogState& state, LocationDialogEnd end) {
    state.phase = LocationDialogState::Closed;
    LocationDialogStep step;
    step.end = end;
    return step;
}
}  // namespace

LocationDialogStep PressSearch(LocationDialogState& state, std::u16string_view typed) {
    LocationDialogStep step;
    if (state.phase != LocationDialogState::Idle) return step;
    SearchText text(typed);
    TrimLeadingBlanks(text);
    if (text.empty()) {
        step.warnEmptySearch = true;
        return step;
    }
    state.phase = LocationDialogState::Searching;
    state.codes.clear();
    ShowFixedLine(state.view, kSearchingLine, false);
    step.viewChanged = true;
    step.query = text.str();
    return step;
}

LocationDialogStep SearchEnded(LocationDialogState& state, const SearchOutcome& outcome) {
    LocationDialogStep step;
    if (state.phase != LocationDialogState::Searching) return step;
    state.phase = LocationDialogState::Idle;
    switch (outcome.kind) {
        case SearchOutcome::Places:
            if (!outcome.lines.empty()) {
                state.view.lines = outcome.lines;
                state.codes = outcome.codes;
                state.view.selected = 0;
                state.view.searchEnabled = true;
                state.view.okEnabled = true;
                break;
            }
            [[fallthrough]];  // places without a line: nothing to select
        case SearchOutcome::NothingFound:
            ShowFixedLine(state.view, kNotFoundLine, true);
            break;
        case SearchOutcome::ConnectionFailed:
            ShowFixedLine(state.view, kConnectionLine, true);
            break;
    }
    step.viewChanged = true;
    return step;
}

LocationDialogStep PressOk(LocationDialogState& state, std::u16string_view selectedLine,
                           PendingLocationRecord& pending) {
    if (state.phase == LocationDialogState::Closed) return {};
    bool taken = state.codes.empty() ? TakeLocationLine(selectedLine, pending)
                                     : TakeListedPlace(state, selectedLine, pending);
    return Close(state, taken ? LocationDialogEnd::Taken : LocationDialogEnd::Cancelled);
}

LocationDialogStep PressCancel(LocationDialogState& state) {
    if (state.phase == LocationDialogState::Closed) return {};
    return Close(state, LocationDialogEnd::Cancelled);
}

// Which input ends the saver: the window procedure's rules, on plain input
// events that every window backend delivers. The backend only translates
// its events and acts on the verdict.
//
//   event                      Saver (own window)   Preview / foreign window
//   key down or up             quit                 swallowed
//   system key (Alt held, F10) default processing   default processing
//     Alt+F4                   quit (its close)     default processing
//   button 1..3 down           quit                 swallowed
//   wheel                      default processing   default processing
//   mouse move                 the mouse rule       default processing
//   close request              quit                 quit
//   window or parent gone      quit                 quit
//
// The mouse rule: the first position seen is stored; the same position again
// does nothing; any other position ends the saver, with no threshold.
#pragma once

#include <cstdint>

enum class InputKind { Key, SystemKey, Button, Wheel, MouseMove, CloseRequest, WindowGone };

struct SaverInput {
    InputKind kind = InputKind::Key;
    // MouseMove: the position in the window, as 16-bit unsigned numbers.
    int x = 0;
    int y = 0;
    // SystemKey: Alt+F4, whose default processing closes the window. A
    // backend whose system delivers that close by itself leaves it false.
    bool closes = false;
};

enum class InputVerdict { Default, Swallow, Quit };

// What the rule keeps between events: the first mouse position, negative
// until one is seen. Main thread only, one per window.
struct InputRuleState {
    int mouseX = -1;
    int mouseY = -1;
};

// `endsByInput` is true only for the saver's own full-screen window (Saver
// mode); a preview and a foreign window never end by input.
InputVerdict JudgeInput(InputRuleState& state, bool endsByInput, const SaverInput& in);

// What ended the saver, for the event log: "input: key" and so on.
const char* InputName(InputKind kind);

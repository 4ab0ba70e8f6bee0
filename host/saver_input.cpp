#include "host/saver_input.h"

namespace {
InputVerdict MouseRule(InputRuleState& s, int x, int y) {
    x &= 0xFFFF;
    y &= 0xFFFF;
    if (s.mouseX < 0 || s.mouseY < 0) {
        s.mouseX = x;
        s.mouseY = y;
        return InputVerdict::Default;
    }
    if (x == s.mouseX && y == s.mouseY) return InputVerdict::Default;
    return InputVerdict::Quit;
}
}  // namespace

InputVerdict JudgeInput(InputRuleState& state, bool endsByInput, const SaverInput& in) {
    switch (in.kind) {
        case InputKind::Key:
        case InputKind::Button:
            return endsByInput ? InputVerdict::Quit : InputVerdict::Swallow;
        case InputKind::SystemKey:
            return endsByInput && in.closes ? InputVerdict::Quit : InputVerdict::Default;
        case InputKind::MouseMove:
            return endsByInput ? MouseRule(state, in.x, in.y) : InputVerdict::Default;
        case InputKind::CloseRequest:
        case InputKind::WindowGone:
            return InputVerdict::Quit;
        case InputKind::Wheel:
            break;
    }
    return InputVerdict::Default;
}

const char* InputName(InputKind kind) {
    switch (kind) {
        case InputKind::Key:
            return "input: key";
        case InputKind::SystemKey:
            return "input: system key";
        case InputKind::Button:
            return "input: mouse button";
        case InputKind::Wheel:
            return "input: mouse wheel";
        case InputKind::MouseMove:
            return "input: mouse movement";
        case InputKind::CloseRequest:
            return "input: close request";
        case InputKind::WindowGone:
            return "the window went away";
    }
    return "input";
}

#include "host/command_line.h"

#include <charconv>

#include "base/text.h"
#include "host/run_mode.h"

int32_t RunMode = Saver;
uint64_t ParentWindow = 0;

CommandLineMode ParseRunMode(std::u16string_view commandLine) {
    CommandLineMode m;
    if (commandLine.empty()) return m;
    std::u16string upper = ToUpperAscii(commandLine);
    auto readParent = [&](std::size_t slash) -> uint64_t {
        std::size_t from = slash + 3;
        if (from >= upper.size()) return 0;
        int32_t v = ParseDecimal(std::u16string_view(upper).substr(from));
        // A window handle is unsigned; the C library's conversion of a
        // negative number would wrap, which names no window we can use.
        return v < 0 ? 0 : static_cast<uint64_t>(v);
    };
    std::size_t c = upper.find(u"/C");
    std::size_t p = upper.find(u"/P");
    if (c != std::u16string::npos) {
        m.runMode = Setup;
        m.parentWindow = readParent(c);
    } else if (p != std::u16string::npos) {
        m.runMode = Preview;
        m.parentWindow = readParent(p);
    }
    return m;
}

bool ParseWindowId(std::string_view text, uint64_t& id) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id, base);
    return ec == std::errc() && end == text.data() + text.size() && id != 0;
}

const char kUsageText[] =
    "Usage: skyreel [/S | /C[:ID] | /P ID] [options]\n"
    "\n"
    "Switches (any case, anywhere on the line):\n"
    "  /S              run the saver full-screen (the default)\n"
    "  /C[:ID]         show the setup dialog, optionally owned by X window ID\n"
    "  /P ID           draw a preview inside X window ID\n"
    "\n"
    "Options (one or two dashes):\n"
    "  --site URL      send every request to URL (http://host[:port]) instead of\n"
    "                  the real services, keeping their paths; for the demo site\n"
    "  --slide-ms N    show each slide for N milliseconds (default 10000)\n"
    "  --window-id ID  draw into the existing X window ID (hex 0x... or decimal)\n"
    "  --root          draw into $XSCREENSAVER_WINDOW, or else the root window\n"
    "  --help          print this text\n";

HostOptions ParseHostOptions(const std::vector<std::string>& args) {
    HostOptions o;
    std::string rest;
    auto isOption = [](const std::string& a) {
        return a.size() >= 2 && a[0] == '-' &&
               ((a[1] >= 'a' && a[1] <= 'z') || (a[1] >= 'A' && a[1] <= 'Z') || a[1] == '-');
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!isOption(a)) {
            if (!rest.empty()) rest += ' ';
            rest += a;
            continue;
        }
        std::string name = a.substr(a[1] == '-' ? 2 : 1);
        std::string value;
        bool hasValue = false;
        if (auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        if (name == "help" || name == "h") {
            o.help = true;
        } else if (name == "root") {
            o.root = true;
        } else if (name == "site") {
            if (!takeValue() || value.empty()) {
                o.error = "--site needs a URL";
            } else {
                o.site = Utf8ToUtf16(value);
            }
        } else if (name == "slide-ms") {
            int v = 0;
            auto [end, ec] =
                takeValue() ? std::from_chars(value.data(), value.data() + value.size(), v)
                            : std::from_chars_result{nullptr, std::errc::invalid_argument};
            if (ec != std::errc() || end != value.data() + value.size() || v < 1 ||
                v > 24 * 3600 * 1000) {
                o.error = "--slide-ms needs a number of milliseconds";
            } else {
                o.slideMillis = v;
            }
        } else if (name == "window-id") {
            if (!takeValue() || !ParseWindowId(value, o.windowId)) {
                o.error = "--window-id needs a window ID";
            } else {
                o.hasWindowId = true;
            }
        } else {
            o.error = "unknown option " + a;
        }
        if (!o.error.empty()) return o;
    }
    o.mode = ParseRunMode(Utf8ToUtf16(rest));
    return o;
}

#include "host/command_line.h"

#include <algorithm>
#include <charconv>

#include "base/fixed_text.h"
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
        // Hosts may print a handle as a signed number. Windows sign-extends
        // a 32-bit handle to the pointer's width, which the two's complement
        // of the signed value keeps; a 64-bit value stays whole.
        return static_cast<uint64_t>(ParseDecimal64(std::u16string_view(upper).substr(from)));
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

namespace {
// One row per option: its name, the value it takes (null for none), the help
// text and how it is stored. The parser and the help text both read this
// table, so an option is added here and nowhere else.
struct OptionRow {
    const char* name;
    const char* alias;      // a second accepted name, or null
    const char* valueName;  // shown in the help text; null for a flag
    const char* help;       // lines separated by "\n"
    // Stores the value; false when it is not understood (`error` says why).
    bool (*store)(HostOptions& o, const std::string& value);
    const char* error;
};

constexpr int32_t kMaxSlideMillis = 24 * 3600 * 1000;

bool StoreSite(HostOptions& o, const std::string& value) {
    if (value.empty()) return false;
    o.site = Utf8ToUtf16(value);
    return true;
}

bool StorePhotos(HostOptions& o, const std::string& value) {
    if (value != "commons" && value != "site") return false;
    o.photos = value;
    return true;
}

bool StoreWeather(HostOptions& o, const std::string& value) {
    if (value != "open-meteo" && value != "site") return false;
    o.weather = value;
    return true;
}

// The folder must name itself exactly: argv bytes that are no UTF-8 would
// come back as another path, and a path longer than the saver's paths would
// be cut into another folder's name.
bool StoreFolder(HostOptions& o, const std::string& value) {
    std::u16string folder = Utf8ToUtf16(value);
    if (value.empty() || Utf16ToUtf8(folder) != value || folder.size() > PathText::kCapacity)
        return false;
    o.folder = std::move(folder);
    return true;
}

// A switch without a value only turns its flag on.
template <bool HostOptions::*Flag>
bool StoreFlag(HostOptions& o, const std::string&) {
    o.*Flag = true;
    return true;
}

bool StoreSlideMillis(HostOptions& o, const std::string& value) {
    int v = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (ec != std::errc() || end != value.data() + value.size() || v < 1 || v > kMaxSlideMillis)
        return false;
    o.slideMillis = v;
    return true;
}

bool StoreWindowId(HostOptions& o, const std::string& value) {
    if (!ParseWindowId(value, o.windowId)) return false;
    o.hasWindowId = true;
    return true;
}

constexpr OptionRow kOptions[] = {
    {"site", nullptr, "URL",
     "send every request to URL (http[s]://host[:port]) instead of\n"
     "the real services, Wikimedia's included, keeping their paths;\n"
     "for the demo site",
     StoreSite, "--site needs a URL"},
    {"photos", nullptr, "SOURCE",
     "where photos come from: commons (Wikimedia Commons, the default\n"
     "without --site) or site (the photo site, the default with --site)",
     StorePhotos, "--photos needs commons or site"},
    {"weather", nullptr, "PROVIDER",
     "where the weather comes from: open-meteo (Open-Meteo, the default\n"
     "without --site) or site (the weather site, the default with --site)",
     StoreWeather, "--weather needs open-meteo or site"},
    {"folder", nullptr, "DIR",
     "show the JPEG photos in DIR and its subfolders instead of\n"
     "harvested ones, for this run; DIR is only read, and nothing\n"
     "is harvested",
     StoreFolder, "--folder needs a folder path of at most 259 characters"},
    {"credits", nullptr, nullptr,
     "print the credit of each cached photo that has one:\n"
     "file name, author, licence, page address, title (tab-separated)",
     StoreFlag<&HostOptions::credits>, nullptr},
    {"blur-edges", nullptr, nullptr,
     "fill the edges beside a photo with a blur of it, for this run",
     StoreFlag<&HostOptions::blurEdges>, nullptr},
    {"gentle-motion", nullptr, nullptr,
     "zoom and pan each photo slowly, for this run (not when the\n"
     "desktop asks for reduced motion)",
     StoreFlag<&HostOptions::gentleMotion>, nullptr},
    {"slide-ms", nullptr, "N", "show each slide for N milliseconds (default 10000)",
     StoreSlideMillis, "--slide-ms needs a number of milliseconds"},
    {"window-id", nullptr, "ID", "draw into the existing X window ID (hex 0x... or decimal)",
     StoreWindowId, "--window-id needs a window ID"},
    {"root", nullptr, nullptr, "draw into $XSCREENSAVER_WINDOW, or else the root window",
     StoreFlag<&HostOptions::root>, nullptr},
    {"verbose", nullptr, nullptr,
     "write one timestamped line per event (requests, harvest passes,\n"
     "cache scans, interludes, the end of the run) to standard error",
     StoreFlag<&HostOptions::verbose>, nullptr},
    {"version", nullptr, nullptr, "print the program's name and version",
     StoreFlag<&HostOptions::version>, nullptr},
    {"help", "h", nullptr, "print this text", StoreFlag<&HostOptions::help>, nullptr},
};

const OptionRow* FindOption(const std::string& name) {
    for (const OptionRow& row : kOptions)
        if (name == row.name || (row.alias && name == row.alias)) return &row;
    return nullptr;
}

bool IsOption(const std::string& a) {
    return a.size() >= 2 && a[0] == '-' &&
           ((a[1] >= 'a' && a[1] <= 'z') || (a[1] >= 'A' && a[1] <= 'Z') || a[1] == '-');
}
}  // namespace

std::string UsageText() {
    constexpr std::size_t kHelpColumn = 18;
    std::string text =
        "Usage: skyreel [/S | /C[:ID] | /P ID] [options]\n"
        "\n"
        "Switches (any case, anywhere on the line):\n"
        "  /S              run the saver full-screen (the default)\n"
        "  /C[:ID]         show the setup dialog, optionally owned by X window ID\n"
        "  /P ID           draw a preview inside X window ID\n"
        "\n"
        "Options (one or two dashes):\n";
    for (const OptionRow& row : kOptions) {
        std::string head = std::string("  --") + row.name;
        if (row.valueName) head += std::string(" ") + row.valueName;
        head.resize(std::max(head.size() + 2, kHelpColumn), ' ');
        std::string_view help = row.help;
        for (bool first = true; !help.empty(); first = false) {
            std::size_t nl = help.find('\n');
            text += first ? head : std::string(kHelpColumn, ' ');
            text += help.substr(0, nl);
            text += '\n';
            help = nl == std::string_view::npos ? std::string_view() : help.substr(nl + 1);
        }
    }
    return text;
}

HostOptions ParseHostOptions(const std::vector<std::string>& args) {
    HostOptions o;
    std::string rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!IsOption(a)) {
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
        const OptionRow* row = FindOption(name);
        if (!row) {
            o.error = "unknown option " + a;
            return o;
        }
        if (row->valueName && !hasValue && i + 1 < args.size()) {
            value = args[++i];
            hasValue = true;
        }
        bool ok =
            row->valueName ? hasValue && row->store(o, value) : !hasValue && row->store(o, value);
        if (!ok) {
            o.error = row->error ? row->error : std::string("--") + row->name + " takes no value";
            return o;
        }
    }
    o.mode = ParseRunMode(Utf8ToUtf16(rest));
    return o;
}

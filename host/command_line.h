// The screensaver host's command line and the Linux hack options.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CommandLineMode {
    int32_t runMode = 0;  // RunModeValue
    uint64_t parentWindow = 0;
};

// The switch rule: the text is upper-cased and searched anywhere for "/C",
// "/P" and "/S"; "/C" wins over "/P"; the parent window is read in base 10
// from three characters after the "/", stopping at the end of the text.
CommandLineMode ParseRunMode(std::u16string_view commandLine);

struct HostOptions {
    CommandLineMode mode;
    std::u16string site;        // --site URL, empty when not given
    std::string photos;         // --photos commons|site, empty when not given
    std::string weather;        // --weather open-meteo|site, empty when not given
    std::u16string folder;      // --folder DIR, empty when not given
    bool credits = false;       // --credits
    bool blurEdges = false;     // --blur-edges
    bool gentleMotion = false;  // --gentle-motion
    int32_t slideMillis = -1;   // --slide-ms N, -1 when not given
    bool hasWindowId = false;   // --window-id ID
    uint64_t windowId = 0;
    bool root = false;     // --root
    bool help = false;     // --help
    bool version = false;  // --version
    bool verbose = false;  // --verbose
    std::string error;     // set when the options are not understood
};

// argv[1..]: options of one or two dashes are taken out with their values
// ("--name value" or "--name=value"); what remains is joined with single
// blanks and read by ParseRunMode.
HostOptions ParseHostOptions(const std::vector<std::string>& args);

// Window IDs as XScreenSaver writes them: hex "0x..." or decimal.
bool ParseWindowId(std::string_view text, uint64_t& id);

// The switches and every option of the table, for --help.
std::string UsageText();

// The settings file loader: whatever "settings.cfg" holds, loading never
// fails, the saver then writes a file of its own, and a file the saver
// wrote reads back unchanged (loading it writes nothing, saving it again
// gives the same bytes). Nothing else appears in the data folder.
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "settings/settings.h"

namespace {
std::filesystem::path g_folder;
}

// Each input opens, writes and renames real files a dozen times, and the
// allocations of the file streams would otherwise land on fresh pages behind
// the default 256 MiB quarantine (about a third of the time went to page
// faults). A small quarantine still catches a use after free of this input's
// own blocks.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=4:max_malloc_fill_size=0";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_folder = MakeFuzzDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path file = g_folder / "settings.cfg";
    WriteBytes(file, Bytes(data, size));
    Settings = SettingsRecord{};
    LoadSettings();
    Require(Settings.dloption >= 0 && Settings.dloption <= 4, "the gallery index is in range");
    Require(!SaveSettings(), "the file is written");
    const std::string written = ReadBytes(file);
    Require(!written.empty() && written.size() % 2 == 0, "the saver's file is UTF-16");

    Settings = SettingsRecord{};
    LoadSettings();
    Require(ReadBytes(file) == written, "loading the saver's own file writes nothing");
    Require(!SaveSettings(), "the file is written again");
    Require(ReadBytes(file) == written, "a file the saver wrote reads back unchanged");
    Require(FolderListing(g_folder) == "settings.cfg\n", "no other file in the data folder");
    return 0;
}

// settings.cfg: UTF-16LE "key=value" entries separated by one "\n", keys in
// a fixed order, no byte-order mark and no final line end. The reader is
// deliberately literal (keys matched whole without trimming, values taken
// verbatim), so a file written by any earlier version reads the same way.
#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "base/file_io.h"
#include "base/platform.h"
#include "base/process_state.h"
#include "base/saver_app.h"
#include "base/text.h"
#include "settings/gallery_table.h"

SettingsRecord Settings;
std::mutex SettingsLock;

namespace {
constexpr std::u16string_view kFileName = u"settings.cfg";

// The keys the writer adds when a caller does not pass them, in file order.
// The keys from kTempUnit on come last and only while set (or changed),
// after the bound below, so that the six keys and the gallery read as they
// always did and a fresh file keeps its size.
enum StandardKey {
    kGuid,
    kNewVer,
    kShowWeather,
    kLocationId,
    kLocationName,
    kShowNewVer,
    kTempUnit,
    kPhotoFolder,
    kShowTitles,
    kBlurEdges,
    kGentleMotion,
    kDownloadAnyway,
    kKeys
};
constexpr std::u16string_view kKeyNames[kKeys] = {
    u"guid",        u"newver",      u"show_weather",  u"weather_loc_id",
    u"weather_loc", u"show_newver", u"temp_unit",     u"photo_folder",
    u"show_titles", u"blur_edges",  u"gentle_motion", u"download_anyway"};

// The standard key `key` names (any case), or kKeys for any other key.
int StandardKeyOf(std::u16string_view key) {
    int k = 0;
    while (k < kKeys && !EqualsNoCase(key, kKeyNames[k])) ++k;
    return k;
}

bool SettingsPath(PathText& out) {
    return DataFilePath(kFileName, out);
}

std::u16string MakeGuid() {
    uint8_t b[16] = {};
    if (!NewGuidBytes(b)) std::fill(std::begin(b), std::end(b), 0);
    char text[33];
    for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02X", b[i]);
    return AsciiToUtf16(std::string(text, 32));
}

// A value holding a line break would read back as a second entry, so every
// control character in a value is written as a blank.
std::u16string SafeValue(std::u16string_view v) {
    std::u16string out(v);
    for (auto& c : out)
        if (c < 0x20) c = u' ';
    return out;
}

void AppendEntry(std::u16string& text, std::u16string_view key, std::u16string_view value) {
    if (!text.empty()) text += u'\n';
    text += key;
    text += u'=';
    text += SafeValue(value);
}
}  // namespace

void ApplyGalleryEntry(std::u16string_view key, std::u16string_view value) {
    if (!EqualsNoCase(key, kGalleryKey)) return;
    int32_t v = ParseDecimal(value);
    if (v < 0 || v >= kGalleryCount) v = 0;
    Settings.dloption = v;
    SaverApp.RefreshSeconds = ChosenGalleries()[v].refresh;
}

char16_t TemperatureUnitFrom(std::u16string_view value) {
    if (EqualsNoCase(value, u"C")) return u'C';
    if (EqualsNoCase(value, u"F")) return u'F';
    return 0;
}

char16_t TemperatureUnit() {
    if (Settings.temp_unit != 0) return Settings.temp_unit;
    return SystemUsesUsUnits() ? u'F' : u'C';
}

std::u16string StoredLocationId(std::u16string_view id) {
    std::u16string out(id);
    constexpr std::size_t kDecimals = 4;
    const std::size_t first = out.find(u','), last = out.rfind(u',');
    auto decimals = [&](std::size_t comma) {
        const std::u16string_view digits = id.substr(comma + 1, kDecimals);
        return digits.size() == kDecimals &&
               std::all_of(digits.begin(), digits.end(),
                           [](char16_t c) { return c >= u'0' && c <= u'9'; });
    };
    if (std::count(out.begin(), out.end(), u',') == 3 &&
        out.find(u',', first + 1) == first + 1 + kDecimals && last + 1 + kDecimals == out.size() &&
        decimals(first) && decimals(last)) {
        out[first] = u'.';
        out[last] = u'.';
    }
    return out;
}

bool WriteSettings(const std::vector<std::pair<std::u16string, std::u16string>>& pairs,
                   std::error_code* why) {
    std::lock_guard<std::mutex> lock(SettingsLock);
    bool passed[kKeys + 1] = {};
    std::u16string text;
    for (const auto& [k, v] : pairs) {
        AppendEntry(text, k, v);
        passed[StandardKeyOf(k)] = true;
    }
    SettingsRecord& s = Settings;
    auto add = [&](StandardKey k, std::u16string_view value) {
        if (!passed[k]) AppendEntry(text, kKeyNames[k], value);
    };
    if (!passed[kGuid] && s.guid.size() < 32) s.guid.Assign(MakeGuid());
    add(kGuid, s.guid.view());
    add(kNewVer, s.newver.empty() ? SaverApp.Version : s.newver.view());
    add(kShowWeather, s.show_weather ? u"1" : u"0");
    if (!passed[kLocationId] && s.weather_loc_id.empty()) {
        s.weather_loc_id.Assign(kDefaultLocationId);
        s.weather_loc.Assign(kDefaultLocationName);
    }
    add(kLocationId, s.weather_loc_id.view());
    if (!passed[kLocationName] && s.weather_loc.empty())
        s.weather_loc.Assign(EqualsNoCase(s.weather_loc_id.view(), kDefaultLocationId)
                                 ? kDefaultLocationName
                                 : u"?");
    add(kLocationName, s.weather_loc.view());
    add(kShowNewVer, s.show_newver ? u"1" : u"0");

    // The whole text fits a path-sized buffer by the field widths; keep the bound.
    if (text.size() > PathText::kCapacity) text.resize(PathText::kCapacity);
    if (s.temp_unit != 0) add(kTempUnit, std::u16string_view(&s.temp_unit, 1));
    if (!s.photo_folder.empty()) add(kPhotoFolder, s.photo_folder.view());
    if (s.show_titles == 0) add(kShowTitles, u"0");
    if (s.blur_edges) add(kBlurEdges, u"1");
    if (s.gentle_motion) add(kGentleMotion, u"1");
    if (s.download_anyway != 0 || s.download_anyway_stored)
        add(kDownloadAnyway, s.download_anyway != 0 ? u"1" : u"0");

    PathText path;
    if (!SettingsPath(path)) {
        if (why) *why = std::make_error_code(std::errc::filename_too_long);
        return false;
    }
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    const std::error_code failed = WriteWholeFile(ToPath(path.view()), bytes);
    if (why) *why = failed;
    return !failed;
}

std::error_code SaveSettings() {
    std::error_code why;
    WriteSettings({{std::u16string(kGalleryKey), DecimalText(Settings.dloption)}}, &why);
    return why;
}

bool ApplySettingsText(std::u16string_view text) {
    // The text ends at its first zero code unit, as a zero-terminated buffer would.
    text = text.substr(0, text.find(u'\0'));
    bool guidSeen = false;
    std::size_t cursor = 0;
    for (;;) {
        std::size_t eq = text.find(u'=', cursor);
        if (eq == std::u16string_view::npos) break;
        std::u16string_view key = text.substr(cursor, eq - cursor);
        std::size_t nl = text.find(u'\n', eq + 1);
        std::size_t end = nl == std::u16string_view::npos ? text.size() : nl;
        std::u16string_view value = text.substr(eq + 1, end - eq - 1);
        SettingsRecord& s = Settings;
        switch (StandardKeyOf(key)) {
            case kGuid:
                s.guid.Assign(value);
                guidSeen = true;
                break;
            case kNewVer:
                s.newver.Assign(value);
                break;
            case kShowWeather:
                s.show_weather = ParseDecimal(value);
                break;
            case kLocationId:
                s.weather_loc_id.Assign(StoredLocationId(value));
                break;
            case kLocationName:
                s.weather_loc.Assign(value);
                break;
            case kShowNewVer:
                s.show_newver = ParseDecimal(value);
                break;
            case kTempUnit:
                s.temp_unit = TemperatureUnitFrom(value);
                break;
            case kPhotoFolder:
                // A cut path would name another folder: too long is none.
                if (!s.photo_folder.Assign(value)) s.photo_folder.Clear();
                break;
            case kShowTitles:
                s.show_titles = ParseDecimal(value) == 0 ? 0 : 1;
                break;
            case kBlurEdges:
                s.blur_edges = ParseDecimal(value) != 0 ? 1 : 0;
                break;
            case kGentleMotion:
                s.gentle_motion = ParseDecimal(value) != 0 ? 1 : 0;
                break;
            case kDownloadAnyway:
                s.download_anyway = ParseDecimal(value) == 1 ? 1 : 0;
                s.download_anyway_stored = true;
                break;
            default:
                ApplyGalleryEntry(key, value);
                break;
        }
        if (nl == std::u16string_view::npos) break;
        cursor = nl + 1;
    }
    return guidSeen;
}

void LoadSettings() {
    PathText path;
    std::u16string text;
    if (SettingsPath(path)) {
        std::string bytes;
        if (ReadWholeFile(ToPath(path.view()), bytes)) {
            // An odd final byte cannot form a code unit and is dropped.
            text.resize(bytes.size() / 2);
            for (std::size_t i = 0; i < text.size(); ++i)
                text[i] =
                    static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        }
    }
    bool guidSeen = ApplySettingsText(text);
    const SettingsRecord& s = Settings;
    if (guidSeen && !s.newver.empty() && !s.weather_loc.empty() && !s.weather_loc_id.empty())
        return;
    // A file that cannot be written now is tried again at the next save.
    static_cast<void>(SaveSettings());
}

std::u16string NewVersionText() {
    std::lock_guard<std::mutex> lock(SettingsLock);
    return Settings.newver.str();
}

void StoreNewVersion(std::u16string_view v) {
    std::lock_guard<std::mutex> lock(SettingsLock);
    Settings.newver.Assign(v);
}

bool NewerVersionKnown() {
    std::u16string v = NewVersionText();
    return !v.empty() && !EqualsNoCase(v, SaverApp.Version);
}

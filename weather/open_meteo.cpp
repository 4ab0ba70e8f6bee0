// How a forecast reply becomes a report: the reply is parsed into a tree
// (nlohmann-json, without exceptions) and every field is read on its own.
// A field is taken only when its value has the right type and range; the
// daily and hourly blocks are parallel arrays, and an array whose length
// differs from its block's "time" array is not read at all, so that a short
// or padded array can never move a value to another day.
//
// Open-Meteo gives one code per day, the worst of its 24 hours. The panels
// show a day and a night, so each is derived from the hourly codes of its
// half: 06:00 to 17:00 of the day, 18:00 of the day to 05:00 of the next
// (the reason the request asks for six days for five).
#include "weather/open_meteo.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/text.h"
#include "net/endpoints.h"
#include "settings/settings.h"

using nlohmann::json;

namespace {
constexpr int kDayCount = 5;
constexpr int kDayStartHour = 6;
constexpr int kNightStartHour = 18;
// Codes from 45 on are fog and precipitation; below are the sky codes.
constexpr int32_t kFirstWeatherCode = 45;
constexpr int32_t kLastSkyCode = 3;
constexpr int kLastingHours = 2;
// The panels' "not available" icon.
constexpr int32_t kIconNotAvailable = 44;
// Temperatures beyond this are no reading (and would not fit an int).
constexpr double kTemperatureLimit = 1000;
// The old default location code and the place it stands for.
constexpr std::u16string_view kOldDefaultCode = u"RSXX0091";
constexpr PlaceCoordinates kSaintPetersburg{59.9386, 30.3141};
constexpr int kPlaceLimit = 10;  // places asked for and listed
constexpr std::size_t kLabelLimit = FixedText<100>::kCapacity;

// WMO code -> panel icons (0..47) and text. The day and night icons differ
// only where the sky shows: clear, mostly clear and partly cloudy.
constexpr WmoRow kWmoTable[] = {
    {0, 32, 31, u"Sunny", u"Clear"},
    {1, 34, 33, u"Mostly Sunny", u"Mostly Clear"},
    {2, 30, 29, u"Partly Cloudy", u"Partly Cloudy"},
    {3, 26, 26, u"Cloudy", u"Cloudy"},
    {45, 20, 20, u"Fog", u"Fog"},
    {48, 20, 20, u"Freezing Fog", u"Freezing Fog"},
    {51, 9, 9, u"Light Drizzle", u"Light Drizzle"},
    {53, 9, 9, u"Drizzle", u"Drizzle"},
    {55, 9, 9, u"Heavy Drizzle", u"Heavy Drizzle"},
    {56, 8, 8, u"Light Freezing Drizzle", u"Light Freezing Drizzle"},
    {57, 8, 8, u"Freezing Drizzle", u"Freezing Drizzle"},
    {61, 11, 11, u"Light Rain", u"Light Rain"},
    {63, 12, 12, u"Rain", u"Rain"},
    {65, 12, 12, u"Heavy Rain", u"Heavy Rain"},
    {66, 10, 10, u"Light Freezing Rain", u"Light Freezing Rain"},
    {67, 10, 10, u"Freezing Rain", u"Freezing Rain"},
    {71, 13, 13, u"Light Snow", u"Light Snow"},
    {73, 16, 16, u"Snow", u"Snow"},
    {75, 41, 41, u"Heavy Snow", u"Heavy Snow"},
    {77, 13, 13, u"Snow Grains", u"Snow Grains"},
    {80, 11, 11, u"Light Showers", u"Light Showers"},
    {81, 12, 12, u"Showers", u"Showers"},
    {82, 12, 12, u"Heavy Showers", u"Heavy Showers"},
    {85, 14, 14, u"Light Snow Showers", u"Light Snow Showers"},
    {86, 46, 46, u"Heavy Snow Showers", u"Heavy Snow Showers"},
    {95, 4, 4, u"Thunderstorms", u"Thunderstorms"},
    {96, 3, 3, u"Strong Thunderstorms", u"Strong Thunderstorms"},
    {99, 3, 3, u"Severe Thunderstorms", u"Severe Thunderstorms"},
};

constexpr const char16_t* kMonths[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                       u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

// A local time as Open-Meteo writes it: "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM".
struct LocalStamp {
    int year = 0, month = 0, day = 0, hour = -1, minute = -1;
};

bool Digits(std::string_view s, std::size_t at, std::size_t count, int& out) {
    if (at + count > s.size()) return false;
    out = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

bool ParseStamp(const json& value, LocalStamp& out) {
    if (!value.is_string()) return false;
    const std::string& s = value.get_ref<const std::string&>();
    LocalStamp t;
    if (!Digits(s, 0, 4, t.year) || s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, t.month) ||
        s[7] != '-' || !Digits(s, 8, 2, t.day) || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > 31)
        return false;
    if (s.size() == 10) {
        out = t;
        return true;
    }
    if (s.size() != 16 || s[10] != 'T' || !Digits(s, 11, 2, t.hour) || s[13] != ':' ||
        !Digits(s, 14, 2, t.minute) || t.hour > 23 || t.minute > 59)
        return false;
    out = t;
    return true;
}

bool SameDate(const LocalStamp& a, const LocalStamp& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// A whole number within `limit` of zero; strings, nulls, fractions of codes
// and values like 1e308 are no value.
bool Number(const json& value, double limit, double& out) {
    if (!value.is_number()) return false;
    const double v = value.get<double>();
    if (!std::isfinite(v) || std::fabs(v) > limit) return false;
    out = v;
    return true;
}

bool Code(const json& value, int32_t& out) {
    double v = 0;
    if (!Number(value, 1000, v) || v != std::floor(v)) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool Temperature(const json& value, int32_t& out) {
    double v = 0;
    if (!Number(value, kTemperatureLimit, v)) return false;
    out = static_cast<int32_t>(std::lround(v));
    return true;
}

const json* Member(const json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// The array `key` of a block, when it runs parallel to the block's times.
const json* Column(const json* block, const char* key, std::size_t length) {
    if (!block) return nullptr;
    const json* column = Member(*block, key);
    return column && column->is_array() && column->size() == length ? column : nullptr;
}

// "10/3/26 12:30 PM Local Time": the panels read date and clock from it.
FixedText<100> UpdateText(const LocalStamp& t) {
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char text[48];
    std::snprintf(text, sizeof text, "%d/%d/%02d %d:%02d %s Local Time", t.month, t.day,
                  t.year % 100, hour12, t.minute, t.hour < 12 ? "AM" : "PM");
    return FixedText<100>(AsciiToUtf16(text));
}

FixedText<100> DateText(const LocalStamp& t) {
    FixedText<100> text(kMonths[t.month - 1]);
    text.Push(u' ');
    text.Append(DecimalText(t.day));
    return text;
}

void TakeConditions(int32_t code, bool night, int32_t& icon, FixedText<100>& text) {
    const WmoRow* row = FindWmoRow(code);
    if (!row) {
        icon = kIconNotAvailable;
        return;
    }
    icon = night ? row->nightIcon : row->dayIcon;
    text.Assign(night ? row->nightText : row->dayText);
}

bool ReadCurrent(const json& root, WeatherReport& report) {
    const json* current = Member(root, "current");
    if (!current) return false;
    LocalStamp time;
    int32_t temp = 0, code = 0, isDay = 1;
    const json* value = Member(*current, "time");
    if (!value || !ParseStamp(*value, time) || time.hour < 0) return false;
    value = Member(*current, "temperature_2m");
    if (!value || !Temperature(*value, temp)) return false;
    value = Member(*current, "weather_code");
    if (!value || !Code(*value, code)) return false;
    value = Member(*current, "is_day");
    if (value && !Code(*value, isDay)) isDay = 1;

    report.CurrentTemp = temp;
    TakeConditions(code, isDay == 0, report.CurrentIcon, report.Conditions);
    report.LastUpdated = UpdateText(time);
    return true;
}

char16_t UnitLetter(const json& root) {
    const json* units = Member(root, "current_units");
    const json* unit = units ? Member(*units, "temperature_2m") : nullptr;
    if (!unit || !unit->is_string()) return 0;
    const std::string& text = unit->get_ref<const std::string&>();
    if (text == "\u00B0C") return u'C';
    if (text == "\u00B0F") return u'F';
    return 0;
}

// Sunrise and sunset of day 0. In a polar night both are the day's
// midnight: the sun line reads "0:00" twice and the sky is night all day.
// In a polar day the sun sets at the next midnight, shown as 24:00, so the
// sky is day all day.
void ReadSun(const json* daily, std::size_t days, WeatherReport& report) {
    const json* rises = Column(daily, "sunrise", days);
    const json* sets = Column(daily, "sunset", days);
    LocalStamp rise, set;
    if (!rises || !sets || days == 0 || !ParseStamp((*rises)[0], rise) ||
        !ParseStamp((*sets)[0], set) || rise.hour < 0 || set.hour < 0)
        return;
    report.Sunrise = {static_cast<uint16_t>(rise.hour), static_cast<uint16_t>(rise.minute)};
    if (!SameDate(rise, set) && set.hour == 0 && set.minute == 0)
        report.Sunset = {24, 0};
    else
        report.Sunset = {static_cast<uint16_t>(set.hour), static_cast<uint16_t>(set.minute)};
}

// The hourly codes by local time, when the block is whole.
struct HourlyCodes {
    std::vector<LocalStamp> times;
    std::vector<int32_t> codes;  // -1 where the reply has none
};

HourlyCodes ReadHourly(const json& root) {
    HourlyCodes hourly;
    const json* block = Member(root, "hourly");
    const json* times = block ? Member(*block, "time") : nullptr;
    if (!times || !times->is_array()) return hourly;
    const json* codes = Column(block, "weather_code", times->size());
    if (!codes) return hourly;
    hourly.times.resize(times->size());
    hourly.codes.assign(times->size(), -1);
    for (std::size_t i = 0; i < times->size(); ++i) {
        if (!ParseStamp((*times)[i], hourly.times[i]) || hourly.times[i].hour < 0) continue;
        int32_t code = 0;
        if (Code((*codes)[i], code)) hourly.codes[i] = code;
    }
    return hourly;
}

// Day window: 06..17 of `day`; night window: 18..23 of `day` and 00..05 of
// `next` (absent for the last day of the reply).
void WindowCodes(const HourlyCodes& hourly, const LocalStamp& day, const LocalStamp* next,
                 std::vector<int32_t>& dayCodes, std::vector<int32_t>& nightCodes) {
    dayCodes.clear();
    nightCodes.clear();
    for (std::size_t i = 0; i < hourly.times.size(); ++i) {
        const LocalStamp& t = hourly.times[i];
        if (t.hour < 0) continue;
        if (SameDate(t, day)) {
            if (t.hour >= kNightStartHour)
                nightCodes.push_back(hourly.codes[i]);
            else if (t.hour >= kDayStartHour)
                dayCodes.push_back(hourly.codes[i]);
        } else if (next && SameDate(t, *next) && t.hour < kDayStartHour) {
            nightCodes.push_back(hourly.codes[i]);
        }
    }
}

void ReadDays(const json& root, WeatherReport& report) {
    // Whatever the reply lacks stays empty, never a 0 degrees or a picture.
    for (ForecastDay& out : report.Days) {
        out.DayIcon = out.NightIcon = kIconNotAvailable;
        out.HasHigh = out.HasLow = false;
    }
    const json* daily = Member(root, "daily");
    const json* times = daily ? Member(*daily, "time") : nullptr;
    if (!times || !times->is_array()) return;
    const std::size_t days = times->size();
    ReadSun(daily, days, report);

    const json* highs = Column(daily, "temperature_2m_max", days);
    const json* lows = Column(daily, "temperature_2m_min", days);
    const HourlyCodes hourly = ReadHourly(root);
    std::vector<int32_t> dayCodes, nightCodes;
    std::array<LocalStamp, kDayCount + 1> dates;
    std::array<bool, kDayCount + 1> dated{};
    for (std::size_t i = 0; i < dates.size() && i < days; ++i)
        dated[i] = ParseStamp((*times)[i], dates[i]);

    for (int i = 0; i < kDayCount; ++i) {
        ForecastDay& out = report.Days[i];
        if (static_cast<std::size_t>(i) >= days) continue;
        out.HasHigh = highs && Temperature((*highs)[i], out.High);
        out.HasLow = lows && Temperature((*lows)[i], out.Low);
        if (!dated[i]) continue;
        out.Date = DateText(dates[i]);
        WindowCodes(hourly, dates[i], dated[i + 1] ? &dates[i + 1] : nullptr, dayCodes, nightCodes);
        TakeConditions(WindowWeatherCode(dayCodes), false, out.DayIcon, out.DayText);
        TakeConditions(WindowWeatherCode(nightCodes), true, out.NightIcon, out.NightText);
    }
}

// Parses `reply` into an object; null for anything else or an error object.
bool ParseObject(std::string_view reply, json& root) {
    root = json::parse(reply, nullptr, /*allow_exceptions=*/false);
    if (root.is_discarded() || !root.is_object()) return false;
    const json* error = Member(root, "error");
    return !(error && error->is_boolean() && error->get<bool>());
}

std::u16string Printable(const json& value) {
    if (!value.is_string()) return {};
    return PrintableText(Utf8ToUtf16(value.get_ref<const std::string&>()));
}

bool Coordinate(const json* value, double limit, double& out) {
    return value && Number(*value, limit, out);
}
}  // namespace

const WmoRow* FindWmoRow(int64_t code) {
    for (const WmoRow& row : kWmoTable)
        if (row.code == code) return &row;
    return nullptr;
}

int32_t WindowWeatherCode(const std::vector<int32_t>& hourlyCodes) {
    std::map<int32_t, int> hours;
    for (int32_t code : hourlyCodes)
        if (FindWmoRow(code)) ++hours[code];
    if (hours.empty()) return -1;
    int32_t lasting = -1, sky = -1, skyHours = 0;
    for (const auto& [code, count] : hours) {
        if (code >= kFirstWeatherCode && count >= kLastingHours) lasting = code;
        if (code <= kLastSkyCode && count >= skyHours) {
            sky = code;
            skyHours = count;
        }
    }
    if (lasting >= 0) return lasting;
    if (sky >= 0) return sky;
    return hours.rbegin()->first;
}

bool PlaceFromCode(std::u16string_view stored, PlaceCoordinates& out) {
    if (stored == kOldDefaultCode) {
        out = kSaintPetersburg;
        return true;
    }
    const std::u16string code = StoredLocationId(stored);
    const std::size_t comma = code.find(u',');
    if (comma == std::u16string::npos) return false;
    // Digits, one point, an optional leading minus: nothing a reply could
    // smuggle into the request.
    auto number = [](std::u16string_view text, double limit, double& value) {
        const std::optional<double> read =
            text.size() <= 12 ? ParsePointNumber(text) : std::nullopt;
        if (!read || std::fabs(*read) > limit) return false;
        value = *read;
        return true;
    };
    PlaceCoordinates place;
    if (!number(std::u16string_view(code).substr(0, comma), 90, place.latitude) ||
        !number(std::u16string_view(code).substr(comma + 1), 180, place.longitude))
        return false;
    out = place;
    return true;
}

FixedText<20> PlaceCode(PlaceCoordinates place) {
    constexpr int kDecimals = 4;
    // Adding 0.0 turns -0 into 0, which is written without its sign.
    return FixedText<20>(FixedPointText(place.latitude + 0.0, kDecimals) + u"," +
                         FixedPointText(place.longitude + 0.0, kDecimals));
}

std::u16string OpenMeteoForecastUrl(PlaceCoordinates place, char16_t unit) {
    const std::u16string code = PlaceCode(place).str();
    const std::size_t comma = code.find(u',');
    std::u16string url = ServiceBase(Service::OpenMeteoApi);
    url += u"/v1/forecast?latitude=" + code.substr(0, comma) + u"&longitude=" +
           code.substr(comma + 1) +
           u"&current=temperature_2m,weather_code,is_day&hourly=weather_code,is_day"
           u"&daily=weather_code,temperature_2m_max,temperature_2m_min,sunrise,sunset"
           u"&timezone=auto&forecast_days=6";
    if (unit == u'F') url += u"&temperature_unit=fahrenheit";
    return url;
}

bool ReadOpenMeteoForecast(std::string_view reply, std::u16string_view locationName,
                           WeatherReport& report) {
    report = WeatherReport{};
    json root;
    if (!ParseObject(reply, root)) return false;
    report.FromOpenMeteo = true;
    report.LocationName.Assign(locationName);
    report.TempUnit = UnitLetter(root);
    report.CurrentIcon = kIconNotAvailable;
    ReadDays(root, report);
    return ReadCurrent(root, report);
}

std::u16string OpenMeteoSearchUrl(std::u16string_view query) {
    return ServiceBase(Service::OpenMeteoGeocoding) + u"/v1/search?name=" +
           PercentEncodeUtf8(query) + u"&count=" + DecimalText(kPlaceLimit) +
           u"&language=en&format=json";
}

int ReadOpenMeteoPlaces(std::string_view reply, std::vector<FoundPlace>& places) {
    json root;
    if (!ParseObject(reply, root)) return -1;
    const json* results = Member(root, "results");
    if (!results) return 0;
    if (!results->is_array()) return -1;
    int count = 0;
    std::vector<std::u16string> listed;  // the labels before codes were added
    for (const json& entry : *results) {
        if (count == kPlaceLimit) break;
        PlaceCoordinates place;
        const json* name = Member(entry, "name");
        if (!name || !name->is_string() ||
            !Coordinate(Member(entry, "latitude"), 90, place.latitude) ||
            !Coordinate(Member(entry, "longitude"), 180, place.longitude))
            continue;
        FoundPlace found;
        found.label = Printable(*name);
        for (const char* key : {"admin1", "country"}) {
            const json* part = Member(entry, key);
            if (part && part->is_string() && !part->get_ref<const std::string&>().empty())
                found.label += u", " + Printable(*part);
        }
        found.code = PlaceCode(place);
        // The dialog hands back the chosen line's text: places of the same
        // name in the same region are told apart by their coordinates.
        const bool repeated = std::find(listed.begin(), listed.end(), found.label) != listed.end();
        listed.push_back(found.label);
        if (repeated) found.label += u" (" + found.code.str() + u")";
        // What the stored name holds.
        found.label = PrintableText(found.label, kLabelLimit);
        places.push_back(std::move(found));
        ++count;
    }
    return count;
}

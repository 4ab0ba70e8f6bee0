// How a feed is made: the local time at the location is UTC plus its fixed
// standard offset (no daylight saving). Sunrise and sunset come from a simple
// solar formula on latitude and day of year, so day and night in the panels
// follow the real sky within some minutes. Each forecast day draws its
// weather from a generator seeded with the location and that day's date, so
// a day's forecast stays the same all day and the current conditions follow
// the clock between the day's low and high.
#include "weather_feed.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "demo_random.h"
#include "photo_painter.h"

namespace {

struct Place {
    const char* id;
    const char* name;
    double latitude, longitude;
    int utcOffsetHours;
    double meanHigh, seasonalSwing;  // daily high over the year, degrees C
};

constexpr Place kPlaces[] = {
    {"RSXX0091", "Saint-Petersburg, Russia", 59.94, 30.31, 3, 9, 13},
    {"RSXX0063", "Moscow, Russia", 55.76, 37.62, 3, 9, 14},
    {"UKXX0085", "London, GBR", 51.51, -0.13, 0, 15, 7},
    {"FRXX0076", "Paris, France", 48.86, 2.35, 1, 16, 9},
    {"USNY0996", "New York, NY", 40.71, -74.01, -5, 16, 12},
    {"USCA0638", "Los Angeles, CA", 34.05, -118.24, -8, 23, 5},
    {"JAXX0085", "Tokyo, Japan", 35.69, 139.69, 9, 19, 11},
    {"ASXX0112", "Sydney, Australia", -33.87, 151.21, 10, 22, 4},
};

struct Condition {
    const char* dayText;
    int dayIcon;
    const char* nightText;
    int nightIcon;
};

constexpr Condition kDry[] = {
    {"Sunny", 32, "Clear", 31},
    {"Mostly Sunny", 34, "Mostly Clear", 33},
    {"Partly Cloudy", 30, "Partly Cloudy", 29},
    {"Mostly Cloudy", 28, "Mostly Cloudy", 27},
    {"Cloudy", 26, "Cloudy", 26},
    {"Fog", 20, "Fog", 20},
    {"Windy", 24, "Windy", 24},
};
constexpr Condition kWetMild[] = {
    {"Showers", 11, "Showers", 11},
    {"Rain", 12, "Rain", 12},
    {"Scattered Showers", 39, "Scattered Showers", 45},
    {"Thunderstorms", 4, "Thunderstorms", 4},
    {"Scattered T-Storms", 38, "Scattered T-Storms", 47},
    {"Drizzle", 9, "Drizzle", 9},
};
constexpr Condition kWetCold[] = {
    {"Light Snow", 14, "Light Snow", 14},     {"Snow", 16, "Snow", 16},
    {"Snow Showers", 41, "Snow Showers", 46}, {"Rain / Snow", 5, "Rain / Snow", 5},
    {"Flurries", 13, "Flurries", 13},         {"Heavy Snow", 42, "Heavy Snow", 42},
};

constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kCompass[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                    "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

constexpr int64_t kDaySeconds = 86400;

struct LocalDate {
    std::chrono::sys_days day;
    std::chrono::year_month_day ymd;
    int dayOfYear;  // 0 = 1 January
};

LocalDate DateOf(int64_t localDayNumber) {
    using namespace std::chrono;
    sys_days day{days{localDayNumber}};
    year_month_day ymd{day};
    int doy = int((day - sys_days{ymd.year() / January / 1}).count());
    return {day, ymd, doy};
}

// Minutes after local midnight of sunrise and sunset.
struct SunTimes {
    int rise, set;
};

SunTimes SunFor(const Place& p, int dayOfYear) {
    constexpr double kRad = M_PI / 180;
    double declination = -23.44 * std::cos(2 * M_PI / 365 * (dayOfYear + 10));
    double x = -std::tan(p.latitude * kRad) * std::tan(declination * kRad);
    double halfDayHours = std::acos(std::clamp(x, -1.0, 1.0)) / kRad / 15;
    double noonHours = 12 + (p.utcOffsetHours * 15 - p.longitude) / 15;
    auto minutes = [](double hours) { return std::clamp(int(std::lround(hours * 60)), 0, 1439); };
    return {minutes(noonHours - halfDayHours), minutes(noonHours + halfDayHours)};
}

// "7:42 AM": the 12-hour clock the feed writes.
std::string ClockText(int minuteOfDay) {
    int hour = minuteOfDay / 60, minute = minuteOfDay % 60;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d %s", hour % 12 == 0 ? 12 : hour % 12, minute,
                  hour < 12 ? "AM" : "PM");
    return text;
}

// "12/8/26 11:20 AM Local Time".
std::string UpdateText(const LocalDate& date, int minuteOfDay) {
    char text[48];
    std::snprintf(text, sizeof text, "%u/%u/%02d %s Local Time", unsigned(date.ymd.month()),
                  unsigned(date.ymd.day()), int(date.ymd.year()) % 100,
                  ClockText(minuteOfDay).c_str());
    return text;
}

std::string Element(const char* name, const std::string& text) {
    return std::string("<") + name + ">" + text + "</" + name + ">";
}

std::string Number(double value) {
    return std::to_string(std::lround(value));
}

struct Wind {
    int speed, direction;
    bool gusty;
};

std::string WindXml(const Wind& w) {
    return "<wind>" + Element("s", std::to_string(w.speed)) +
           Element("gust", w.gusty ? std::to_string(w.speed + 12) : "N/A") +
           Element("d", std::to_string(w.direction)) +
           Element("t", kCompass[(w.direction * 16 + 180) / 360 % 16]) + "</wind>";
}

struct ForecastDay {
    LocalDate date;
    SunTimes sun;
    int high, low;
    Condition condition;
    Wind dayWind, nightWind;
    int rainChanceDay, rainChanceNight;
};

ForecastDay MakeDay(const Place& p, int64_t localDayNumber) {
    ForecastDay d;
    d.date = DateOf(localDayNumber);
    d.sun = SunFor(p, d.date.dayOfYear);
    char key[64];
    std::snprintf(key, sizeof key, "%s %lld", p.id, static_cast<long long>(localDayNumber));
    DemoRandom rnd{HashText(key)};
    double season = std::cos(2 * M_PI * (d.date.dayOfYear - 200) / 365);
    if (p.latitude < 0) season = -season;
    d.high = int(std::lround(p.meanHigh + p.seasonalSwing * season + rnd.Range(-3, 3)));
    d.low = d.high - int(std::lround(rnd.Range(3, 9)));
    bool wet = rnd.Unit() < 0.45;
    if (!wet)
        d.condition = kDry[rnd.Below(int(std::size(kDry)))];
    else if (d.high <= 1)
        d.condition = kWetCold[rnd.Below(int(std::size(kWetCold)))];
    else
        d.condition = kWetMild[rnd.Below(int(std::size(kWetMild)))];
    d.dayWind = {5 + rnd.Below(30), rnd.Below(360), rnd.Unit() < 0.3};
    d.nightWind = {3 + rnd.Below(20), rnd.Below(360), false};
    d.rainChanceDay = wet ? 40 + rnd.Below(60) : rnd.Below(20);
    d.rainChanceNight = wet ? 30 + rnd.Below(60) : rnd.Below(20);
    return d;
}

std::string PartXml(const char* part, int icon, const char* text, const Wind& wind,
                    int rainChance) {
    return std::string("<part p=\"") + part + "\">" + Element("icon", std::to_string(icon)) +
           Element("t", text) + WindXml(wind) + Element("bt", text) +
           Element("ppcp", std::to_string(rainChance)) + "</part>";
}

std::string DayXml(int index, const ForecastDay& d) {
    unsigned month = unsigned(d.date.ymd.month());
    std::string dt =
        std::string(kMonths[month - 1]) + " " + std::to_string(unsigned(d.date.ymd.day()));
    std::string xml = "<day d=\"" + std::to_string(index) + "\" t=\"" +
                      kWeekdays[std::chrono::weekday(d.date.day).c_encoding()] + "\" dt=\"" + dt +
                      "\">";
    xml += Element("hi", std::to_string(d.high)) + Element("low", std::to_string(d.low));
    xml += Element("sunr", ClockText(d.sun.rise)) + Element("suns", ClockText(d.sun.set));
    xml += PartXml("d", d.condition.dayIcon, d.condition.dayText, d.dayWind, d.rainChanceDay);
    xml +=
        PartXml("n", d.condition.nightIcon, d.condition.nightText, d.nightWind, d.rainChanceNight);
    return xml + "</day>\n";
}

std::string UvText(int index) {
    if (index <= 2) return "Low";
    if (index <= 5) return "Moderate";
    if (index <= 7) return "High";
    return index <= 10 ? "Very High" : "Extreme";
}

// The moon's age in days from a known new moon, and its phase name.
std::string MoonXml(int64_t utcSeconds) {
    constexpr double kSynodicMonth = 29.530588;
    constexpr int64_t kKnownNewMoon = 947182440;  // 2000-01-06 18:14 UTC
    double age = std::fmod(double(utcSeconds - kKnownNewMoon) / kDaySeconds, kSynodicMonth);
    if (age < 0) age += kSynodicMonth;
    constexpr const char* kPhases[] = {
        "New",  "Waxing Crescent", "First Quarter", "Waxing Gibbous",
        "Full", "Waning Gibbous",  "Last Quarter",  "Waning Crescent",
        "New"};
    int phase = std::min(8, int((age + kSynodicMonth / 16) / (kSynodicMonth / 8)));
    return "<moon>" + Element("icon", std::to_string(int(age) % 30)) +
           Element("t", kPhases[phase]) + "</moon>";
}

std::string CurrentXml(const Place& p, const ForecastDay& today, int minuteOfDay,
                       int64_t utcSeconds) {
    bool daytime = today.sun.rise <= minuteOfDay && minuteOfDay < today.sun.set;
    // Coldest at 3 AM, warmest at 3 PM.
    double warmth = 0.5 - 0.5 * std::cos(2 * M_PI * (minuteOfDay - 180) / 1440);
    DemoRandom rnd{HashText(std::string(p.id) + std::to_string(utcSeconds / 3600))};
    double temp = today.low + (today.high - today.low) * warmth + rnd.Range(-1, 1);
    const Condition& c = today.condition;
    const Wind& wind = daytime ? today.dayWind : today.nightWind;
    int uv = daytime ? int(std::max(0.0, (today.high - 5) / 4.0 + rnd.Range(0, 2))) : 0;
    std::string xml = "<cc>";
    xml += Element("lsup", UpdateText(today.date, minuteOfDay));
    xml += Element("obst", p.name);
    xml += Element("tmp", Number(temp));
    xml += Element("flik", Number(temp - wind.speed / 6.0));
    xml += Element("t", daytime ? c.dayText : c.nightText);
    xml += Element("icon", std::to_string(daytime ? c.dayIcon : c.nightIcon));
    xml += "<bar>" + Element("r", std::to_string(995 + rnd.Below(35))) + Element("d", "steady") +
           "</bar>";
    xml += WindXml(wind);
    xml += Element("hmid", std::to_string(55 + rnd.Below(40)));
    xml += Element("vis", std::to_string(4 + rnd.Below(12)) + ".0");
    xml += "<uv>" + Element("i", std::to_string(uv)) + Element("t", UvText(uv)) + "</uv>";
    xml += Element("dewp", Number(temp - 2 - rnd.Below(6)));
    xml += MoonXml(utcSeconds);
    return xml + "</cc>\n";
}

const Place* FindPlace(std::string_view id) {
    for (const Place& p : kPlaces)
        if (id == p.id) return &p;
    return nullptr;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";

}  // namespace

std::string WeatherFeedXml(std::string_view locationId, int64_t utcSeconds) {
    const Place* p = FindPlace(locationId);
    if (!p) return {};
    int64_t local = utcSeconds + int64_t(p->utcOffsetHours) * 3600;
    // Floor division: the day number of moments before 1970 is negative.
    int64_t dayNumber = local / kDaySeconds - (local % kDaySeconds < 0 ? 1 : 0);
    int minuteOfDay = int((local - dayNumber * kDaySeconds) / 60);
    ForecastDay today = MakeDay(*p, dayNumber);

    std::string xml = kXmlDeclaration;
    xml += "<!-- made up by the demo site; not a real forecast -->\n";
    xml +=
        "<weather ver=\"2.0\">\n<head><locale>en_US</locale><form>MEDIUM</form><ut>C</ut>"
        "<ud>km</ud><us>km/h</us><up>mb</up><ur>mm</ur></head>\n";
    xml += "<loc id=\"" + std::string(p->id) + "\">" + Element("dnam", p->name) +
           Element("tm", ClockText(minuteOfDay)) + Element("lat", std::to_string(p->latitude)) +
           Element("lon", std::to_string(p->longitude)) +
           Element("sunr", ClockText(today.sun.rise)) + Element("suns", ClockText(today.sun.set)) +
           Element("zone", std::to_string(p->utcOffsetHours)) + "</loc>\n";
    xml += CurrentXml(*p, today, minuteOfDay, utcSeconds);
    // The forecast was issued at the last full hour.
    xml += "<dayf>" + Element("lsup", UpdateText(today.date, minuteOfDay / 60 * 60)) + "\n";
    for (int i = 0; i < 5; ++i) xml += DayXml(i, i == 0 ? today : MakeDay(*p, dayNumber + i));
    return xml + "</dayf>\n</weather>\n";
}

std::string LocationSearchXml(std::string_view where) {
    where = TrimBlanks(where);
    std::string places;
    for (const Place& p : kPlaces)
        if (!where.empty() && (StartsWithNoCase(p.name, where) || StartsWithNoCase(p.id, where)))
            places += "<loc id=\"" + std::string(p.id) + "\" type=\"1\">" + p.name + "</loc>\n";
    if (places.empty()) return std::string(kXmlDeclaration) + "<search ver=\"3.0\"/>\n";
    return std::string(kXmlDeclaration) + "<search ver=\"3.0\">\n" + places + "</search>\n";
}

// A weather feed as the service writes it, built for the tests: the location
// block, the current conditions with their nested wind, uv and moon, and the
// forecast days with a day part and a night part each.
#pragma once

#include <string>

// Day i (0-based) has High 10 + i, Low i - 10, DayIcon 30 + i, NightIcon
// 20 + i, Date "Dec <8 + i>", DayText "Sunny <i>", NightText "Clear <i>".
inline std::string FeedDay(int i) {
    std::string n = std::to_string(i);
    return "<day d=\"" + n + "\" t=\"Day" + n + "\" dt=\"Dec " + std::to_string(8 + i) + "\">\n" +
           "<hi>" + std::to_string(10 + i) + "</hi><low>" + std::to_string(i - 10) + "</low>" +
           "<sunr>9:0" + n + " AM</sunr><suns>4:0" + n + " PM</suns>\n" + "<part p=\"d\"><icon>" +
           std::to_string(30 + i) + "</icon><t>Sunny " + n +
           "</t><wind><s>18</s><d>240</d><t>WSW</t></wind><bt>x</bt><ppcp>10</ppcp></part>\n" +
           "<part p=\"n\"><icon>" + std::to_string(20 + i) + "</icon><t>Clear " + n +
           "</t><wind><s>9</s><t>NNE</t></wind></part></day>\n";
}

inline std::string FeedHead(const std::string& lsup = "<lsup>12/8/26 8:00 AM MSK</lsup>") {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
           "<!--This document is intended only for use by licensees. -->\n"
           "<weather ver=\"2.0\">\n"
           "<head><locale>en_US</locale><ut>C</ut><ud>km</ud></head>\n"
           "<loc id=\"RSXX0091\"><dnam>Saint-Petersburg, Russia</dnam><tm>8:35 AM</tm>"
           "<sunr>8:57 AM</sunr><suns>3:55 PM</suns><zone>3</zone></loc>\n"
           "<cc>" +
           lsup +
           "<obst>Pulkovo</obst><tmp>-3</tmp><flik>-8</flik>"
           "<t>Light Snow</t><icon>14</icon><bar><r>1012.9</r><d>rising</d></bar>\n"
           "<wind><s>14</s><gust>N/A</gust><d>250</d><t>WSW</t></wind><hmid>93</hmid>"
           "<uv><i>0</i><t>Low</t></uv><moon><icon>26</icon><t>Waning Crescent</t></moon></cc>\n"
           "<dayf><lsup>12/8/26 7:49 AM MSK</lsup>\n";
}

inline std::string FeedText(int days = 5,
                            const std::string& lsup = "<lsup>12/8/26 8:00 AM MSK</lsup>") {
    std::string feed = FeedHead(lsup);
    for (int i = 0; i < days; ++i) feed += FeedDay(i);
    return feed + "</dayf>\n</weather>\n";
}

#include "base/text.h"
#include "weather/weather_report.h"

// Every field of a report as one comparable text.
inline std::string ReportText(const WeatherReport& r) {
    std::string out;
    auto add = [&out](std::u16string_view t) { out += Utf16ToUtf8(t) + '|'; };
    auto num = [&out](int64_t v) { out += std::to_string(v) + '|'; };
    add(r.LocationName.view());
    add(r.Conditions.view());
    add(r.LastUpdated.view());
    for (int64_t v : {int64_t{r.TempUnit}, int64_t{r.CurrentTemp}, int64_t{r.CurrentIcon},
                      int64_t{r.Sunrise.Hour}, int64_t{r.Sunrise.Minute}, int64_t{r.Sunset.Hour},
                      int64_t{r.Sunset.Minute}, r.FileTime})
        num(v);
    for (const ForecastDay& d : r.Days) {
        add(d.Date.view());
        add(d.DayText.view());
        add(d.NightText.view());
        for (int32_t v : {d.DayIcon, d.High, d.NightIcon, d.Low}) num(v);
    }
    return out;
}

// `text` with every `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Five days of weather for the painting tests and the screenshots, read by
// the real scanner from a feed as the weather service writes it.
#pragma once

#include <string_view>

#include "weather/weather_report.h"
#include "weather/weather_scanner.h"

inline constexpr std::string_view kSampleFeed = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<weather ver="2.0">
<head><locale>en_US</locale><form>MEDIUM</form><ut>C</ut><ud>km</ud><us>km/h</us></head>
<loc id="RSXX0091"><dnam>Saint-Petersburg, Russia</dnam><tm>12:55 PM</tm><lat>59.89</lat>
<lon>30.26</lon><sunr>7:00 AM</sunr><suns>4:30 PM</suns><zone>3</zone></loc>
<cc><lsup>12/8/26 12:50 PM Local Time</lsup><obst>Pulkovo, Russia</obst><tmp>-3</tmp>
<flik>-9</flik><t>Light Snow</t><icon>14</icon><bar><r>1008.1</r><d>falling</d></bar>
<wind><s>19</s><gust>N/A</gust><d>230</d><t>SW</t></wind><hmid>92</hmid><vis>2.4</vis>
<uv><i>0</i><t>Low</t></uv><dewp>-4</dewp><moon><icon>26</icon><t>Waning Crescent</t></moon></cc>
<dayf><lsup>12/8/26 11:42 AM Local Time</lsup>
<day d="0" t="Tuesday" dt="Dec 8"><hi>-1</hi><low>-6</low><sunr>7:00 AM</sunr><suns>4:30 PM</suns>
<part p="d"><icon>14</icon><t>Snow Shower</t><wind><s>21</s><d>225</d><t>SW</t></wind>
<bt>Snow Shower</bt><ppcp>60</ppcp><hmid>90</hmid></part>
<part p="n"><icon>26</icon><t>Cloudy</t><wind><s>14</s><d>240</d><t>WSW</t></wind>
<bt>Cloudy</bt><ppcp>20</ppcp><hmid>88</hmid></part></day>
<day d="1" t="Wednesday" dt="Dec 9"><hi>2</hi><low>-4</low><sunr>7:01 AM</sunr><suns>4:29 PM</suns>
<part p="d"><icon>30</icon><t>Partly Cloudy</t><wind><s>11</s><d>200</d><t>SSW</t></wind>
<bt>P Cloudy</bt><ppcp>10</ppcp><hmid>81</hmid></part>
<part p="n"><icon>33</icon><t>Mostly Clear</t><wind><s>8</s><d>180</d><t>S</t></wind>
<bt>M Clear</bt><ppcp>0</ppcp><hmid>84</hmid></part></day>
<day d="2" t="Thursday" dt="Dec 10"><hi>4</hi><low>1</low><sunr>7:03 AM</sunr><suns>4:29 PM</suns>
<part p="d"><icon>5</icon><t>Rain / Snow</t><wind><s>24</s><d>190</d><t>S</t></wind>
<bt>Rain/Snow</bt><ppcp>70</ppcp><hmid>95</hmid></part>
<part p="n"><icon>11</icon><t>Rain</t><wind><s>19</s><d>210</d><t>SSW</t></wind>
<bt>Rain</bt><ppcp>80</ppcp><hmid>96</hmid></part></day>
<day d="3" t="Friday" dt="Dec 11"><hi>1</hi><low>-8</low><sunr>7:04 AM</sunr><suns>4:28 PM</suns>
<part p="d"><icon>32</icon><t>Sunny</t><wind><s>13</s><d>320</d><t>NW</t></wind>
<bt>Sunny</bt><ppcp>0</ppcp><hmid>70</hmid></part>
<part p="n"><icon>31</icon><t>Clear</t><wind><s>6</s><d>340</d><t>NNW</t></wind>
<bt>Clear</bt><ppcp>0</ppcp><hmid>75</hmid></part></day>
<day d="4" t="Saturday" dt="Dec 12"><hi>-2</hi><low>-9</low><sunr>7:05 AM</sunr><suns>4:28 PM</suns>
<part p="d"><icon>28</icon><t>Mostly Cloudy</t><wind><s>16</s><d>90</d><t>E</t></wind>
<bt>M Cloudy</bt><ppcp>20</ppcp><hmid>78</hmid></part>
<part p="n"><icon>14</icon><t>Snow Showers Late</t><wind><s>18</s><d>80</d><t>E</t></wind>
<bt>Snow Late</bt><ppcp>40</ppcp><hmid>86</hmid></part></day>
</dayf>
</weather>
)";

inline WeatherReport SampleReport() {
    WeatherScanner scanner;
    WeatherReport report;
    FeedWeatherBytes(scanner, report, kSampleFeed);
    return report;
}

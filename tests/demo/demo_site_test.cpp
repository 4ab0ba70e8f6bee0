// The demo site as the saver meets it: the real binary, asked over HTTP on
// the paths of the saver's own gallery and endpoint tables.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <regex>
#include <set>
#include <thread>

#include "base/text.h"
#include "demo/demo_site_process.h"
#include "harvest/commons_listing.h"
#include "net/endpoints.h"
#include "net/http_fetcher.h"
#include "settings/gallery_table.h"
#include "support/temp_dir.h"
#include "weather/open_meteo.h"
#include "weather/weather_scanner.h"

namespace {

class DemoSiteTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        site_ = new DemoSiteProcess();
        ASSERT_GT(site_->port(), 0) << site_->firstLine();
        // The saver's endpoint table then names the site for every service.
        ASSERT_TRUE(SetSiteOverride(Utf8ToUtf16(site_->url())));
    }
    static void TearDownTestSuite() {
        delete site_;
        site_ = nullptr;
    }

    static httplib::Result Get(const std::string& path, const httplib::Headers& headers = {}) {
        httplib::Client client("127.0.0.1", site_->port());
        client.set_read_timeout(30);
        return client.Get(path, headers);
    }
    // The body of a 200 reply; a test failure for anything else.
    static std::string Body(const std::string& path) {
        auto res = Get(path);
        if (!res) {
            ADD_FAILURE() << path << ": no reply";
            return {};
        }
        EXPECT_EQ(res->status, 200) << path;
        return res->body;
    }
    static int Status(const std::string& path) {
        auto res = Get(path);
        return res ? res->status : -1;
    }

    static DemoSiteProcess* site_;
};
DemoSiteProcess* DemoSiteTest::site_ = nullptr;

std::string GalleryPath(int index) {
    return Utf16ToUtf8(GalleryTable[index].path);
}

// The tails of every link that starts with `prefix`, read the way the
// harvest reads them: up to the next double quote.
std::vector<std::string> LinkTails(const std::string& page, const std::string& prefix) {
    std::vector<std::string> tails;
    for (size_t at = page.find(prefix); at != std::string::npos; at = page.find(prefix, at)) {
        at += prefix.size();
        size_t quote = page.find('"', at);
        if (quote == std::string::npos) break;
        tails.push_back(page.substr(at, quote - at));
        at = quote;
    }
    return tails;
}

struct JpegInfo {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // filled by Decode only
};

JpegInfo Decode(const std::string& jpeg, bool pixels) {
    JpegInfo info;
    std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitDecompress(), tjDestroy);
    auto data = reinterpret_cast<const unsigned char*>(jpeg.data());
    int subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(tj.get(), data, jpeg.size(), &info.width, &info.height, &subsamp,
                            &colorspace) != 0)
        return {};
    if (pixels) {
        info.rgb.resize(size_t(info.width) * info.height * 3);
        if (tjDecompress2(tj.get(), data, jpeg.size(), info.rgb.data(), info.width, 0, info.height,
                          TJPF_RGB, 0) != 0)
            return {};
    }
    return info;
}

// Mean brightness of a band of rows, 0..255.
double RowBandBrightness(const JpegInfo& img, int firstRow, int rows) {
    double sum = 0;
    for (int y = firstRow; y < firstRow + rows; ++y)
        for (int x = 0; x < img.width * 3; ++x) sum += img.rgb[size_t(y) * img.width * 3 + x];
    return sum / (double(rows) * img.width * 3);
}

TEST_F(DemoSiteTest, GalleryPagesListSixtySafeLinksPerGalleryWithOverlap) {
    const std::regex safeTail(R"(([0-9]+/)+[0-9]+\.jpg)");
    std::vector<std::set<std::string>> galleries;
    for (int i = 0; i < kGalleryCount; ++i) {
        std::string page = Body(GalleryPath(i));
        auto tails = LinkTails(page, ThumbnailPrefix());
        EXPECT_EQ(tails.size(), 60u) << "gallery " << i;
        for (const auto& t : tails) EXPECT_TRUE(std::regex_match(t, safeTail)) << t;
        std::set<std::string> unique(tails.begin(), tails.end());
        EXPECT_EQ(unique.size(), tails.size()) << "gallery " << i << " repeats a photo";
        // Each thumbnail sits in an image inside a link to the photo's page.
        EXPECT_NE(page.find("<img src=\"" + ThumbnailPrefix()), std::string::npos);
        EXPECT_NE(page.find("<a href=\""), std::string::npos);
        galleries.push_back(unique);
    }
    ASSERT_EQ(galleries.size(), size_t(kGalleryCount));
    for (int i = 0; i < kGalleryCount; ++i) {
        bool overlapsAnother = false;
        for (int j = 0; j < kGalleryCount; ++j) {
            if (i == j) continue;
            EXPECT_NE(galleries[i], galleries[j]) << i << " and " << j;
            for (const auto& t : galleries[i]) overlapsAnother |= galleries[j].count(t) > 0;
        }
        EXPECT_TRUE(overlapsAnother) << "gallery " << i << " shares no photo";
    }
}

TEST_F(DemoSiteTest, GalleryLinksNameTheRequestedHostOnlyWhenItIsPlain) {
    auto res = Get(GalleryPath(3), {{"Host", "photos.test:8080"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(LinkTails(res->body, "http://photos.test:8080/aviation-photos/small/").size(), 60u);

    res = Get(GalleryPath(3), {{"Host", "evil\"><script>x</script>"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body.find("<script>"), std::string::npos);
    EXPECT_EQ(LinkTails(res->body, ThumbnailPrefix()).size(), 60u);

    EXPECT_EQ(Status("/search/photo.search?daterange=decade"), 404);
    EXPECT_EQ(Status("/search/photo.search"), 404);
}

TEST_F(DemoSiteTest, PhotosAreJpegsOfTheFourSizesAndRepeatExactly) {
    const std::set<std::pair<int, int>> sizes = {
        {1024, 683}, {1600, 1067}, {4000, 3000}, {1067, 1600}};
    auto tails = LinkTails(Body(GalleryPath(0)), ThumbnailPrefix());
    ASSERT_GE(tails.size(), 8u);
    std::set<std::pair<int, int>> seen;
    for (size_t i = 0; i < 8; ++i) {
        std::string photo = Body("/aviation-photos/photos/" + tails[i]);
        JpegInfo info = Decode(photo, false);
        EXPECT_TRUE(sizes.count({info.width, info.height})) << info.width << "x" << info.height;
        seen.insert({info.width, info.height});
        if (i == 0) {
            EXPECT_TRUE(Body("/aviation-photos/photos/" + tails[i]) == photo);
            // Painted afresh by another site, not taken from this one's memory.
            DemoSiteProcess other;
            httplib::Client client("127.0.0.1", other.port());
            auto res = client.Get("/aviation-photos/photos/" + tails[i]);
            ASSERT_TRUE(res);
            EXPECT_TRUE(res->body == photo);
        }

        // The thumbnail shows the same scene, small and in the same orientation.
        std::string thumb = Body("/aviation-photos/small/" + tails[i]);
        JpegInfo small = Decode(thumb, true);
        EXPECT_EQ(std::max(small.width, small.height), 150) << tails[i];
        EXPECT_EQ(small.width > small.height, info.width > info.height) << tails[i];
        ASSERT_GT(small.height, 20);
        // A painted sky over dark ground: the top is brighter than the bottom.
        EXPECT_GT(RowBandBrightness(small, 0, 10),
                  RowBandBrightness(small, small.height - 10, 10) + 20)
            << tails[i];
    }
    EXPECT_GE(seen.size(), 2u) << "every photo has the same size";
}

TEST_F(DemoSiteTest, ConcurrentRequestsThroughATinyCacheGetTheSamePhotos) {
    auto tails = LinkTails(Body(GalleryPath(4)), ThumbnailPrefix());
    ASSERT_GE(tails.size(), 12u);
    tails.resize(12);
    std::vector<std::string> expected;
    for (const auto& t : tails) expected.push_back(Body("/aviation-photos/small/" + t));

    // 16 KiB holds about three thumbnails, so clients race with evictions.
    DemoSiteProcess site({"--cache-kb", "16"});
    ASSERT_GT(site.port(), 0);
    constexpr int kClients = 4;
    std::vector<std::vector<std::string>> got(kClients);
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c)
        clients.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", site.port());
            client.set_read_timeout(30);
            for (int round = 0; round < 3; ++round)
                for (size_t i = 0; i < tails.size(); ++i) {
                    // Each client walks the tails from another starting point.
                    auto res =
                        client.Get("/aviation-photos/small/" + tails[(i + c * 3) % tails.size()]);
                    got[c].push_back(res && res->status == 200 ? res->body : "");
                }
        });
    for (auto& t : clients) t.join();
    for (int c = 0; c < kClients; ++c)
        for (size_t k = 0; k < got[c].size(); ++k)
            EXPECT_TRUE(got[c][k] == expected[(k % tails.size() + c * 3) % tails.size()])
                << c << " " << k;
    EXPECT_EQ(site.Stop(SIGTERM), 0);
}

TEST_F(DemoSiteTest, TheSaversDownloaderFetchesAPageAndItsFirstPhoto) {
    TempDataFolder folder;
    std::string page;
    ASSERT_TRUE(FetchIntoMemory(GalleryUrl(2), FromPath(folder / "index.htm").value(), page));
    auto tails = LinkTails(page, ThumbnailPrefix());
    ASSERT_EQ(tails.size(), 60u);
    std::string flat = tails[0];
    std::replace(flat.begin(), flat.end(), '/', '-');
    ASSERT_TRUE(
        FetchViaTempFile(PhotoPrefix() + AsciiToUtf16(tails[0]), FromPath(folder / flat).value()));
    JpegInfo info = Decode(ReadFileBytes(folder / flat), false);
    EXPECT_GT(info.width, 0);
}

TEST_F(DemoSiteTest, CommonsListingReadsInBothShapesOverTwoPagesAndItsThumbnailsAreJpegs) {
    for (bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "formatversion 2" : "formatversion 1");
        std::string path =
            Utf16ToUtf8(CommonsListingUrl(CommonsGalleryTable[4].path, "", 1920, {}));
        path = path.substr(path.find("/w/api.php"));
        if (!v2) path.replace(path.find("formatversion=2"), 15, "formatversion=1");
        CommonsListing first = ParseCommonsListing(Body(path));
        ASSERT_EQ(first.reply, CommonsReply::Listing);
        ASSERT_FALSE(first.continuation.empty());
        std::u16string next =
            CommonsListingUrl(CommonsGalleryTable[4].path, "", 1920, first.continuation);
        CommonsListing second =
            ParseCommonsListing(Body(Utf16ToUtf8(next.substr(next.find(u"/w/api.php")))));
        ASSERT_EQ(second.reply, CommonsReply::Listing);
        EXPECT_TRUE(second.continuation.empty());
        // Every hostile entry is skipped; the good ones are all there.
        std::set<int64_t> ids;
        for (const auto* listing : {&first, &second})
            for (const CommonsPhoto& photo : listing->photos) {
                ids.insert(photo.pageId);
                EXPECT_FALSE(photo.credit.author.empty());
                EXPECT_EQ(photo.credit.author.find('<'), std::string::npos);
            }
        EXPECT_EQ(ids.size(), 24u);
        EXPECT_EQ(*ids.begin(), 90000001);
    }
    // Thumbnails are rerouted to the site, path kept, and are real JPEGs.
    CommonsListing listing = ParseCommonsListing(
        Body("/w/api.php?gcmtitle=Category:Featured_pictures_of_aircraft&iiurlwidth=1280"));
    ASSERT_FALSE(listing.photos.empty());
    const std::string url = Utf16ToUtf8(listing.photos[0].mediaUrl);
    ASSERT_TRUE(url.starts_with(site_->url() + "/wikipedia/commons/thumb/")) << url;
    EXPECT_GT(Decode(Body(url.substr(site_->url().size())), false).width, 0);
    EXPECT_EQ(Status("/wikipedia/commons/thumb/d/de/Other.jpg/1920px-Other.jpg"), 404);
    EXPECT_NE(Body("/w/api.php?gcmtitle=Category:Other&iiurlwidth=1920").find("\"error\""),
              std::string::npos);
}

TEST_F(DemoSiteTest, PhotoPathsOutsideTheTailRulesAreRefused) {
    for (const char* tail : {"../../etc/passwd", "..%2F..%2Fetc%2Fpasswd", "12/ab/345.jpg",
                             "12//345.jpg", "/12/345.jpg", "12/345.png", ".jpg", "12/.jpg"}) {
        EXPECT_EQ(Status(std::string("/aviation-photos/photos/") + tail), 404) << tail;
        EXPECT_EQ(Status(std::string("/aviation-photos/small/") + tail), 404) << tail;
    }
}

TEST_F(DemoSiteTest, UpdateReplyAndHomePage) {
    std::string reply = Body("/screensavers/update.php?app=skyreel&ver=1.0&uid=0&os=win&osver=1");
    EXPECT_NE(reply.find("<appver>1.1</appver>"), std::string::npos) << reply;
    EXPECT_NE(Body("/screensavers").find("<html>"), std::string::npos);

    DemoSiteProcess newer({"--appver", "1.2.3.4.5.6"});
    ASSERT_GT(newer.port(), 0);
    httplib::Client client("127.0.0.1", newer.port());
    auto res = client.Get("/screensavers/update.php?app=skyreel");
    ASSERT_TRUE(res);
    EXPECT_NE(res->body.find("<appver>1.2.3.4.5.6</appver>"), std::string::npos) << res->body;
    EXPECT_EQ(newer.Stop(SIGTERM), 0);
}

// "7:42 AM" -> minutes after midnight, or -1.
int ClockMinutes(const std::string& text) {
    std::smatch m;
    if (!std::regex_match(text, m, std::regex(R"((\d{1,2}):(\d{2}) (AM|PM))"))) return -1;
    int hour = std::stoi(m[1]) % 12 + (m[3] == "PM" ? 12 : 0);
    return hour * 60 + std::stoi(m[2]);
}

std::string ElementText(const std::string& xml, const std::string& name, size_t from = 0) {
    size_t open = xml.find("<" + name + ">", from);
    if (open == std::string::npos) return {};
    open += name.size() + 2;
    size_t close = xml.find("</" + name + ">", open);
    return close == std::string::npos ? std::string() : xml.substr(open, close - open);
}

TEST_F(DemoSiteTest, WeatherFeedCarriesWhatThePanelsRead) {
    const std::string query = "?cc=*&prod=xoap&par=4827163905&key=b7e2049a1c5d38f6&dayf=5&unit=m";
    std::string feed = Body("/weather/local/RSXX0091" + query);
    EXPECT_EQ(ElementText(feed, "dnam"), "Saint-Petersburg, Russia");
    EXPECT_EQ(ElementText(feed, "ut"), "C");

    size_t loc = feed.find("<loc id=\"RSXX0091\">");
    ASSERT_NE(loc, std::string::npos);
    int sunrise = ClockMinutes(ElementText(feed, "sunr", loc));
    int sunset = ClockMinutes(ElementText(feed, "suns", loc));
    EXPECT_GE(sunrise, 0);
    EXPECT_GT(sunset, sunrise);

    // The observation time is the location's local time now (UTC+3, no
    // daylight saving there), in the "M/D/YY H:MM AM" form.
    size_t cc = feed.find("<cc>");
    ASSERT_NE(cc, std::string::npos);
    std::string lsup = ElementText(feed, "lsup", cc);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(lsup, m, std::regex(R"(^(\d{1,2})/(\d{1,2})/(\d{2}) (.*M))")))
        << lsup;
    std::time_t local = std::time(nullptr) + 3 * 3600;
    std::tm t{};
    gmtime_r(&local, &t);
    EXPECT_EQ(std::stoi(m[1]), t.tm_mon + 1);
    EXPECT_EQ(std::stoi(m[2]), t.tm_mday);
    EXPECT_EQ(std::stoi(m[3]), t.tm_year % 100);
    int minutes = ClockMinutes(m[4]);
    EXPECT_LE(std::abs(minutes - (t.tm_hour * 60 + t.tm_min)), 1) << lsup;

    std::regex day(R"re(<day d="(\d)" t="[A-Z][a-z]+day" dt="([A-Z][a-z]{2} \d{1,2})">)re");
    int days = 0;
    for (std::sregex_iterator it(feed.begin(), feed.end(), day), end; it != end; ++it, ++days) {
        EXPECT_EQ(std::stoi((*it)[1]), days);
        size_t at = size_t(it->position());
        EXPECT_GE(std::stoi(ElementText(feed, "hi", at)), std::stoi(ElementText(feed, "low", at)));
        for (const char* part : {"<part p=\"d\">", "<part p=\"n\">"}) {
            size_t p = feed.find(part, at);
            ASSERT_NE(p, std::string::npos);
            int icon = std::stoi(ElementText(feed, "icon", p));
            EXPECT_TRUE(icon >= 0 && icon <= 47) << icon;
            EXPECT_FALSE(ElementText(feed, "t", p).empty());
        }
    }
    EXPECT_EQ(days, 5);

    EXPECT_EQ(Status("/weather/local/XXXX0000" + query), 404);
}

TEST_F(DemoSiteTest, TheSaversScannerReadsAFullReportFromEveryFeed) {
    for (const char* id : {"RSXX0091", "UKXX0085", "ASXX0112", "USCA0638"}) {
        WeatherScanner scanner;
        WeatherReport report;
        FeedWeatherBytes(scanner, report, Body(std::string("/weather/local/") + id));
        EXPECT_FALSE(report.LocationName.view().empty()) << id;
        EXPECT_FALSE(report.LastUpdated.view().empty()) << id;
        EXPECT_FALSE(report.Conditions.view().empty()) << id;
        EXPECT_EQ(report.TempUnit, u'C') << id;
        EXPECT_LT(report.Sunrise.Hour * 60 + report.Sunrise.Minute,
                  report.Sunset.Hour * 60 + report.Sunset.Minute)
            << id;
        EXPECT_EQ(scanner.DayIndex, 5) << id;
        for (const ForecastDay& day : report.Days) {
            EXPECT_FALSE(day.Date.view().empty()) << id;
            EXPECT_FALSE(day.DayText.view().empty()) << id;
            EXPECT_FALSE(day.NightText.view().empty()) << id;
            EXPECT_GE(day.High, day.Low) << id;
            // 44 is the service's "not available", which the panel replaces.
            EXPECT_NE(day.DayIcon, 44) << id;
        }
    }
}

// The Open-Meteo stand-in: every place found has a forecast the saver's
// reader takes whole, in both units; a polar place has its polar night.
TEST_F(DemoSiteTest, OpenMeteoSearchAndForecastsReadWhole) {
    std::vector<FoundPlace> places;
    ASSERT_EQ(
        ReadOpenMeteoPlaces(Body("/v1/search?name=en&count=10&language=en&format=json"), places),
        2);
    EXPECT_EQ(places[0].label, u"Enschede, Overijssel, The Netherlands");
    EXPECT_EQ(ReadOpenMeteoPlaces(Body("/v1/search?name=zzz"), places), 0);
    places.clear();
    for (const char* name : {"Saint", "Berlin", "New York", "Sydney", "Longyearbyen", "Antarctica"})
        ASSERT_EQ(ReadOpenMeteoPlaces(Body(std::string("/v1/search?name=") +
                                           Utf16ToUtf8(PercentEncodeUtf8(Utf8ToUtf16(name)))),
                                      places),
                  1)
            << name;
    for (const FoundPlace& place : places) {
        PlaceCoordinates at;
        ASSERT_TRUE(PlaceFromCode(place.code.view(), at));
        for (char16_t unit : {u'C', u'F'}) {
            SetSiteOverride(u"http://x");
            std::u16string url = OpenMeteoForecastUrl(at, unit);
            const std::string path = Utf16ToUtf8(std::u16string_view(url).substr(8));
            WeatherReport report;
            ASSERT_TRUE(ReadOpenMeteoForecast(Body(path), place.label, report)) << path;
            EXPECT_EQ(report.TempUnit, unit);
            EXPECT_FALSE(report.Conditions.empty()) << path;
            for (const ForecastDay& day : report.Days) {
                EXPECT_FALSE(day.Date.empty()) << path;
                EXPECT_FALSE(day.DayText.empty()) << path;
                EXPECT_FALSE(day.NightText.empty()) << path;
                EXPECT_GT(day.High, day.Low) << path;
            }
            const bool polar =
                place.label.starts_with(u"Longyearbyen") || place.label.starts_with(u"Antarctica");
            EXPECT_EQ(report.Sunrise.Hour == report.Sunset.Hour, polar) << path;
        }
    }
    EXPECT_EQ(Status("/v1/forecast?latitude=91&longitude=0"), 400);
}

TEST_F(DemoSiteTest, LocationSearchMatchesNamePrefixesAndEveryPlaceHasAFeed) {
    std::string london = Body("/search/search?where=lon");
    EXPECT_NE(london.find("<loc id=\"UKXX0085\" type=\"1\">London, GBR</loc>"), std::string::npos)
        << london;
    EXPECT_NE(Body("/search/search?where=new%20york").find(">New York, NY</loc>"),
              std::string::npos);
    EXPECT_NE(Body("/search/search?where=LONDON").find("London"), std::string::npos);

    for (const char* none : {"zzz", "", "%20%20", "ondon"}) {
        std::string answer = Body(std::string("/search/search?where=") + none);
        EXPECT_NE(answer.find("<search"), std::string::npos) << none;
        EXPECT_EQ(answer.find("<loc"), std::string::npos) << none;
    }

    std::regex place(R"re(<loc id="([A-Z0-9]+)" type="1">([^<]+)</loc>)re");
    int places = 0;
    for (const char* letter : {"s", "m", "l", "p", "n", "t"}) {
        std::string answer = Body(std::string("/search/search?where=") + letter);
        for (std::sregex_iterator it(answer.begin(), answer.end(), place), end; it != end; ++it) {
            ++places;
            std::string feed = Body("/weather/local/" + (*it)[1].str() + "?cc=*&dayf=5&unit=m");
            EXPECT_EQ(ElementText(feed, "dnam"), (*it)[2].str());
        }
    }
    EXPECT_GE(places, 5);
}

// Writes bytes to the site on a fresh connection and reads whatever comes back.
void SendRaw(int port, const std::string& bytes) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        shutdown(fd, SHUT_WR);
        char buffer[4096];
        while (read(fd, buffer, sizeof buffer) > 0) {
        }
    } else {
        ADD_FAILURE() << "cannot connect";
    }
    close(fd);
}

TEST(DemoSiteProcessTest, PrintsOneLineListensOnTheAskedPortAndStopsOnSignals) {
    int port = 0;
    {
        DemoSiteProcess first;
        ASSERT_GT(first.port(), 0);
        EXPECT_EQ(first.firstLine(),
                  "listening on http://127.0.0.1:" + std::to_string(first.port()));
        port = first.port();

        // A second site cannot take a port in use.
        DemoSiteProcess clash({"--port", std::to_string(port)});
        EXPECT_EQ(clash.port(), 0);
        EXPECT_EQ(clash.Wait(), 1);
        EXPECT_EQ(first.Stop(SIGTERM), 0);
    }
    DemoSiteProcess asked({"--port", std::to_string(port)});
    ASSERT_EQ(asked.port(), port) << asked.firstLine();
    // Garbage on the wire is answered or dropped; the site goes on serving.
    for (const std::string& junk : {std::string("\x16\x03\x01\x02\x00\x01\x00", 7),
                                    std::string("GET /screensavers HTTP/1.1\r\nHost: ") +
                                        std::string(20000, 'a') + "\r\n\r\n",
                                    std::string("GET /search/search?where=%zz%") + "\r\n\r\n"})
        SendRaw(port, junk);
    // An idle kept-alive connection does not keep the site from stopping.
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    EXPECT_TRUE(client.Get("/screensavers"));
    EXPECT_EQ(asked.Stop(SIGINT), 0);

    // A signal right after the port line, before the server loop runs, still stops it.
    for (int i = 0; i < 5; ++i) {
        DemoSiteProcess quick;
        ASSERT_GT(quick.port(), 0);
        EXPECT_EQ(quick.Stop(SIGTERM), 0);
    }

    for (auto bad : std::vector<std::vector<std::string>>{{"--port", "70000"},
                                                          {"--port", "x"},
                                                          {"--appver", "<b>"},
                                                          {"--bogus", "1"},
                                                          {"--port"}}) {
        DemoSiteProcess refused(bad);
        EXPECT_EQ(refused.port(), 0);
        EXPECT_EQ(refused.Wait(), 2) << bad[0];
    }
}

}  // namespace

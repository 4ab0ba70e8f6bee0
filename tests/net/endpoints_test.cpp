// The endpoint table as a real install and the demo see it: the hosts asked
// without --site, the Wikimedia hosts rerouted with it (paths kept), the
// media addresses a listing may name, and what "Home Website" opens. One
// test, because --site is set once per process.
#include "net/endpoints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "net/redirect_rule.h"

namespace {
bool MadeUp(const std::u16string& base) {
    return base.find(u".example") != std::u16string::npos;
}
}  // namespace

TEST(Endpoints, RealHostsWithoutSiteAndOneSiteForEverythingWithIt) {
    ASSERT_FALSE(SiteOverridden());
    // Without --site: no update query (no update service built in), and the
    // Commons path asks Wikimedia only, over https.
    EXPECT_FALSE(UpdateServiceConfigured());
    EXPECT_EQ(ServiceBase(Service::CommonsApi), u"https://commons.wikimedia.org");
    for (Service s : {Service::CommonsApi, Service::CommonsUpload, Service::CommonsThumb})
        EXPECT_FALSE(MadeUp(ServiceBase(s)));
    const std::string thumb =
        "https://upload.wikimedia.org/wikipedia/commons/thumb/2/25/A_(b),c.jpg/1920px-A_(b),c.jpg";
    EXPECT_EQ(CommonsMediaUrl(thumb), AsciiToUtf16(thumb));
    EXPECT_EQ(CommonsMediaUrl("https://thumb.wikimedia.org/wikipedia/commons/thumb/a/ab/x.jpg"),
              u"https://thumb.wikimedia.org/wikipedia/commons/thumb/a/ab/x.jpg");
    for (const char* refused :
         {"http://upload.wikimedia.org/wikipedia/x.jpg", "https://upload.wikimedia.org",
          "https://upload.wikimedia.org.evil.example/x.jpg", "https://commons.wikimedia.org/x.jpg",
          "https://upload.wikimedia.org/a/../b.jpg", "https://upload.wikimedia.org/a b.jpg",
          "https://upload.wikimedia.org/a\\b.jpg", "https://upload.wikimedia.org/a\"b.jpg",
          "https://upload.wikimedia.org/caf\xC3\xA9.jpg", "//upload.wikimedia.org/x.jpg", ""})
        EXPECT_TRUE(CommonsMediaUrl(refused).empty()) << refused;
    const std::string longest =
        "https://upload.wikimedia.org/" + std::string(kLongUrlLimit - 29, 'a');
    EXPECT_EQ(CommonsMediaUrl(longest).size(), kLongUrlLimit);
    EXPECT_TRUE(CommonsMediaUrl(longest + "a").empty());
    // A Commons photo may be redirected between Wikimedia's two media hosts only.
    const std::vector<std::string> media = {"upload.wikimedia.org", "thumb.wikimedia.org"};
    EXPECT_EQ(RedirectHostsOf(Service::CommonsUpload), media);
    const std::u16string agent = DescriptiveAgentPrefix();
    EXPECT_TRUE(agent.starts_with(u"Skyreel/1.0 (")) << Utf16ToUtf8(agent);
    EXPECT_TRUE(agent.ends_with(u")"));

    // "Home Website" without a maker site: the installed README, never the
    // made-up maker host.
    const struct {
        const char16_t* readme;
        const char16_t* url;
    } homes[] = {
        {u"/usr/share/doc/skyreel/README.md", u"file:///usr/share/doc/skyreel/README.md"},
        {u"/opt/my docs/caf\u00e9#1?\\x.md", u"file:///opt/my%20docs/caf%C3%A9%231%3F%5Cx.md"},
        {u"C:\\Windows\\skyreel-readme.txt", u"file:///C:/Windows/skyreel-readme.txt"},
        {u"D:/Program Files/r.txt", u"file:///D:/Program%20Files/r.txt"},
    };
    for (const auto& home : homes)
        EXPECT_EQ(HomeWebsiteUrl(home.readme), home.url) << Utf16ToUtf8(home.readme);

    EXPECT_FALSE(SetSiteOverride(u"ftp://127.0.0.1:80"));
    EXPECT_FALSE(SetSiteOverride(u"https://bad_host"));
    ASSERT_FALSE(SiteOverridden());
    ASSERT_TRUE(SetSiteOverride(u"HTTPS://127.0.0.1:8443/"));
    EXPECT_TRUE(UpdateServiceConfigured());
    for (Service s : {Service::PhotoSite, Service::UpdateService, Service::CommonsApi,
                      Service::CommonsUpload, Service::CommonsThumb})
        EXPECT_EQ(ServiceBase(s), u"https://127.0.0.1:8443");
    // Wikimedia's media addresses go to the site, path kept; the site's own
    // addresses stay; other hosts stay refused.
    EXPECT_EQ(
        CommonsMediaUrl(thumb),
        u"https://127.0.0.1:8443/wikipedia/commons/thumb/2/25/A_(b),c.jpg/1920px-A_(b),c.jpg");
    EXPECT_EQ(CommonsMediaUrl("https://127.0.0.1:8443/wikipedia/x.jpg"),
              u"https://127.0.0.1:8443/wikipedia/x.jpg");
    EXPECT_TRUE(CommonsMediaUrl("https://127.0.0.1:8444/wikipedia/x.jpg").empty());
    EXPECT_TRUE(CommonsMediaUrl("https://127.0.0.1:8443").empty());
    EXPECT_EQ(MakerAddress(), u"127.0.0.1:8443/screensavers");
    EXPECT_EQ(RedirectHostsOf(Service::ImageServer), std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(HomeWebsiteUrl(u"/usr/share/doc/skyreel/README.md"),
              u"https://127.0.0.1:8443/screensavers");
}

// No silent downgrade: https never leads to plain http, whatever the hosts;
// named hosts are matched whole and in any case, ports aside.
TEST(Endpoints, RedirectsNeverLeaveHttpsNorTheHostsARequestNames) {
    const std::vector<std::string> media = {"upload.wikimedia.org", "thumb.wikimedia.org"};
    const struct {
        const char* from;
        const char* to;
        bool named;  // the request names `media`
        bool allowed;
    } rows[] = {
        {"https://upload.wikimedia.org/a.jpg", "https://thumb.wikimedia.org/a.jpg", true, true},
        {"https://upload.wikimedia.org/a.jpg", "http://upload.wikimedia.org/a.jpg", true, false},
        {"https://commons.wikimedia.org/w/api.php", "http://commons.wikimedia.org/", false, false},
        {"HTTPS://api.open-meteo.com/v1", "HTTPS://api.open-meteo.com/v2", false, true},
        {"http://127.0.0.1:8080/a.jpg", "https://127.0.0.1:8443/a.jpg", false, true},
        {"https://upload.wikimedia.org/a.jpg", "https://UPLOAD.Wikimedia.org:443/b.jpg", true,
         true},
        {"https://upload.wikimedia.org/a.jpg", "https://upload.wikimedia.org.evil.test/", true,
         false},
        {"https://upload.wikimedia.org/a.jpg", "https://upload.wikimedia.org@evil.test/", true,
         false},
        {"https://upload.wikimedia.org/a.jpg", "https://evil.test/?upload.wikimedia.org", true,
         false},
        {"http://127.0.0.1/a.jpg", "file:///etc/passwd", false, false},
        {"http://127.0.0.1/a.jpg", "http:///a.jpg", false, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RedirectAllowed(row.from, row.to, row.named ? media : std::vector<std::string>{}),
                  row.allowed)
            << row.from << " -> " << row.to;
}

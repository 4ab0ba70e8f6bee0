// The Commons listing parser and request, without a network: reply shapes,
// skip rules, credits, continuation and hostile bytes.
#include "harvest/commons_listing.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "commons_reply.h"
#include "net/endpoints.h"

using namespace commons_reply;

namespace {
std::vector<int64_t> Ids(const CommonsListing& listing) {
    std::vector<int64_t> ids;
    for (const auto& photo : listing.photos) ids.push_back(photo.pageId);
    return ids;
}
}  // namespace

TEST(CommonsListing, BothShapesGiveTheSamePhotosAndCredits) {
    for (bool v2 : {false, true}) {
        json withAttribution = GoodPage(81754323);
        MetaOf(withAttribution)["Attribution"] =
            Meta("Photo by <a href=\"//commons.wikimedia.org/wiki/User:PtrQs\">PtrQs</a>");
        MetaOf(withAttribution)["ObjectName"] = Meta("20120925 PlozevetBretagne LoneTree");
        json entity = GoodPage(17540984);
        MetaOf(entity)["Artist"] = Meta(
            "<a href=\"//commons.wikimedia.org/wiki/User:Rama\" "
            "title=\"User:Rama\">Rama</a> &amp; Mus&#233;e Bolo");
        MetaOf(entity)["LicenseShortName"] = Meta("CC BY-SA 2.0 fr");
        json creditOnly = GoodPage(5);
        MetaOf(creditOnly).erase("Artist");
        const json next = {{"gcmcontinue", "file|4142|123"}, {"continue", "gcmcontinue||"}};
        CommonsListing listing =
            ParseCommonsListing(Reply({withAttribution, entity, creditOnly}, v2, next));
        SCOPED_TRACE(v2 ? "formatversion 2" : "formatversion 1");
        ASSERT_EQ(listing.reply, CommonsReply::Listing);
        ASSERT_EQ(listing.photos.size(), 3u);
        std::sort(listing.photos.begin(), listing.photos.end(),
                  [](const auto& a, const auto& b) { return a.pageId > b.pageId; });
        const CommonsPhoto& first = listing.photos[0];
        EXPECT_EQ(first.pageId, 81754323);
        EXPECT_EQ(first.mediaUrl,
                  u"https://upload.wikimedia.org/wikipedia/commons/thumb/2/25/Plane_81754323.jpg/"
                  u"1920px-Plane_81754323.jpg");
        EXPECT_EQ(first.credit.author, "Photo by PtrQs");  // Attribution wins over Artist
        EXPECT_EQ(first.credit.licence, "CC BY-SA 4.0");
        EXPECT_EQ(first.credit.page, "https://commons.wikimedia.org/w/index.php?curid=81754323");
        EXPECT_EQ(first.credit.title, "20120925 PlozevetBretagne LoneTree");
        EXPECT_EQ(listing.photos[1].credit.author,
                  "Rama & Mus\xC3\xA9"
                  "e Bolo");
        EXPECT_EQ(listing.photos[1].credit.licence, "CC BY-SA 2.0 fr");
        EXPECT_EQ(listing.photos[2].credit.author, "Own work");  // Credit when no Artist
        const CommonsContinuation expected = {{"gcmcontinue", "file|4142|123"},
                                              {"continue", "gcmcontinue||"}};
        CommonsContinuation got = listing.continuation;
        std::sort(got.begin(), got.end());
        CommonsContinuation want = expected;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want);
    }
}

TEST(CommonsListing, EverySkipRuleLeavesOnlyTheGoodEntry) {
    std::vector<json> pages;
    auto changed = [&](int64_t id, auto change) {
        json page = GoodPage(id);
        change(page);
        pages.push_back(page);
    };
    changed(101, [](json& p) { MetaOf(p)["NonFree"] = Meta("true"); });
    changed(102, [](json& p) {
        MetaOf(p)["License"] = Meta("gfdl");
        MetaOf(p)["LicenseShortName"] = Meta("GFDL");
    });
    changed(103, [](json& p) {
        MetaOf(p)["License"] = Meta("cc-by-nc-2.0");
        MetaOf(p)["LicenseShortName"] = Meta("CC BY-NC 2.0");
    });
    changed(104, [](json& p) {
        MetaOf(p).erase("License");
        MetaOf(p).erase("LicenseShortName");
    });
    changed(105, [](json& p) { Info(p)["mime"] = "image/png"; });
    changed(106, [](json& p) { Info(p)["mime"] = 42; });
    changed(107, [](json& p) { Info(p)["thumburl"] = "https://images.example.org/a/b.jpg"; });
    changed(108, [](json& p) {
        Info(p)["thumburl"] = "https://upload.wikimedia.org/wikipedia/commons/thumb/../../x.jpg";
    });
    changed(109, [](json& p) {
        Info(p)["thumburl"] = "http://upload.wikimedia.org/wikipedia/commons/thumb/a/ab/x.jpg";
    });
    changed(110, [](json& p) {
        Info(p)["thumburl"] = "https://upload.wikimedia.org.evil.example/wikipedia/x.jpg";
    });
    changed(111, [](json& p) { Info(p).erase("thumburl"); });  // never built from url
    changed(112, [](json& p) { p.erase("imageinfo"); });
    changed(113, [](json& p) { p["imageinfo"] = json::array(); });
    changed(114, [](json& p) { p["missing"] = true; });
    changed(0, [](json&) {});
    changed(-7, [](json&) {});
    changed(115, [](json& p) { p["pageid"] = "115"; });
    changed(116, [](json& p) { p["pageid"] = 116.5; });
    changed(117, [](json& p) { Info(p)["extmetadata"] = "not an object"; });
    changed(118, [](json& p) { Info(p)["thumburl"] = json::object(); });
    pages.push_back(GoodPage(200));
    pages.push_back(GoodPage(200));  // repeated (only an array can say it twice)
    // fv1 marks a missing page with an empty string
    pages.push_back(json{{"ns", 6}, {"title", "File:Gone.jpg"}, {"missing", ""}});
    EXPECT_EQ(Ids(ParseCommonsListing(Reply(pages, true))), std::vector<int64_t>{200});
    EXPECT_EQ(Ids(ParseCommonsListing(Reply(pages, false))), std::vector<int64_t>{200});
}

TEST(CommonsListing, FreeLicencesByMachineNameElseByShortName) {
    for (const char* free : {"cc0", "CC0", "pd", "pd-old-70", "cc-by-4.0", "cc-by-sa-3.0-de"})
        EXPECT_TRUE(FreeLicence(free, "")) << free;
    for (const char* notFree :
         {"gfdl", "cc-by-nc-4.0", "cc-by-nd-2.0", "cc-by-sa-nc", "attribution", "pdf", "fair use"})
        EXPECT_FALSE(FreeLicence(notFree, "CC BY 4.0")) << notFree;  // the machine name decides
    for (const char* free : {"CC0", "Public domain", "CC BY 2.0", "CC BY-SA 2.0 fr"})
        EXPECT_TRUE(FreeLicence("", free)) << free;
    for (const char* notFree : {"", "GFDL", "CC BY-NC 2.0", "Public domain-ish"})
        EXPECT_FALSE(FreeLicence("", notFree)) << notFree;
}

TEST(CommonsListing, CreditsAreCleanedAndWrongTypesReadAsAbsent) {
    json hostile = GoodPage(300);
    MetaOf(hostile)["Artist"] =
        Meta("<script>alert('x')</script>" + std::string(5000, 'A') + " &lt;b&gt;");
    MetaOf(hostile)["ObjectName"] = Meta(json::object({{"en", "an object"}}));
    json numbers = GoodPage(301);
    MetaOf(numbers)["Artist"] = Meta(12345);
    MetaOf(numbers)["Credit"] = json::array({1, 2});
    CommonsListing listing = ParseCommonsListing(Reply({hostile, numbers}, true));
    ASSERT_EQ(listing.photos.size(), 2u);
    const PhotoCredit& cut = listing.photos[0].credit;
    EXPECT_LE(cut.author.size(), kCreditTextLimit);
    EXPECT_EQ(cut.author.find("alert"), std::string::npos);
    EXPECT_EQ(cut.author.find('<'), std::string::npos);
    // An object name of the wrong type reads as absent: the file's name titles it.
    EXPECT_EQ(cut.title, "Plane 300");
    EXPECT_EQ(listing.photos[1].credit.author, "");  // no string anywhere: no author
}

TEST(CommonsListing, ErrorsAndGarbageEndTheCallWithoutPhotos) {
    EXPECT_EQ(ParseCommonsListing(
                  R"({"error":{"code":"maxlag","info":"Waiting for db: 6 seconds lagged"}})")
                  .reply,
              CommonsReply::Lagged);
    EXPECT_EQ(ParseCommonsListing(R"({"error":{"code":"ratelimited"}})").reply,
              CommonsReply::Lagged);
    EXPECT_EQ(ParseCommonsListing(R"({"error":{"code":"badvalue"}})").reply, CommonsReply::Failed);
    EXPECT_EQ(ParseCommonsListing(R"({"error":"maxlag"})").reply, CommonsReply::Failed);
    const std::string good = Reply({GoodPage(1), GoodPage(2)}, true);
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, good.size() / 2, good.size() - 1}) {
        CommonsListing truncated = ParseCommonsListing(good.substr(0, cut));
        EXPECT_EQ(truncated.reply, CommonsReply::Failed) << cut;
        EXPECT_TRUE(truncated.photos.empty());
    }
    for (const char* odd : {"[]", "null", "42", "\"text\"", "{\"query\":[]}",
                            "{\"query\":{\"pages\":7}}", "{\"continue\":[1]}"})
        EXPECT_TRUE(ParseCommonsListing(odd).photos.empty()) << odd;
    // Deep nesting is memory, not stack.
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    EXPECT_EQ(ParseCommonsListing(deep).reply, CommonsReply::Failed);
}

TEST(CommonsListing, HugeRepliesAreReadOnlyAsFarAsTheEntryBound) {
    std::vector<json> pages;
    for (int i = 1; i <= 10000; ++i) pages.push_back(GoodPage(i));
    const std::string reply = Reply(pages, true);
    EXPECT_GT(reply.size(), 1u << 20);
    CommonsListing listing = ParseCommonsListing(reply);
    EXPECT_EQ(listing.photos.size(), kCommonsEntriesPerReply);
}

TEST(CommonsListing, ContinuationThatCannotGoBackAsItCameEndsTheListing) {
    const std::string page =
        Reply({GoodPage(1)}, true, json{{"gcmcontinue", "x"}, {"Bad Key", "y"}});
    EXPECT_TRUE(ParseCommonsListing(page).continuation.empty());
    EXPECT_TRUE(ParseCommonsListing(Reply({}, true, json{{"gcmcontinue", json::object()}}))
                    .continuation.empty());
    EXPECT_TRUE(ParseCommonsListing(Reply({}, true, json{{"gcmcontinue", std::string(2000, 'x')}}))
                    .continuation.empty());
    CommonsListing numeric = ParseCommonsListing(Reply({}, true, json{{"gcmoffset", 50}}));
    EXPECT_EQ(numeric.continuation, (CommonsContinuation{{"gcmoffset", "50"}}));
}

TEST(CommonsListing, RequestHasOneFixedOrderAndALengthBound) {
    const std::u16string url =
        CommonsListingUrl(u"gcmtitle=Category%3AX&gcmsort=timestamp", "&gcmend=2026-01-01", 1920,
                          {{"gcmcontinue", "file|41 42|7"}, {"continue", "gcmcontinue||"}});
    EXPECT_EQ(Utf16ToUtf8(url).substr(Utf16ToUtf8(ServiceBase(Service::CommonsApi)).size()),
              "/w/api.php?action=query&format=json&formatversion=2&maxlag=5"
              "&generator=categorymembers&gcmtitle=Category%3AX&gcmsort=timestamp"
              "&gcmend=2026-01-01&gcmlimit=50&prop=imageinfo"
              "&iiprop=url%7Csize%7Cmime%7Cextmetadata&iiextmetadatafilter=ObjectName%7CArtist"
              "%7CCredit%7CAttribution%7CLicenseShortName%7CLicense%7CNonFree"
              "&iiextmetadatalanguage=en&iiurlwidth=1920"
              "&gcmcontinue=file%7C41%2042%7C7&continue=gcmcontinue%7C%7C");
    EXPECT_TRUE(CommonsListingUrl(u"x", "", 1920, {{"gcmcontinue", std::string(900, '|')}})
                    .empty());  // 2,700 characters encoded
    EXPECT_EQ(CommonsThumbWidth(800), 1280);
    EXPECT_EQ(CommonsThumbWidth(1280), 1280);
    EXPECT_EQ(CommonsThumbWidth(1920), 1920);
    EXPECT_EQ(CommonsThumbWidth(2560), 3840);
    EXPECT_EQ(CommonsThumbWidth(7680), 3840);
}

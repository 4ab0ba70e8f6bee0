// Reply shapes, each from a recorded reply of the real API:
//  - the wrapper of formatversion 1 ("batchcomplete": "", "continue" with
//    the generator's token, "query.pages" keyed by page id): the recorded
//    Commons reply of wikimedia/mediawiki-extensions-SearchVue,
//    tests/jest/fixtures/commonsApiResponse.js;
//  - one page with imageinfo and full extmetadata (HTML Artist with a user
//    link, Attribution "Photo by ...", License, LicenseShortName,
//    ObjectName, the number-valued CommonsMetadataExtension):
//    WordPress/openverse catalog/tests/dags/providers/provider_api_scripts/
//    resources/wikimedia/image_data_example.json;
//  - an Artist holding an entity ("... &amp; Musee Bolo"):
//    wmde/attribution-generator-api services/__fixtures__/
//    imageInfoWithoutNormalization.js;
//  - the "continue" wrapper {"continue": "...||", "<token>": "..."}:
//    Openverse resources/wikimedia/response_small_with_continue.json;
//  - formatversion 2 (pages an array, true for booleans, "missing": true):
//    the same data under the rules of the formatversion=2 announcement on
//    the mediawiki-api list.
// The thumbnails keep the real hosts and paths
// (https://upload.wikimedia.org/wikipedia/commons/thumb/...): the saver
// sends them to the demo site when it runs with --site.
#include "commons_api.h"

#include <nlohmann/json.hpp>

#include "photo_painter.h"

namespace {
using nlohmann::json;

constexpr std::string_view kCategory = "Category:Featured_pictures_of_aircraft";
constexpr std::string_view kSecondPage = "file|44454d4f2032|90000013";
constexpr int kPerPage = kCommonsDemoPhotos / 2;
constexpr int64_t kFirstId = 90000001;
constexpr const char* kThumbRoot = "https://upload.wikimedia.org/wikipedia/commons/thumb/";

struct Licence {
    const char* machine;
    const char* shortName;
};
constexpr Licence kLicences[] = {{"cc-by-sa-4.0", "CC BY-SA 4.0"},
                                 {"cc-by-2.0", "CC BY 2.0"},
                                 {"cc0", "CC0"},
                                 {"pd", "Public domain"}};

std::string FileName(int n) {
    return "Demo_aircraft_" + std::to_string(n) + ".jpg";
}

json Meta(const std::string& value) {
    return json{{"value", value}, {"source", "commons-desc-page"}, {"hidden", ""}};
}

json Page(int64_t id, const std::string& name, json info) {
    return json{{"pageid", id},
                {"ns", 6},
                {"title", "File:" + name},
                {"imagerepository", "local"},
                {"imageinfo", json::array({std::move(info)})}};
}

json GoodInfo(int n, const std::string& width) {
    const std::string name = FileName(n);
    const std::string id = std::to_string(kFirstId + n - 1);
    const Licence& licence = kLicences[n % std::size(kLicences)];
    json meta = {
        {"Artist", Meta("<a href=\"//commons.wikimedia.org/wiki/User:Demo" + std::to_string(n) +
                        "\" title=\"User:Demo" + std::to_string(n) + "\">Demo Photographer " +
                        std::to_string(n) + "</a> &amp; Friends")},
        {"Credit", Meta("<span class=\"int-own-work\" lang=\"en\">Own work</span>")},
        {"License", Meta(licence.machine)},
        {"LicenseShortName", Meta(licence.shortName)},
        {"ObjectName", Meta("Demo aircraft " + std::to_string(n))},
        {"CommonsMetadataExtension", json{{"value", 1.2}, {"source", "extension"}}},
    };
    if (n % 3 == 0)
        meta["Attribution"] = Meta("Photo by <b>Demo Photographer " + std::to_string(n) + "</b>");
    return json{
        {"size", 4000000},
        {"width", 4000},
        {"height", 2667},
        {"thumburl", kThumbRoot + std::string("d/de/") + name + "/" + width + "px-" + name},
        {"thumbwidth", std::stoi(width)},
        {"url", "https://upload.wikimedia.org/wikipedia/commons/d/de/" + name},
        {"descriptionurl", "https://commons.wikimedia.org/wiki/File:" + name},
        {"descriptionshorturl", "https://commons.wikimedia.org/w/index.php?curid=" + id},
        {"mime", "image/jpeg"},
        {"extmetadata", meta},
    };
}

// Entries the saver must skip, each for one rule.
std::vector<json> HostileEntries(int page, const std::string& width) {
    std::vector<json> out;
    const int64_t base = 91000000 + page * 100;
    auto variant = [&](int64_t id, const std::string& what, auto change) {
        json info = GoodInfo(1, width);
        info["thumburl"] =
            kThumbRoot + std::string("d/de/") + what + ".jpg/" + width + "px-" + what + ".jpg";
        change(info);
        out.push_back(Page(id, what + ".jpg", info));
    };
    variant(base + 1, "Non_free", [](json& i) { i["extmetadata"]["NonFree"] = Meta("true"); });
    variant(base + 2, "Gfdl_only", [](json& i) {
        i["extmetadata"]["License"] = Meta("gfdl");
        i["extmetadata"]["LicenseShortName"] = Meta("GFDL");
    });
    variant(base + 3, "Not_a_jpeg", [](json& i) { i["mime"] = "image/png"; });
    variant(base + 4, "Foreign_host",
            [](json& i) { i["thumburl"] = "https://images.example.org/wikipedia/commons/x.jpg"; });
    variant(base + 5, "Climbs_out", [](json& i) {
        i["thumburl"] = "https://upload.wikimedia.org/wikipedia/commons/thumb/../../../etc/passwd";
    });
    variant(base + 6, "Wrong_types", [](json& i) { i["mime"] = 42; });
    variant(-5, "Negative_id", [](json&) {});
    variant(0, "Zero_id", [](json&) {});
    out.push_back(json{{"pageid", base + 7}, {"ns", 6}, {"title", "File:No_info.jpg"}});
    out.push_back(json{{"ns", 6}, {"title", "File:Gone.jpg"}, {"missing", true}});
    return out;
}
}  // namespace

std::string CommonsApiReply(std::string_view category, std::string_view gcmcontinue,
                            bool formatVersion2, std::string_view width) {
    const bool first = gcmcontinue.empty();
    if (category != kCategory || (!first && gcmcontinue != kSecondPage) ||
        (width != "1280" && width != "1920" && width != "3840"))
        return json{{"error", {{"code", "badvalue"}, {"info", "The demo lists one category."}}}}
            .dump();
    const std::string w(width);
    std::vector<json> pages;
    const int from = first ? 1 : kPerPage + 1;
    for (int n = from; n < from + kPerPage; ++n)
        pages.push_back(Page(kFirstId + n - 1, FileName(n), GoodInfo(n, w)));
    for (json& hostile : HostileEntries(first ? 0 : 1, w)) pages.push_back(std::move(hostile));
    if (formatVersion2) pages.push_back(pages.front());  // a page id given twice

    json reply = {{"batchcomplete", formatVersion2 ? json(true) : json("")}};
    if (first) reply["continue"] = {{"gcmcontinue", kSecondPage}, {"continue", "gcmcontinue||"}};
    if (formatVersion2) {
        reply["query"]["pages"] = pages;
    } else {
        json keyed = json::object();
        int missing = 0;
        for (json& page : pages) {
            // formatversion 1 names a missing page by a negative key and "missing": "".
            if (page.contains("missing")) page["missing"] = "";
            std::string key =
                page.contains("pageid") ? page["pageid"].dump() : std::to_string(--missing);
            keyed[key] = page;
        }
        reply["query"]["pages"] = keyed;
    }
    return reply.dump();
}

std::string CommonsThumbName(std::string_view path) {
    constexpr std::string_view kPrefix = "/wikipedia/commons/thumb/d/de/";
    if (!path.starts_with(kPrefix)) return {};
    std::string_view rest = path.substr(kPrefix.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return {};
    const std::string name(rest.substr(0, slash));
    for (int n = 1; n <= kCommonsDemoPhotos; ++n) {
        if (name != FileName(n)) continue;
        std::string_view thumb = rest.substr(slash + 1);
        return thumb.ends_with("px-" + name) ? name : std::string();
    }
    return {};
}

// Commons listing replies for tests, in the shapes of recorded replies of
// the real API (the demo site's commons_api.cpp names the fixtures they
// come from): one good page object to start from, changed per case, and the
// reply wrapper in either formatversion.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace commons_reply {
using nlohmann::json;

inline json Meta(const json& value) {
    return json{{"value", value}, {"source", "commons-desc-page"}, {"hidden", ""}};
}

// A page that passes every rule; `host` is where its thumbnail lies.
inline json GoodPage(int64_t id, const std::string& host = "https://upload.wikimedia.org") {
    const std::string name = "Plane_" + std::to_string(id) + ".jpg";
    json meta = {
        {"Artist", Meta("<a href=\"//commons.wikimedia.org/wiki/User:PtrQs\" "
                        "title=\"User:PtrQs\">PtrQs</a>")},
        {"Credit", Meta("<span class=\"int-own-work\" lang=\"en\">Own work</span>")},
        {"License", Meta("cc-by-sa-4.0")},
        {"LicenseShortName", Meta("CC BY-SA 4.0")},
        {"ObjectName", Meta("Plane " + std::to_string(id))},
        {"CommonsMetadataExtension", json{{"value", 1.2}, {"source", "extension"}}},
    };
    json info = {
        {"thumburl", host + "/wikipedia/commons/thumb/2/25/" + name + "/1920px-" + name},
        {"url", host + "/wikipedia/commons/2/25/" + name},
        {"descriptionurl", "https://commons.wikimedia.org/wiki/File:" + name},
        {"descriptionshorturl",
         "https://commons.wikimedia.org/w/index.php?curid=" + std::to_string(id)},
        {"mime", "image/jpeg"},
        {"width", 5514},
        {"height", 3102},
        {"extmetadata", meta},
    };
    return json{{"pageid", id},
                {"ns", 6},
                {"title", "File:" + name},
                {"imagerepository", "local"},
                {"imageinfo", json::array({info})}};
}

inline json& Info(json& page) {
    return page["imageinfo"][0];
}
inline json& MetaOf(json& page) {
    return Info(page)["extmetadata"];
}

// The reply around `pages`: formatversion 2 (an array) or 1 (an object
// keyed by page id; pages without one get negative keys, as missing ones do).
inline std::string Reply(const std::vector<json>& pages, bool v2, const json& next = nullptr) {
    json reply = {{"batchcomplete", v2 ? json(true) : json("")}};
    if (!next.is_null()) reply["continue"] = next;
    if (v2) {
        reply["query"]["pages"] = pages;
    } else {
        json keyed = json::object();
        int unnamed = 0;
        for (const json& page : pages) {
            std::string key = page.contains("pageid") && page["pageid"].is_number()
                                  ? page["pageid"].dump()
                                  : std::to_string(--unnamed);
            keyed[key] = page;
        }
        reply["query"]["pages"] = keyed;
    }
    return reply.dump();
}
}  // namespace commons_reply

#include "gallery_pages.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "photo_painter.h"

namespace {

// Each gallery lists kLinksPerPage tails from one shared pool, starting
// kGalleryStride further along than the previous gallery.
constexpr int kGalleryStride = kLinksPerPage / 2;
constexpr int kPoolSize = kGalleryStride * (kDemoGalleryCount - 1) + kLinksPerPage;

constexpr const char* kAircraft[] = {
    "Airbus A320-214", "Boeing 737-8AS",     "Airbus A350-941",  "Boeing 787-9 Dreamliner",
    "Embraer E190",    "ATR 72-600",         "Airbus A380-861",  "Boeing 747-8F",
    "Airbus A321neo",  "Bombardier CRJ-900", "Boeing 777-300ER", "Sukhoi Superjet 100",
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlnum(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

const std::vector<std::string>& TailPool() {
    static const std::vector<std::string> pool = [] {
        std::vector<std::string> tails;
        std::unordered_set<uint64_t> seen;
        for (uint64_t n = 0; int(tails.size()) < kPoolSize; ++n) {
            uint64_t id = 1000000 + HashText("photo " + std::to_string(n)) % 9000000;
            if (!seen.insert(id).second) continue;
            char tail[32];
            std::snprintf(tail, sizeof tail, "%02d/%02d/%07d.jpg", int(id % 100),
                          int(id / 100 % 100), int(id));
            tails.push_back(tail);
        }
        return tails;
    }();
    return pool;
}

// The photo number of a tail: the digits of its file name.
std::string PhotoId(const std::string& tail) {
    size_t slash = tail.rfind('/');
    return tail.substr(slash + 1, tail.size() - slash - 1 - 4);
}

}  // namespace

int GalleryForQuery(std::string_view viewsPerDay, std::string_view dateRange) {
    if (viewsPerDay == "month") return 0;
    constexpr std::string_view kRanges[] = {"halfyear", "month", "week", "day"};
    for (int i = 0; i < int(std::size(kRanges)); ++i)
        if (dateRange == kRanges[i]) return i + 1;
    return -1;
}

std::vector<std::string> GalleryTails(int gallery) {
    const auto& pool = TailPool();
    auto first = pool.begin() + gallery * kGalleryStride;
    std::vector<std::string> tails(first, first + kLinksPerPage);
    // Sorted by views on the real site: a stable per-gallery order here.
    std::sort(tails.begin(), tails.end(), [gallery](const std::string& a, const std::string& b) {
        return HashText(a + char('0' + gallery)) < HashText(b + char('0' + gallery));
    });
    return tails;
}

std::string GalleryPageHtml(int gallery, std::string_view hostPort) {
    static constexpr const char* kTitles[] = {"Most popular photos", "Best of last 6 months",
                                              "Best of last 30 days", "Best of last 7 days",
                                              "Best of last 24 hours"};
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Aviation photo search - ";
    html += kTitles[gallery];
    html += "</title></head>\n<body>\n<h1>";
    html += kTitles[gallery];
    html += "</h1>\n<p>Sorted by views. Showing ";
    html += std::to_string(kLinksPerPage);
    html += " photos per page.</p>\n<table class=\"results\">\n";
    auto tails = GalleryTails(gallery);
    for (size_t i = 0; i < tails.size(); ++i) {
        const std::string& tail = tails[i];
        std::string id = PhotoId(tail);
        if (i % 4 == 0) html += "<tr>\n";
        html += "<td><a href=\"/photo/" + id + "/\"><img src=\"http://" + std::string(hostPort) +
                "/aviation-photos/small/" + tail + "\" width=\"" + std::to_string(kThumbnailSide) +
                "\" alt=\"Photo " + id + "\" border=\"0\"></a><br>" +
                kAircraft[HashText(tail) % std::size(kAircraft)] + "<br>" +
                std::to_string(HashText(id) % 90000 + 1000) + " views</td>\n";
        if (i % 4 == 3 || i + 1 == tails.size()) html += "</tr>\n";
    }
    html += "</table>\n<p><a href=\"?page=2\">Next page</a></p>\n</body></html>\n";
    return html;
}

bool IsSafeTail(std::string_view tail) {
    constexpr std::string_view kExt = ".jpg";
    if (tail.size() <= kExt.size() || tail.size() > 200 || !tail.ends_with(kExt)) return false;
    std::string_view stem = tail.substr(0, tail.size() - kExt.size());
    // Every "/"-separated part is a non-empty run of digits.
    bool partEmpty = true;
    for (char c : stem) {
        if (c == '/') {
            if (partEmpty) return false;
            partEmpty = true;
        } else if (IsDigit(c)) {
            partEmpty = false;
        } else {
            return false;
        }
    }
    return !partEmpty;
}

std::string HostForLinks(std::string_view hostHeader, int port) {
    bool plain = !hostHeader.empty() && hostHeader.size() <= 100;
    for (char c : hostHeader) {
        if (!IsAlnum(c) && c != '.' && c != '-' && c != ':') plain = false;
    }
    if (plain) return std::string(hostHeader);
    return "127.0.0.1:" + std::to_string(port);
}

std::string UpdateReplyXml(std::string_view version) {
    return "<?xml version=\"1.0\"?><update><appver>" + std::string(version) + "</appver></update>";
}

std::string HomePageHtml(std::string_view version) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Velmora screensavers"
           "</title></head>\n<body><h1>Velmora screensavers</h1>\n"
           "<p>Skyreel: aviation photos on your screen. The newest version is " +
           std::string(version) + ".</p>\n</body></html>\n";
}

bool IsPlainVersion(std::string_view version) {
    if (version.empty() || version.size() > 32) return false;
    for (char c : version)
        if (!IsAlnum(c) && c != '.' && c != '-') return false;
    return true;
}

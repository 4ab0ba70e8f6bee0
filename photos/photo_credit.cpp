// Credit texts come from outside (listing replies, photo files), so every
// path into a PhotoCredit goes through one PlainText builder: it validates
// UTF-8, turns control characters and Unicode blanks into single spaces,
// drops invisible formatting (bidirectional overrides could reverse a
// caption) and cuts at the limit. HTML markup and XML text differ only in
// what surrounds their character data; both decode the same entities.
//
// The XMP packet is written in one fixed shape and read back by that shape
// alone. It carries our own namespace as a mark, so a camera's or another
// tool's XMP in a photo from elsewhere never passes for a credit.
#include "photos/photo_credit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/file_io.h"
#include "base/text.h"

namespace {

constexpr std::string_view kEllipsis = "...";
// The page address may be long (listing addresses run to 2,000 characters).
constexpr std::size_t kCreditPageLimit = 2048;
// The packet's segment lies within this head of the file: SOI, then ours.
constexpr std::size_t kCreditHeadBytes = 64u << 10;

constexpr std::string_view kXmpSignature{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr unsigned char kMarkerSoi = 0xD8;
constexpr unsigned char kMarkerApp1 = 0xE1;
constexpr std::string_view kOurMark = R"(xmlns:skyreel="urn:skyreel:photo-credit:1")";
// Escaped fields (6 bytes at most per byte) and the fixed frame of the
// packet always fit one segment within the head that readers look at.
static_assert(2 + 4 + kXmpSignature.size() + 1024 + (3 * kCreditTextLimit + kCreditPageLimit) * 6 <=
              kCreditHeadBytes);

bool IsBlank(char32_t c) {
    return IsControlCharacter(c) || c == 0x20 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Zero-width characters and bidirectional controls: invisible, or worse.
bool IsInvisibleFormat(char32_t c) {
    return IsBidiControl(c) || (c >= 0x200B && c <= 0x200D) || (c >= 0x2060 && c <= 0x206F) ||
           c == 0xFEFF;
}

class PlainText {
  public:
    explicit PlainText(std::size_t limit) : limit_(limit) {}

    void Add(char32_t c) {
        if (IsBlank(c)) {
            blank_ = true;
            return;
        }
        if (IsInvisibleFormat(c)) return;
        if (blank_ && !text_.empty()) text_.push_back(' ');
        blank_ = false;
        AppendUtf8(text_, c);
    }
    void Break() { blank_ = true; }
    // Past the limit the text is cut anyway: the rest need not be read.
    bool Full() const { return text_.size() > limit_; }

    std::string Finish() {
        if (text_.size() <= limit_) return std::move(text_);
        const std::size_t room =
            limit_ >= kEllipsis.size() * 2 ? limit_ - kEllipsis.size() : limit_;
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(text_[cut]) & 0xC0) == 0x80) --cut;
        text_.resize(cut);
        if (!text_.empty() && text_.back() == ' ') text_.pop_back();
        if (room < limit_) text_ += kEllipsis;
        return std::move(text_);
    }

  private:
    std::string text_;
    std::size_t limit_;
    bool blank_ = false;
};

// "&#x0010FFFF;" and every name below fit; a longer run is no entity, and
// looking no further keeps a text full of '&' linear.
constexpr std::size_t kLongestEntity = 12;

struct NamedEntity {
    std::string_view name;
    char32_t value;
};
constexpr std::array<NamedEntity, 16> kNamedEntities{{{"amp", '&'},
                                                      {"lt", '<'},
                                                      {"gt", '>'},
                                                      {"quot", '"'},
                                                      {"apos", '\''},
                                                      {"nbsp", 0xA0},
                                                      {"copy", 0xA9},
                                                      {"reg", 0xAE},
                                                      {"middot", 0xB7},
                                                      {"ndash", 0x2013},
                                                      {"mdash", 0x2014},
                                                      {"lsquo", 0x2018},
                                                      {"rsquo", 0x2019},
                                                      {"ldquo", 0x201C},
                                                      {"rdquo", 0x201D},
                                                      {"hellip", 0x2026}}};

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
int HexValue(char c) {
    if (IsAsciiDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The character of a numeric reference's digits; U+FFFD for none, for NUL,
// surrogates and values beyond Unicode. Digits past the seventh only keep
// the value out of range, so it cannot overflow.
char32_t NumericReference(std::string_view digits, bool hex) {
    if (digits.empty()) return 0xFFFD;
    char32_t v = 0;
    for (char c : digits) {
        if (v > 0x10FFFF) break;
        v = hex ? v * 16 + static_cast<char32_t>(HexValue(c)) : v * 10 + (c - '0');
    }
    if (v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0xFFFD;
    return v;
}

// The entity at s[i] == '&': its character, with `i` moved past the ';'.
// False (and `i` unchanged) when it is none we know; the '&' is then text.
bool DecodeEntity(std::string_view s, std::size_t& i, char32_t& out) {
    const std::size_t semi = s.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > kLongestEntity) return false;
    const std::string_view body = s.substr(i + 1, semi - i - 1);
    if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        for (char c : digits)
            if (hex ? HexValue(c) < 0 : !IsAsciiDigit(c)) return false;
        out = NumericReference(digits, hex);
        i = semi + 1;
        return true;
    }
    for (const NamedEntity& e : kNamedEntities) {
        if (e.name == body) {
            out = e.value;
            i = semi + 1;
            return true;
        }
    }
    return false;
}

// Character data: UTF-8 with entities.
void AddText(PlainText& text, std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && !text.Full()) {
        char32_t c = 0;
        if (s[i] != '&' || !DecodeEntity(s, i, c)) c = NextUtf8(s, i);
        text.Add(c);
    }
}

std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && ToLowerAscii(hay[i + k]) == needle[k]) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

// The '>' that ends the tag opened at `lt`, stepping over quoted attribute
// values; npos when the tag never ends.
std::size_t TagEnd(std::string_view html, std::size_t lt) {
    char quote = 0;
    for (std::size_t i = lt + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string_view::npos;
}

// Elements whose contents are no text, and elements that separate words.
constexpr std::array<std::string_view, 2> kHiddenElements{"script", "style"};
constexpr std::array<std::string_view, 10> kBreakingElements{"br", "p",  "div", "li", "td",
                                                             "th", "tr", "ul",  "ol", "table"};

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

// Markup at html[lt] == '<': returns where text resumes (npos: nowhere).
// A '<' that opens no tag is text, as browsers read it.
std::size_t SkipMarkup(std::string_view html, std::size_t lt, PlainText& text) {
    if (html.substr(lt, 4) == "<!--") {
        const std::size_t end = html.find("-->", lt + 4);
        return end == std::string_view::npos ? end : end + 3;
    }
    std::size_t i = lt + 1;
    const bool closing = i < html.size() && html[i] == '/';
    if (closing) ++i;
    const bool declaration = !closing && i < html.size() && (html[i] == '!' || html[i] == '?');
    if (i >= html.size() || !(IsAsciiAlpha(html[i]) || declaration)) {
        text.Add('<');
        return lt + 1;
    }
    std::string name;
    while (i < html.size() && (IsAsciiAlpha(html[i]) || IsAsciiDigit(html[i])))
        name.push_back(ToLowerAscii(html[i++]));
    const std::size_t gt = TagEnd(html, lt);
    if (gt == std::string_view::npos) return gt;
    if (IsOneOf(name, kBreakingElements)) text.Break();
    if (closing || html[gt - 1] == '/' || !IsOneOf(name, kHiddenElements)) return gt + 1;
    std::string endTag = "</";
    endTag += name;
    const std::size_t close = FindNoCase(html, endTag, gt + 1);
    if (close == std::string_view::npos) return close;
    const std::size_t closeEnd = TagEnd(html, close);
    return closeEnd == std::string_view::npos ? closeEnd : closeEnd + 1;
}

// What PlainText keeps of text that should already be plain: used on the
// way into the packet, so that a caller's stray control character cannot
// make XML that no reader accepts.
std::string Sanitized(std::string_view s, std::size_t limit) {
    PlainText text(limit);
    std::size_t i = 0;
    while (i < s.size() && !text.Full()) text.Add(NextUtf8(s, i));
    return text.Finish();
}

void AppendXmlEscaped(std::string& out, std::string_view s) {
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out.push_back(c);
        }
    }
}

// One credit field in the packet: its element, the RDF container its value
// sits in (none for a plain value), and the longest value read back.
struct PacketField {
    std::string_view element;
    std::string_view container;
    std::string PhotoCredit::*member;
    std::size_t limit;
};
constexpr std::array<PacketField, 4> kPacketFields{{
    {"dc:creator", "rdf:Seq", &PhotoCredit::author, kCreditTextLimit},
    {"dc:title", "rdf:Alt", &PhotoCredit::title, kCreditTextLimit},
    {"xmpRights:UsageTerms", "rdf:Alt", &PhotoCredit::licence, kCreditTextLimit},
    {"xmpRights:WebStatement", "", &PhotoCredit::page, kCreditPageLimit},
}};

std::string Tag(std::string_view name, bool closing) {
    std::string tag(closing ? "</" : "<");
    tag += name;
    tag += '>';
    return tag;
}

std::string CreditPacket(const PhotoCredit& credit) {
    std::string p =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
        " xmlns:xmpRights=\"http://ns.adobe.com/xap/1.0/rights/\"\n ";
    p += kOurMark;
    p += ">\n";
    for (const PacketField& f : kPacketFields) {
        const std::string value = Sanitized(credit.*f.member, f.limit);
        if (value.empty()) continue;
        p += Tag(f.element, false);
        if (!f.container.empty()) {
            const bool alt = f.container == "rdf:Alt";
            p += Tag(f.container, false);
            p += alt ? "<rdf:li xml:lang=\"x-default\">" : "<rdf:li>";
        }
        AppendXmlEscaped(p, value);
        if (!f.container.empty()) p += "</rdf:li>" + Tag(f.container, true);
        p += Tag(f.element, true) + "\n";
    }
    p += "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"r\"?>";
    return p;
}

// The character data between `<tag ...>` and `</tag>` in `s`: empty when
// the element is absent; false when it is damaged (it never ends).
bool ElementText(std::string_view s, std::string_view tag, std::string_view& text) {
    text = {};
    std::string open = "<";
    open += tag;
    std::size_t start = s.find(open);
    while (start != std::string_view::npos) {
        const std::size_t after = start + open.size();
        if (after < s.size() && (s[after] == '>' || s[after] == ' ')) break;
        start = s.find(open, after);
    }
    if (start == std::string_view::npos) return true;
    const std::size_t gt = s.find('>', start);
    const std::size_t end = s.find(Tag(tag, true), start);
    if (gt == std::string_view::npos || end == std::string_view::npos || end < gt) return false;
    text = s.substr(gt + 1, end - gt - 1);
    return true;
}

bool ParsePacket(std::string_view packet, PhotoCredit& credit) {
    PhotoCredit read;
    for (const PacketField& f : kPacketFields) {
        std::string_view value;
        if (!ElementText(packet, f.element, value)) return false;
        if (!f.container.empty() && !value.empty() && !ElementText(value, "rdf:li", value))
            return false;
        PlainText text(f.limit);
        AddText(text, value);
        read.*f.member = text.Finish();
    }
    if (read.author.empty() && read.licence.empty() && read.page.empty() && read.title.empty())
        return false;
    credit = std::move(read);
    return true;
}

struct Segment {
    std::size_t start = 0;  // its marker's first byte
    std::size_t end = 0;    // one past its last byte
    unsigned char marker = 0;
    std::string_view payload;
};

// The segment at `pos` (a marker, maybe after fill bytes), moving `pos`
// past it. False at the image data (SOS), at EOI and at bytes that are no
// segment: nothing after them is read as headers.
bool NextSegment(std::string_view jpeg, std::size_t& pos, Segment& seg) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(jpeg[k]); };
    if (pos + 1 >= jpeg.size() || byte(pos) != 0xFF) return false;
    std::size_t at = pos;
    while (at + 1 < jpeg.size() && byte(at + 1) == 0xFF) ++at;
    if (at + 1 >= jpeg.size()) return false;
    const unsigned char marker = byte(at + 1);
    if (marker == 0xDA || marker == 0xD9 || marker == 0x00 || marker == kMarkerSoi) return false;
    seg = {pos, at + 2, marker, {}};
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
        pos = seg.end;
        return true;
    }
    if (at + 4 > jpeg.size()) return false;
    const std::size_t length = (std::size_t{byte(at + 2)} << 8) | byte(at + 3);
    if (length < 2 || at + 2 + length > jpeg.size()) return false;
    seg.end = at + 2 + length;
    seg.payload = jpeg.substr(at + 4, length - 2);
    pos = seg.end;
    return true;
}

bool IsXmpSegment(const Segment& seg) {
    return seg.marker == kMarkerApp1 &&
           seg.payload.substr(0, kXmpSignature.size()) == kXmpSignature;
}

bool StartsWithSoi(std::string_view jpeg) {
    return jpeg.size() >= 2 && static_cast<unsigned char>(jpeg[0]) == 0xFF &&
           static_cast<unsigned char>(jpeg[1]) == kMarkerSoi;
}

// The dc:title of any XMP packet, ours or another tool's.
std::string XmpTitle(std::string_view packet) {
    std::string_view value;
    if (!ElementText(packet, "dc:title", value) || value.empty()) return {};
    if (value.find("<rdf:li") != std::string_view::npos && !ElementText(value, "rdf:li", value))
        return {};
    PlainText text(kCreditTextLimit);
    AddText(text, value);
    return text.Finish();
}

// EXIF (a TIFF structure): IFD0's ImageDescription (ASCII) or, without one,
// XPTitle (UTF-16LE, which Windows' file properties write). Every offset is
// checked against the segment, so a damaged header reads as no title.
constexpr std::string_view kExifSignature{"Exif\0\0", 6};
constexpr uint16_t kTagImageDescription = 0x010E;
constexpr uint16_t kTagXpTitle = 0x9C9B;
constexpr std::size_t kIfdEntryBytes = 12;
// What cameras write when nobody described the photo: no title.
constexpr std::array<std::string_view, 3> kCameraDefaults{"OLYMPUS DIGITAL CAMERA", "SONY DSC",
                                                          "DIGITAL CAMERA"};

struct Tiff {
    std::string_view bytes;
    bool little = true;
    uint32_t Read(std::size_t at, int size) const {
        uint32_t v = 0;
        for (int k = 0; k < size; ++k) {
            const uint32_t b = static_cast<unsigned char>(bytes[at + k]);
            v |= little ? b << (8 * k) : b << (8 * (size - 1 - k));
        }
        return v;
    }
};

std::string ExifTitle(std::string_view payload) {
    if (payload.substr(0, kExifSignature.size()) != kExifSignature) return {};
    Tiff tiff{payload.substr(kExifSignature.size())};
    if (tiff.bytes.size() < 8) return {};
    if (tiff.bytes.substr(0, 2) == "MM")
        tiff.little = false;
    else if (tiff.bytes.substr(0, 2) != "II")
        return {};
    const std::size_t ifd = tiff.Read(4, 4);
    if (ifd > tiff.bytes.size() - 2) return {};
    const std::size_t count = tiff.Read(ifd, 2);
    std::string description, xpTitle;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + i * kIfdEntryBytes;
        if (entry + kIfdEntryBytes > tiff.bytes.size()) break;
        const uint32_t tag = tiff.Read(entry, 2);
        if (tag != kTagImageDescription && tag != kTagXpTitle) continue;
        const std::size_t length = tiff.Read(entry + 4, 4);
        const std::size_t at = length <= 4 ? entry + 8 : tiff.Read(entry + 8, 4);
        if (at > tiff.bytes.size() || length > tiff.bytes.size() - at) continue;
        std::string_view raw = tiff.bytes.substr(at, length);
        PlainText text(kCreditTextLimit);
        if (tag == kTagImageDescription) {
            raw = raw.substr(0, raw.find('\0'));
            AddText(text, raw);
            description = text.Finish();
        } else {
            std::u16string wide;
            for (std::size_t k = 0; k + 1 < raw.size(); k += 2) {
                const auto unit =
                    static_cast<char16_t>(static_cast<unsigned char>(raw[k]) |
                                          static_cast<unsigned char>(raw[k + 1]) << 8);
                if (unit == 0) break;
                wide.push_back(unit);
            }
            AddText(text, Utf16ToUtf8(wide));
            xpTitle = text.Finish();
        }
    }
    for (std::string_view junk : kCameraDefaults)
        if (description == junk) description.clear();
    return description.empty() ? xpTitle : description;
}

}  // namespace

bool ReadPhotoTitle(std::string_view jpeg, std::string& title) {
    title.clear();
    if (!StartsWithSoi(jpeg)) return false;
    std::string exif;
    std::size_t pos = 2;
    Segment seg;
    while (NextSegment(jpeg, pos, seg) && title.empty()) {
        if (seg.marker != kMarkerApp1) continue;
        if (IsXmpSegment(seg))
            title = XmpTitle(seg.payload.substr(kXmpSignature.size()));
        else if (exif.empty())
            exif = ExifTitle(seg.payload);
    }
    if (title.empty()) title = std::move(exif);
    return !title.empty();
}

std::string FileTitle(std::string_view name) {
    // An address: its last part, percent-decoded.
    if (const std::size_t slash = name.find_last_of('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    if (const std::size_t query = name.find_first_of("?#"); query != std::string_view::npos)
        name = name.substr(0, query);
    std::string decoded;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && HexValue(name[i + 1]) >= 0 &&
            HexValue(name[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(HexValue(name[i + 1]) * 16 + HexValue(name[i + 2])));
            i += 2;
        } else {
            decoded.push_back(name[i] == '_' ? ' ' : name[i]);
        }
    }
    std::string_view title = decoded;
    // Only a file page names a file; "index.php?curid=..." names none.
    constexpr std::string_view kFilePrefix = "File:";
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (title.size() <= kFilePrefix.size() ||
        !std::equal(kFilePrefix.begin(), kFilePrefix.end(), title.begin(),
                    [&](char a, char b) { return lower(a) == lower(b); }))
        return {};
    title.remove_prefix(kFilePrefix.size());
    if (const std::size_t dot = title.find_last_of('.');
        dot != std::string_view::npos && dot > 0 && title.size() - dot <= 5)
        title = title.substr(0, dot);
    PlainText text(kCreditTextLimit);
    AddText(text, title);
    return text.Finish();
}

std::string CleanCreditText(std::string_view html, std::size_t limit) {
    PlainText text(limit);
    std::size_t i = 0;
    while (i < html.size() && !text.Full()) {
        const std::size_t lt = html.find('<', i);
        AddText(text, html.substr(i, lt == std::string_view::npos ? lt : lt - i));
        if (lt == std::string_view::npos) break;
        i = SkipMarkup(html, lt, text);
    }
    return text.Finish();
}

bool EmbedPhotoCredit(std::string& jpeg, const PhotoCredit& credit) {
    if (!StartsWithSoi(jpeg)) return false;
    const std::string packet = CreditPacket(credit);
    const std::size_t length = 2 + kXmpSignature.size() + packet.size();
    std::string out = jpeg.substr(0, 2);
    out.reserve(jpeg.size() + 2 + length);
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(kMarkerApp1));
    out.push_back(static_cast<char>(length >> 8));
    out.push_back(static_cast<char>(length & 0xFF));
    out += kXmpSignature;
    out += packet;
    // Only one XMP packet may head a JPEG: an earlier one gives way.
    std::size_t pos = 2, kept = 2;
    Segment seg;
    while (NextSegment(jpeg, pos, seg)) {
        if (!IsXmpSegment(seg)) continue;
        out.append(jpeg, kept, seg.start - kept);
        kept = seg.end;
    }
    out.append(jpeg, kept, std::string::npos);
    jpeg = std::move(out);
    return true;
}

bool ReadPhotoCredit(std::string_view jpeg, PhotoCredit& credit) {
    if (!StartsWithSoi(jpeg)) return false;
    std::size_t pos = 2;
    Segment seg;
    while (NextSegment(jpeg, pos, seg)) {
        if (!IsXmpSegment(seg)) continue;
        const std::string_view packet = seg.payload.substr(kXmpSignature.size());
        if (packet.find(kOurMark) != std::string_view::npos) return ParsePacket(packet, credit);
    }
    return false;
}

bool ReadPhotoCreditFile(std::u16string_view path, PhotoCredit& credit) {
    // Only regular files: opening a pipe would wait for a writer.
    const std::filesystem::path file = ToPath(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string head(kCreditHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return ReadPhotoCredit(head, credit);
}

const char* WritePhotoCreditFile(std::u16string_view path, const PhotoCredit& credit,
                                 std::size_t limit) {
    std::string bytes;
    if (!ReadWholeFile(ToPath(path), bytes, limit)) return "unreadable";
    // FF D8 FF: a JPEG's SOI marker and the start of its first segment.
    if (bytes.size() < 4 || bytes.compare(0, 3, "\xFF\xD8\xFF") != 0 ||
        !EmbedPhotoCredit(bytes, credit))
        return "not a JPEG";
    if (const std::error_code failed = WriteWholeFile(ToPath(path), bytes)) return "not written";
    return nullptr;
}

bool LicenceAsksForCredit(std::string_view licence) {
    const std::string l = ToLowerAscii(licence);
    const bool free = l == "cc0" || l.starts_with("cc0 ") || l.starts_with("cc0-") ||
                      l == "public domain" || l == "pd" || l.starts_with("pd-") ||
                      l.starts_with("pd ");
    return !free;
}

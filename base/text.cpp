#include "base/text.h"

#include <algorithm>
#include <charconv>
#include <limits>

char32_t NextUtf8(std::string_view s, std::size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    if (c >= 0xC2 && c <= 0xF4) {
        std::size_t need = c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t v = c & (0x3F >> need);
        bool ok = true;
        for (std::size_t k = 1; ok && k <= need; ++k) {
            if (i + k >= s.size()) {
                ok = false;
                break;
            }
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            v = (v << 6) | (cc & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (ok && v >= kMin[need] && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
            i += need + 1;
            return v;
        }
    }
    ++i;
    return 0xFFFD;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t cp = NextUtf8(s, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string WidenLatin1(std::string_view s) {
    std::u16string out(s.size(), u'\0');
    for (std::size_t i = 0; i < s.size(); ++i) out[i] = static_cast<unsigned char>(s[i]);
    return out;
}

std::u16string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string encoded;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
                                c == '~';
        if (unreserved) {
            encoded.push_back(c);
        } else {
            encoded.push_back(u'%');
            encoded.push_back(kHex[c >> 4]);
            encoded.push_back(kHex[c & 0xF]);
        }
    }
    return encoded;
}

std::u16string PercentEncodeUtf8(std::u16string_view s) {
    return PercentEncode(Utf16ToUtf8(s));
}

bool IsControlCharacter(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool IsBidiControl(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::u16string PrintableText(std::u16string_view s, std::size_t limit) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
                          s[i + 1] <= 0xDFFF;
        if (out.size() + (pair ? 2 : 1) > limit) break;
        if (pair) {
            out.append(s.substr(i++, 2));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out.push_back(u'\uFFFD');
        } else if (IsControlCharacter(c)) {
            out.push_back(u' ');
        } else if (!IsBidiControl(c)) {
            out.push_back(c);
        }
    }
    return out;
}

std::u16string AsciiToUtf16(std::string_view s) {
    return WidenLatin1(s);
}

// The library's own conversions throw on what they cannot convert; these
// go through the native string instead: UTF-16 as it is where the platform
// names files in UTF-16, else UTF-8.
std::filesystem::path ToPath(std::u16string_view s) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(s.begin(), s.end()));
#else
    return std::filesystem::path(Utf16ToUtf8(s));
#endif
}

std::optional<std::u16string> FromPath(const std::filesystem::path& p) {
    const auto& native = p.native();
#ifdef _WIN32
    return std::u16string(native.begin(), native.end());
#else
    std::u16string text = Utf8ToUtf16(native);
    // Invalid bytes came back as U+FFFD, so the text would not name the file.
    if (Utf16ToUtf8(text) != native) return std::nullopt;
    return text;
#endif
}

std::string ToLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = ToLowerAscii(c);
    return out;
}

char16_t ToUpperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - 32 : c;
}

std::u16string ToUpperAscii(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out) c = ToUpperAscii(c);
    return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
    return true;
}

namespace {
template <typename Ch>
int64_t ParseDecimalImpl(std::basic_string_view<Ch> s) {
    std::size_t i = 0;
    auto space = [](Ch c) { return c == ' ' || (c >= 9 && c <= 13); };
    while (i < s.size() && space(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    // The magnitude saturates one past the largest value, which the
    // negative side still reaches.
    constexpr uint64_t kLimit = uint64_t{std::numeric_limits<int64_t>::max()} + 1;
    uint64_t v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        const auto digit = static_cast<uint64_t>(s[i++] - '0');
        v = v > (kLimit - digit) / 10 ? kLimit : v * 10 + digit;
    }
    if (neg) return v >= kLimit ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(v);
    return v >= kLimit ? std::numeric_limits<int64_t>::max() : static_cast<int64_t>(v);
}

int32_t SaturateToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
}  // namespace

int32_t ParseDecimal(std::u16string_view s) {
    return SaturateToInt32(ParseDecimalImpl(s));
}
int32_t ParseDecimal(std::string_view s) {
    return SaturateToInt32(ParseDecimalImpl(s));
}
int64_t ParseDecimal64(std::u16string_view s) {
    return ParseDecimalImpl(s);
}

std::u16string DecimalText(int64_t v) {
    return AsciiToUtf16(std::to_string(v));
}

std::u16string FixedPointText(double v, int decimals) {
    // Room for the largest double's 309 digits, its sign, the point and the decimals.
    std::string text(320 + static_cast<std::size_t>(std::max(decimals, 0)), '\0');
    const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), v,
                                         std::chars_format::fixed, decimals);
    text.resize(ec == std::errc() ? static_cast<std::size_t>(end - text.data()) : 0);
    return AsciiToUtf16(text);
}

std::optional<double> ParsePointNumber(std::u16string_view s) {
    std::string ascii;
    bool point = false, digit = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            digit = true;
        } else if (c != u'-' || i != 0) {
            return std::nullopt;
        }
        ascii.push_back(static_cast<char>(c));
    }
    if (!digit) return std::nullopt;
    double v = 0;
    const auto [end, ec] =
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return v;
}

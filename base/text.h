// Text helpers at the edges: UTF-8 <-> UTF-16, the 8-bit widening rules of
// downloaded text, printable text, ASCII case folding, percent-encoding and
// number reading and writing. Numbers never follow the process locale: the
// GTK dialog sets it from the environment, and a comma for a point would
// change what is stored and sent.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Invalid UTF-8 becomes U+FFFD, lone surrogates in UTF-16 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
// The code point of the UTF-8 sequence at `i` (below s.size()), moving `i`
// past it; an invalid byte gives U+FFFD and moves one byte.
char32_t NextUtf8(std::string_view s, std::size_t& i);
// Surrogates and values above U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

// Each byte becomes the character of the same number (ISO 8859-1).
std::u16string WidenLatin1(std::string_view s);

// Conversions between the program's texts and the file system's names.
// Neither throws: a text's lone surrogate becomes U+FFFD on the way out, and
// a name that is no valid text of its platform (bytes that are not UTF-8 on
// Linux) gives nothing, so callers skip it.
std::filesystem::path ToPath(std::u16string_view s);
std::optional<std::u16string> FromPath(const std::filesystem::path& p);

// C0 and C1 control characters and DEL.
bool IsControlCharacter(char32_t c);
// The bidirectional marks, embeddings, overrides and isolates: invisible,
// and able to reorder the text around them.
bool IsBidiControl(char32_t c);
// `s` fit for a label, a list line or a settings value: control characters
// become blanks (a line break would start another entry), bidirectional
// controls are dropped and a lone surrogate becomes U+FFFD; then cut at
// `limit` UTF-16 units, never between the halves of a surrogate pair.
std::u16string PrintableText(std::u16string_view s, std::size_t limit = std::u16string_view::npos);

template <typename Char>
constexpr Char ToLowerAscii(Char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}
std::string ToLowerAscii(std::string_view s);
char16_t ToUpperAscii(char16_t c);
std::u16string ToUpperAscii(std::u16string_view s);
// Comparison without regard to case (ASCII letters fold; others compare as they are).
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
// True when `s` ends in the ASCII `tail`, ASCII letters folded. Any
// character type, so that a file system's native names need no conversion
// ("C.JPG" is a photo, "A.JPG.TMP" a leftover, as on the saver's first
// platform).
template <typename Char>
bool EndsWithNoCase(std::basic_string_view<Char> s, std::string_view tail) {
    if (s.size() < tail.size()) return false;
    s = s.substr(s.size() - tail.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (ToLowerAscii(s[i]) != static_cast<Char>(tail[i])) return false;
    return true;
}
inline bool EndsWithNoCase(std::u16string_view s, std::string_view tail) {
    return EndsWithNoCase<char16_t>(s, tail);
}

// The C library's decimal text-to-long rule: leading white space, optional
// sign, digits up to the first other character; no digits give 0. Results
// saturate at the 32-bit range instead of overflowing.
int32_t ParseDecimal(std::u16string_view s);
int32_t ParseDecimal(std::string_view s);
// The same rule saturating at the 64-bit range.
int64_t ParseDecimal64(std::u16string_view s);

std::u16string DecimalText(int64_t v);
// `v` with `decimals` digits after a point, rounded: "52.5200".
std::u16string FixedPointText(double v, int decimals);
// A number written the way FixedPointText writes it: an optional leading
// "-", digits and at most one point, with a digit somewhere; nothing for
// any other text ("", "-", ".", "1e5", " 1", "1,5").
std::optional<double> ParsePointNumber(std::u16string_view s);

// Every byte but the unreserved ones of a URL (letters, digits, "-", "_",
// ".", "~") written as %XX, for a query value.
std::u16string PercentEncode(std::string_view bytes);
// `s` as UTF-8, percent-encoded.
std::u16string PercentEncodeUtf8(std::u16string_view s);
std::u16string AsciiToUtf16(std::string_view s);

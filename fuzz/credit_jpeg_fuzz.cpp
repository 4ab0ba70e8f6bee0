// Credits in arbitrary JPEG bytes: reading never fails harder than "no
// credit" and gives plain text within the limits; a credit embedded into
// any bytes that start with SOI is the one read back, and everything but
// XMP segments is kept.
#include <string>

#include "base/text.h"
#include "fuzz_support.h"
#include "photos/photo_credit.h"

namespace {
bool IsPlain(const std::string& s, std::size_t limit) {
    if (s.size() > limit || Utf16ToUtf8(Utf8ToUtf16(s)) != s) return false;
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

// The page address may be far longer than the other fields.
constexpr std::size_t kPageLimit = 2048;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string jpeg = Bytes(data, size);
    PhotoCredit read;
    if (ReadPhotoCredit(jpeg, read)) {
        Require(IsPlain(read.author, kCreditTextLimit) && IsPlain(read.licence, kCreditTextLimit) &&
                    IsPlain(read.title, kCreditTextLimit) && IsPlain(read.page, kPageLimit),
                "what is read is plain text within the limits");
    }
    const PhotoCredit credit{"A \"B\" <c> & ]]>", "CC BY 4.0", "https://x/?a=1&b=2", "T\xC3\xA9"};
    const std::string before = jpeg;
    if (!EmbedPhotoCredit(jpeg, credit)) {
        Require(jpeg == before, "refused bytes are left alone");
        return 0;
    }
    Require(jpeg.size() > before.size() ||
                before.find("http://ns.adobe.com/xap/1.0/") != std::string::npos,
            "only XMP segments are dropped");
    Require(ReadPhotoCredit(jpeg, read), "the embedded credit is read");
    Require(read.author == credit.author && read.licence == credit.licence &&
                read.page == credit.page && read.title == credit.title,
            "the embedded credit comes back unchanged");
    return 0;
}

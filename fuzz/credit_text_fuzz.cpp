// The credit cleaner: whatever a listing's Artist field holds, the result is
// plain, valid UTF-8 within the limit, with single blanks inside only, and
// it survives the photo's credit packet unchanged. The first byte picks the
// limit, so short limits and cuts are reached too.
#include <string>

#include "base/text.h"
#include "fuzz_support.h"
#include "photos/photo_credit.h"

namespace {
// The smallest JPEG head the packet can go into.
const std::string kSoi("\xFF\xD8", 2);
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::size_t limit = data[0] % (kCreditTextLimit + 1);
    const std::string html = Bytes(data + 1, size - 1);
    const std::string text = CleanCreditText(html, limit);
    Require(text.size() <= limit, "within the limit");
    Require(Utf16ToUtf8(Utf8ToUtf16(text)) == text, "valid UTF-8");
    Require(text.empty() || (text.front() != ' ' && text.back() != ' '), "trimmed");
    Require(text.find("  ") == std::string::npos, "single blanks");
    for (char c : text)
        Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "no control characters");

    const PhotoCredit credit{text, text, text, text};
    std::string jpeg = kSoi;
    Require(EmbedPhotoCredit(jpeg, credit), "a JPEG head takes the credit");
    PhotoCredit read;
    if (text.empty()) {
        Require(!ReadPhotoCredit(jpeg, read), "an empty credit is none");
        return 0;
    }
    Require(ReadPhotoCredit(jpeg, read), "the credit is read back");
    Require(read.author == text && read.licence == text && read.page == text && read.title == text,
            "the credit comes back unchanged");
    return 0;
}

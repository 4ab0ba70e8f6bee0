// The update reply: a version is found only between the tags, and what is
// kept is at most nine printable ASCII characters.
#include <string>

#include "fuzz_support.h"
#include "update/update_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply = Bytes(data, size);
    std::u16string version = u"unchanged";
    if (!ParseUpdateReply(reply, version)) {
        Require(version == u"unchanged", "a refused reply leaves the version");
        return 0;
    }
    Require(version.size() <= 9, "at most nine characters");
    for (char16_t c : version) Require(c >= 0x20 && c <= 0x7E, "printable ASCII");
    Require(reply.find("<appver>") != std::string::npos, "the opening tag was there");
    return 0;
}

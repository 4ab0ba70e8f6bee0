#include <algorithm>
#include <string>

#include "base/platform.h"
#include "base/text.h"

std::u16string DottedOsVersion(const uint32_t (&numbers)[4]) {
    std::string text;
    for (uint32_t n : numbers) {
        if (!text.empty()) text += '.';
        text += std::to_string(n);
    }
    text.resize(std::min(text.size(), kOsVersionChars));
    return AsciiToUtf16(text);
}

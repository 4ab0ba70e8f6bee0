// The location search answer: every place becomes one line that reads back
// into a name and a code that fit the pending location, without control
// characters.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "setup/location_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::u16string> lines;
    int count = ParseLocationAnswer(Bytes(data, size), lines);
    Require(count >= 0 && static_cast<std::size_t>(count) == lines.size(), "one line per place");
    for (const std::u16string& line : lines) {
        for (char16_t c : line) Require(c >= 0x20 && c != 0x7F, "no control character");
        PendingLocationRecord place;
        Require(TakeLocationLine(line, place), "the line reads back");
        Require(place.name.size() <= 99 && place.id.size() <= 19, "the place fits");
    }
    return 0;
}

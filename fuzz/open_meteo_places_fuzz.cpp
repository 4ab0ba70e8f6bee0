// The Open-Meteo place search reader: at most ten places, each with a text
// that fits the stored name, no control characters, and a code that reads
// back as coordinates.
#include <vector>

#include "fuzz_support.h"
#include "weather/open_meteo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<FoundPlace> places;
    const int count = ReadOpenMeteoPlaces(Bytes(data, size), places);
    Require(count >= -1 && count <= 10, "a bounded answer");
    Require(static_cast<int>(places.size()) == (count < 0 ? 0 : count), "one place per count");
    for (const FoundPlace& place : places) {
        Require(place.label.size() <= 99, "the name fits");
        for (char16_t c : place.label) Require(c >= 0x20 && c != 0x7F, "no control character");
        PlaceCoordinates back;
        Require(PlaceFromCode(place.code.view(), back), "the code reads back");
    }
    return 0;
}

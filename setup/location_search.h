// Weather location search: the portable half of the location dialog. The
// dialog sends the typed text to the weather service's search, lists the
// places of the answer as "name \u2014 code" lines and hands the chosen one to
// the setup dialog as the PendingLocation.
//
// Threads: RunLocationSearch runs on a search thread of its own and touches
// nothing shared but the file it is given; everything else here runs on the
// main thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/fixed_text.h"

// The place chosen with OK and not stored yet. Owner: the main thread
// (written by the location dialog, read by the setup dialog's OK).
struct PendingLocationRecord {
    FixedText<100> name;
    FixedText<20> id;
};
extern PendingLocationRecord PendingLocation;

// Texts of the list and of the warning box.
inline constexpr char16_t kSearchingLine[] = u"Searching, please wait...";
inline constexpr char16_t kNotFoundLine[] = u"Could not find this location.";
inline constexpr char16_t kConnectionLine[] =
    u"Could not find the location. Looks like connection problems...";
inline constexpr char16_t kEmptySearchMessage[] =
    u"Please, enter city name or ZIP code to search for.";
inline constexpr char16_t kEmptySearchCaption[] = u"Cannot search";

// The search text: at most 98 characters, without leading characters of
// codes 1 to 32 (blanks at its end stay).
using SearchText = FixedText<99>;
void TrimLeadingBlanks(SearchText& text);

// The request URL: the weather service's search path with the text
// percent-encoded as UTF-8. False when it does not fit in 259 characters.
bool BuildSearchUrl(std::u16string_view query, PathText& url);

// Appends one "name \u2014 code" line per place of the answer, in the answer's
// order, and returns how many were added. The answer is 8-bit text read up to
// its first zero byte; names and codes are widened byte by byte (ISO 8859-1).
// Places that would not fit the PendingLocation are mended: a name is cut to
// 99 characters, a place whose code is longer than 19 is left out, and
// control characters become blanks.
int ParseLocationAnswer(std::string_view answer, std::vector<std::u16string>& lines);

// Reads a list line back into name and code; false for a line without the
// dash (the fixed texts), which leaves `out` unchanged.
bool TakeLocationLine(std::u16string_view line, PendingLocationRecord& out);

// The download file of one search. Each search of the process gets a name of
// its own, so that a search left running by a closed dialog never shares a
// file with the next one.
bool NextSearchDownloadPath(PathText& out);

struct SearchOutcome {
    enum Kind { Places, NothingFound, ConnectionFailed };
    Kind kind = ConnectionFailed;
    std::vector<std::u16string> lines;  // the places, when kind is Places
    // Open-Meteo lists "name, region, country" without the code: the code of
    // each line, in the same order. Empty for the weather site, whose lines
    // carry their codes.
    std::vector<FixedText<20>> codes;
};

// Downloads the answer for `query` into `downloadPath`, parses it and deletes
// the file. Blocking; runs on the search thread. Asks the chosen weather
// provider's search: the weather site's, or Open-Meteo's geocoding, where
// an answer that is no answer counts as a failed connection.
SearchOutcome RunLocationSearch(std::u16string_view query, std::u16string_view downloadPath);

// The credit a photo's licence asks to show with it: author, licence, the
// file page's address and the title. It is stored inside the photo file as
// an XMP packet (an APP1 segment right after the JPEG's SOI marker, as
// Creative Commons recommends), so the photo and its credit are written,
// renamed and deleted as one file: no crash can leave one without the other.
//
// Implemented:
//   [x] CleanCreditText  markup removed, entities decoded, white space
//                        collapsed, cut on a UTF-8 boundary
//   [x] EmbedPhotoCredit / ReadPhotoCredit  the XMP packet in JPEG bytes
//   [x] ReadPhotoCreditFile  reads only the head of the file
//   [x] WritePhotoCreditFile  the credit into a downloaded photo file
//   [x] ReadPhotoTitle  the title of a photo from elsewhere (XMP, EXIF)
//   [x] FileTitle  a Commons file's title from its name or page address
// The credit is read where the photo is decoded (DecodePhoto reads it from
// the bytes it has read anyway) and by the --credits listing; it is written
// by the harvest, before the photo takes its final name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Every field is UTF-8 text, already cleaned; empty when unknown.
struct PhotoCredit {
    std::string author;   // Attribution, else Artist, else Credit
    std::string licence;  // LicenseShortName, e.g. "CC BY-SA 4.0"
    std::string page;     // the file page's short address (descriptionshorturl)
    std::string title;    // ObjectName
};

// The longest cleaned author and title, in bytes; longer ones are cut at a
// character boundary and end with "...".
inline constexpr std::size_t kCreditTextLimit = 160;

// `html`: outside text that may hold markup, entities and any white space.
// Returns plain UTF-8 of at most `limit` bytes: tags (and the contents of
// script and style elements) removed, entities decoded, runs of white space
// and control characters made one blank, no blank at either end. Invalid
// UTF-8 is replaced, never passed on.
std::string CleanCreditText(std::string_view html, std::size_t limit = kCreditTextLimit);

// Inserts the credit as an XMP packet (dc:creator, dc:title,
// xmpRights:UsageTerms, xmpRights:WebStatement) after the SOI marker of
// `jpeg`, replacing any XMP packet already there; empty fields are left
// out. Fields go in as plain text: control characters and invalid UTF-8 are
// made harmless on the way. False (and `jpeg` untouched) when the bytes do
// not start with SOI.
bool EmbedPhotoCredit(std::string& jpeg, const PhotoCredit& credit);

// Reads the credit from JPEG bytes. False when there is no credit packet of
// ours among the segments before the image data, when it is damaged or
// when all its fields are empty. The fields read back are plain text held
// to the limits above (the page to 2,048 bytes), whatever the file holds.
bool ReadPhotoCredit(std::string_view jpeg, PhotoCredit& credit);

// The title a photo from elsewhere carries: the dc:title of any XMP packet,
// else EXIF's ImageDescription (not a camera's stock text), else XPTitle.
// False when it has none.
bool ReadPhotoTitle(std::string_view jpeg, std::string& title);

// The title of a Commons file from its name ("File:Boeing_747.jpg") or its
// page's address (".../wiki/File:Boeing%20747.jpg"): without "File:", the
// extension and underscores. Empty for anything that names no file (an
// address by page id, "index.php?curid=...").
std::string FileTitle(std::string_view name);

// False for a licence that asks for no credit (CC0, public domain), true
// for any other, an unknown one included.
bool LicenceAsksForCredit(std::string_view licence);

// ReadPhotoCredit over the head of a file (the packet lies within its first
// 64 KiB); false when the file cannot be read.
bool ReadPhotoCreditFile(std::u16string_view path, PhotoCredit& credit);

// Embeds the credit into the JPEG file at `path` (at most `limit` bytes),
// replacing the file whole (WriteWholeFile). Null when done, else why not,
// for the event log; the file is then as it was.
const char* WritePhotoCreditFile(std::u16string_view path, const PhotoCredit& credit,
                                 std::size_t limit);

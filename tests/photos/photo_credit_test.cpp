// Photo credits: cleaning outside text, and the packet inside real JPEG
// files (written, read back, replaced, damaged), on both photo decoders.
#include "photos/photo_credit.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <string>

#include "base/text.h"
#include "overlay/canvas.h"
#include "photos/photo_decode.h"
#include "support/temp_dir.h"
#include "support/test_photos.h"

namespace {
const std::string kXmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);

bool IsValidUtf8(const std::string& s) {
    return Utf16ToUtf8(Utf8ToUtf16(s)) == s && s.find("\xEF\xBF\xBD") == std::string::npos;
}

// A marker segment with its length field.
std::string Segment(unsigned char marker, const std::string& payload) {
    const std::size_t length = payload.size() + 2;
    std::string s = {'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                     static_cast<char>(length & 0xFF)};
    return s + payload;
}

std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (auto at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
    return n;
}

PhotoCredit HostileCredit() {
    return {"Q \"quoted\" <b>bold</b> & ]]> 'apos' &amp;", "CC BY-SA 4.0",
            "https://commons.wikimedia.org/w/index.php?curid=81754323&x=<y>",
            "Überflug ✈ 日本語 — \xF0\x9F\x9B\xA9 <![CDATA[x]]>"};
}

void ExpectSameCredit(const PhotoCredit& a, const PhotoCredit& b) {
    EXPECT_EQ(a.author, b.author);
    EXPECT_EQ(a.licence, b.licence);
    EXPECT_EQ(a.page, b.page);
    EXPECT_EQ(a.title, b.title);
}

class PhotoCreditFile : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteTestJpeg(dir / "photo.jpg", 320, 200, {200, 40, 40}, {40, 40, 200}, true);
        jpeg = ReadFileBytes(dir / "photo.jpg");
        ASSERT_GT(jpeg.size(), 100u);
    }
    bool ReadFile(const std::string& name, PhotoCredit& credit) {
        return ReadPhotoCreditFile(FromPath(dir / name).value(), credit);
    }
    TempDir dir;
    std::string jpeg;
};
}  // namespace

TEST(CleanCreditText, MarkupGoesAndItsTextStays) {
    // An Artist field as the file pages give it, with the author's vcard.
    EXPECT_EQ(CleanCreditText(R"(<a href="//commons.wikimedia.org/wiki/User:PtrQs" )"
                              R"(title="User:PtrQs">PtrQs</a>)"),
              "PtrQs");
    EXPECT_EQ(CleanCreditText("<div class=\"vcard\"><span class=\"fn\"><bdi>Jo<b>hn</b> "
                              "Smith</bdi></span><br/>Oxford</div>"),
              "John Smith Oxford");
    EXPECT_EQ(CleanCreditText("<span title=\"a > b\">Alice</span>"), "Alice");
    EXPECT_EQ(CleanCreditText("Bob <!-- <b>hidden</b> -->Jones<!DOCTYPE x>"), "Bob Jones");
    // A '<' that opens no tag is text; a tag that never ends hides the rest.
    EXPECT_EQ(CleanCreditText("a < b <3 <"), "a < b <3 <");
    EXPECT_EQ(CleanCreditText("Carol <span class=\"x"), "Carol");
}

TEST(CleanCreditText, ScriptAndStyleContentsAreDropped) {
    EXPECT_EQ(CleanCreditText("Al<script>alert(\"<b>x</b>\")</script>ice "
                              "<STYLE type=x>b { color: red }</Style >Smith"),
              "Alice Smith");
    EXPECT_EQ(CleanCreditText("Eve<script/> Adams"), "Eve Adams");
    EXPECT_EQ(CleanCreditText("Mallory<script>document.write('never closed')"), "Mallory");
    EXPECT_EQ(CleanCreditText("<scripted>Trent</scripted>"), "Trent");
}

TEST(CleanCreditText, EntitiesAreDecodedOnceAndNeverBecomeMarkup) {
    EXPECT_EQ(CleanCreditText("&lt;b&gt; &quot;q&quot; &apos;s&#39; A&amp;B &#x41;&#66;&#X43;"),
              "<b> \"q\" 's' A&B ABC");
    EXPECT_EQ(CleanCreditText("&copy; Ann&nbsp;&nbsp;Lee &middot; 2020&ndash;21"),
              "\xC2\xA9 Ann Lee \xC2\xB7 2020\xE2\x80\x93"
              "21");
    EXPECT_EQ(CleanCreditText("&lt;script&gt;x&lt;/script&gt;"), "<script>x</script>");
    EXPECT_EQ(CleanCreditText("&amp;lt;"), "&lt;");
    // Unknown or unterminated entities stay as they are written.
    EXPECT_EQ(CleanCreditText("Tom & Jerry &bogus; &amp &#12a; &#;"),
              "Tom & Jerry &bogus; &amp &#12a; &#;");
    // Numbers that name no character.
    EXPECT_EQ(CleanCreditText("&#0;|&#xD800;|&#1114112;|&#99999999999;"),
              "\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD|&#99999999999;");
}

TEST(CleanCreditText, WhiteSpaceAndControlsCollapse) {
    EXPECT_EQ(CleanCreditText("\t A\r\n\x01\x1B[31mB&#10;\xC2\xA0\xE2\x80\x83 C \x7F\xC2\x85"),
              "A [31mB C");
    // Bidirectional overrides and zero-width characters vanish.
    EXPECT_EQ(CleanCreditText("Da\xE2\x80\xAEve\xE2\x80\x8B"
                              "d\xEF\xBB\xBF"),
              "Daved");
    EXPECT_EQ(CleanCreditText(" \n\t "), "");
    EXPECT_EQ(CleanCreditText(""), "");
}

TEST(CleanCreditText, InvalidUtf8IsReplaced) {
    EXPECT_EQ(CleanCreditText("Jos\xE9 M"), "Jos\xEF\xBF\xBD M");
    EXPECT_EQ(CleanCreditText("\xC0\xAF|\xED\xA0\x80|\xE2\x82"),
              "\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
              "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(CleanCreditText("ok \xC3\xA9\xE2\x9C\x88"), "ok \xC3\xA9\xE2\x9C\x88");
}

TEST(CleanCreditText, LongTextIsCutOnACharacterBoundary) {
    // A 5000-character artist of two-byte letters, in markup.
    std::string artist = "<span>";
    for (int i = 0; i < 5000; ++i) artist += "\xC3\xA9";
    artist += "</span>";
    const std::string cut = CleanCreditText(artist);
    EXPECT_LE(cut.size(), kCreditTextLimit);
    EXPECT_GE(cut.size(), kCreditTextLimit - 4);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_TRUE(IsValidUtf8(cut.substr(0, cut.size() - 3)));

    // No blank before the ellipsis; text at the limit is not cut at all.
    EXPECT_EQ(CleanCreditText("abcd efgh", 8), "abcd...");
    EXPECT_EQ(CleanCreditText("abcdefgh", 8), "abcdefgh");
    EXPECT_EQ(CleanCreditText("  abcdefgh  ", 8), "abcdefgh");
    EXPECT_EQ(CleanCreditText("\xE2\x9C\x88\xE2\x9C\x88\xE2\x9C\x88", 8), "\xE2\x9C\x88...");
    // Too small a limit for an ellipsis: only whole characters.
    EXPECT_EQ(CleanCreditText("\xC3\xA9\xC3\xA9\xC3\xA9", 5), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(CleanCreditText("abc", 0), "");
}

TEST_F(PhotoCreditFile, HostileValuesComeBackExactly) {
    const PhotoCredit credit = HostileCredit();
    ASSERT_TRUE(EmbedPhotoCredit(jpeg, credit));
    WriteFileBytes(dir / "credited.jpg", jpeg);
    PhotoCredit read;
    ASSERT_TRUE(ReadFile("credited.jpg", read));
    ExpectSameCredit(read, credit);
    // The packet sits right after SOI and holds no raw markup of the values.
    EXPECT_EQ(jpeg.compare(2, 2, "\xFF\xE1"), 0);
    EXPECT_EQ(jpeg.compare(6, kXmpSignature.size(), kXmpSignature), 0);
    EXPECT_EQ(jpeg.find("<b>"), std::string::npos);
    EXPECT_EQ(jpeg.find("]]>"), std::string::npos);
}

TEST_F(PhotoCreditFile, EmptyFieldsAreLeftOutAndControlsMadeHarmless) {
    ASSERT_TRUE(EmbedPhotoCredit(jpeg, {"A\x01\nB \xFF", "CC0", "", ""}));
    PhotoCredit read;
    ASSERT_TRUE(ReadPhotoCredit(jpeg, read));
    ExpectSameCredit(read, {"A B \xEF\xBF\xBD", "CC0", "", ""});
    EXPECT_EQ(jpeg.find("dc:title"), std::string::npos);

    // A credit with nothing in it is no credit.
    std::string bare = ReadFileBytes(dir / "photo.jpg");
    ASSERT_TRUE(EmbedPhotoCredit(bare, {}));
    EXPECT_FALSE(ReadPhotoCredit(bare, read));
}

TEST_F(PhotoCreditFile, ASecondEmbedReplacesTheFirstAndForeignXmp) {
    // The photo already carries EXIF and a camera's XMP with a creator.
    const std::string exif = Segment(0xE1, std::string("Exif\0\0MM", 8));
    const std::string camera =
        Segment(0xE1, kXmpSignature +
                          "<x:xmpmeta><dc:creator><rdf:Seq><rdf:li>Camera Owner"
                          "</rdf:li></rdf:Seq></dc:creator></x:xmpmeta>");
    std::string photo = jpeg.substr(0, 2) + exif + camera + jpeg.substr(2);
    PhotoCredit read;
    EXPECT_FALSE(ReadPhotoCredit(photo, read)) << "a foreign packet is no credit of ours";

    ASSERT_TRUE(EmbedPhotoCredit(photo, HostileCredit()));
    const std::size_t once = photo.size();
    ASSERT_TRUE(EmbedPhotoCredit(photo, {"Second Author", "CC BY 4.0", "https://x/y", "T"}));
    ASSERT_TRUE(ReadPhotoCredit(photo, read));
    ExpectSameCredit(read, {"Second Author", "CC BY 4.0", "https://x/y", "T"});
    EXPECT_EQ(Count(photo, kXmpSignature), 1u);
    EXPECT_EQ(photo.find("Camera Owner"), std::string::npos);
    EXPECT_NE(photo.find(exif), std::string::npos);
    EXPECT_LT(photo.size(), once);
    EXPECT_EQ(photo.substr(photo.size() - jpeg.size() + 2), jpeg.substr(2));
}

TEST_F(PhotoCreditFile, TheCreditedPhotoDecodesToTheSamePixels) {
    Picture before, after;
    uint32_t w0 = 0, h0 = 0, w1 = 0, h1 = 0;
    ASSERT_TRUE(DecodePhoto(dir / "photo.jpg", 1920, 1080, before, w0, h0));
    ASSERT_TRUE(EmbedPhotoCredit(jpeg, HostileCredit()));
    WriteFileBytes(dir / "credited.jpg", jpeg);
    ASSERT_TRUE(DecodePhoto(dir / "credited.jpg", 1920, 1080, after, w1, h1));
    EXPECT_EQ(w1, w0);
    EXPECT_EQ(h1, h0);
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(after.height, before.height);
    EXPECT_TRUE(after.pixels == before.pixels);
}

TEST_F(PhotoCreditFile, OnlyTheFileHeadIsRead) {
    PhotoCredit credit = HostileCredit();
    std::string credited = jpeg;
    ASSERT_TRUE(EmbedPhotoCredit(credited, credit));
    // Our segment pushed behind 65,000 bytes of another one: still a credit
    // in memory, but beyond the head a file read looks at.
    const std::string ours = credited.substr(2, credited.size() - jpeg.size());
    const std::string late =
        jpeg.substr(0, 2) + Segment(0xE2, std::string(65000, 'x')) + ours + jpeg.substr(2);
    PhotoCredit read;
    EXPECT_TRUE(ReadPhotoCredit(late, read));
    WriteFileBytes(dir / "late.jpg", late);
    EXPECT_FALSE(ReadFile("late.jpg", read));
    EXPECT_FALSE(ReadFile("missing.jpg", read));
    std::filesystem::create_directory(dir / "folder.jpg");
    EXPECT_FALSE(ReadFile("folder.jpg", read));
#ifndef _WIN32
    // A pipe in its place is not opened (that would wait for a writer).
    ASSERT_EQ(mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
    EXPECT_FALSE(ReadFile("pipe.jpg", read));
#endif
}

TEST_F(PhotoCreditFile, DamagedAndForeignBytesGiveNoCredit) {
    std::string credited = jpeg;
    ASSERT_TRUE(EmbedPhotoCredit(credited, HostileCredit()));
    const std::size_t segmentEnd = credited.size() - jpeg.size() + 2;
    PhotoCredit read;
    // Every cut inside the segment loses the credit; after it, it is whole.
    for (std::size_t n = 0; n < segmentEnd; ++n)
        EXPECT_FALSE(ReadPhotoCredit(std::string_view(credited).substr(0, n), read)) << n;
    for (std::size_t n = segmentEnd; n < segmentEnd + 64; ++n)
        EXPECT_TRUE(ReadPhotoCredit(std::string_view(credited).substr(0, n), read)) << n;

    // A packet of ours whose element never ends.
    const std::size_t end = credited.find("</dc:creator>");
    ASSERT_NE(end, std::string::npos);
    std::string broken = credited;
    broken.replace(end, 13, "</dc:creatOr>");
    EXPECT_FALSE(ReadPhotoCredit(broken, read));

    // Lengths that lie, a packet after the image data, no JPEG at all.
    const std::string soi = jpeg.substr(0, 2);
    const std::string packet = credited.substr(2, segmentEnd - 2);
    EXPECT_FALSE(ReadPhotoCredit(soi + "\xFF\xE1\xFF\xFF" + packet.substr(4), read));
    EXPECT_FALSE(ReadPhotoCredit(soi + std::string("\xFF\xE1\x00\x01", 4) + packet, read));
    EXPECT_FALSE(ReadPhotoCredit(soi + Segment(0xDA, "") + packet, read));
    EXPECT_FALSE(ReadPhotoCredit(soi + "garbage" + packet, read));
    EXPECT_TRUE(ReadPhotoCredit(soi + std::string(5, '\xFF') + packet.substr(1), read))
        << "fill bytes before a marker are allowed";
    EXPECT_FALSE(ReadPhotoCredit(packet, read));

    std::string notJpeg = "GIF89a";
    EXPECT_FALSE(EmbedPhotoCredit(notJpeg, HostileCredit()));
    EXPECT_EQ(notJpeg, "GIF89a");
    // A truncated JPEG still takes a credit; its damage stays behind it.
    std::string truncated = soi + "\xFF\xE1\x40";
    ASSERT_TRUE(EmbedPhotoCredit(truncated, HostileCredit()));
    EXPECT_TRUE(ReadPhotoCredit(truncated, read));
    EXPECT_EQ(truncated.substr(truncated.size() - 3), "\xFF\xE1\x40");
}

namespace {
// EXIF with one IFD0 entry `tag` holding `value` (stored after the IFD).
std::string Exif(uint16_t tag, uint16_t type, const std::string& value, bool motorola) {
    auto put = [&](std::string& s, uint32_t v, int size) {
        for (int k = 0; k < size; ++k)
            s.push_back(static_cast<char>(motorola ? v >> (8 * (size - 1 - k)) : v >> (8 * k)));
    };
    std::string tiff = motorola ? std::string("MM\0*", 4) : std::string("II*\0", 4);
    put(tiff, 8, 4);
    put(tiff, 1, 2);
    put(tiff, tag, 2);
    put(tiff, type, 2);
    put(tiff, static_cast<uint32_t>(value.size()), 4);
    put(tiff, 8 + 2 + 12 + 4, 4);
    put(tiff, 0, 4);
    return Segment(0xE1, std::string("Exif\0\0", 6) + tiff + value);
}
}  // namespace

// A photo from elsewhere shows the title it carries, read by the decoder
// with its pixels; a Commons file's title comes from its name.
TEST_F(PhotoCreditFile, APhotoFromElsewhereShowsItsOwnTitle) {
    const std::string xp = std::string("H\0a\0r\0b\0o\0u\0r\0\0\0", 16);
    struct Row {
        std::string segments, title;
    };
    const Row rows[] = {
        {Segment(0xE1, kXmpSignature + "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">"
                                       "Dusk &amp; rain</rdf:li></rdf:Alt></dc:title>"),
         "Dusk & rain"},
        {Exif(0x010E, 2, std::string("Pier  at noon\0", 14), false), "Pier at noon"},
        {Exif(0x010E, 2, std::string("Pier\0", 5), true), "Pier"},
        {Exif(0x9C9B, 1, xp, false), "Harbour"},
        {Exif(0x010E, 2, std::string("OLYMPUS DIGITAL CAMERA\0", 23), false), ""},
        // Offsets past the segment read as nothing.
        {Segment(0xE1, std::string("Exif\0\0II*\0\xFF\xFF\xFF\x7F", 14)), ""},
        {"", ""},
    };
    for (const Row& r : rows) {
        WriteFileBytes(dir / "own.jpg", jpeg.substr(0, 2) + r.segments + jpeg.substr(2));
        Picture picture;
        uint32_t w = 0, h = 0;
        PhotoCredit credit{"x", "x", "x", "x"};
        ASSERT_TRUE(DecodePhoto(dir / "own.jpg", 640, 400, picture, w, h, &credit)) << r.title;
        EXPECT_EQ(credit.title, r.title);
        EXPECT_EQ(credit.author + credit.licence + credit.page, "") << r.title;
    }
    EXPECT_EQ(FileTitle("File:Airbus_A380_(F-HPJA).jpg"), "Airbus A380 (F-HPJA)");
    EXPECT_EQ(FileTitle("https://commons.wikimedia.org/wiki/File:A%C3%A9ro_1.jpeg"),
              "A\xC3\xA9ro 1");
    EXPECT_EQ(FileTitle("https://commons.wikimedia.org/w/index.php?curid=81754323"), "");
    EXPECT_EQ(FileTitle("81754323.jpg"), "");
}

#include "update/update_query.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>

#include "base/platform.h"
#include "base/text.h"
#include "net/endpoints.h"
#include "settings/settings.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {
constexpr char kRoute[] = "/screensavers/update.php";
constexpr char16_t kGuid[] = u"0123456789ABCDEF0123456789ABCDEF";

class UpdateQuery : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SetSiteOverride(server.BaseUrl()));
        Settings = SettingsRecord{};
        Settings.guid.Assign(kGuid);
        StoreNewVersion(u"1.0");
    }
    // Sets the service's reply; the route is installed once, at the first reply.
    void Reply(const std::string& body) {
        {
            std::lock_guard<std::mutex> lock(replyLock);
            reply = body;
        }
        if (routed) return;
        routed = true;
        server.Handle(kRoute, [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(replyLock);
            res.set_content(reply, "text/xml");
        });
    }
    // The "newver" entry of the saved settings file, or "(no file)".
    std::u16string SavedNewver() const {
        std::string bytes = ReadFileBytes(folder / "settings.cfg");
        if (bytes.empty()) return u"(no file)";
        std::u16string text;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        auto at = text.find(u"\nnewver=");
        if (at == std::u16string::npos) return u"(no entry)";
        auto start = at + 8;
        return text.substr(start, text.find(u'\n', start) - start);
    }

    std::mutex replyLock;
    std::string reply;  // replyLock: written by the test, read by the server's threads
    bool routed = false;
    TempDataFolder folder;
    HttpTestServer server;
};
}  // namespace

TEST_F(UpdateQuery, AsksWithTheSaversIdentityAndStoresTheVersion) {
    Reply("<?xml version=\"1.0\"?><update><app id=\"skyreel\"><appver>1.1</appver></app></update>");
    QueryUpdate();
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& q = requests[0];
    EXPECT_EQ(q.get_param_value("app"), "skyreel");
    EXPECT_EQ(q.get_param_value("ver"), "1.0");
    EXPECT_EQ(q.get_param_value("uid"), Utf16ToUtf8(kGuid));
    EXPECT_EQ(q.get_param_value("os"), Utf16ToUtf8(kOsName));
    EXPECT_EQ(q.get_param_value("osver"), Utf16ToUtf8(OsVersionText()));
    EXPECT_EQ(NewVersionText(), u"1.1");
    EXPECT_EQ(SavedNewver(), u"1.1");
    EXPECT_FALSE(fs::exists(folder / "update.xml"));
}

TEST_F(UpdateQuery, VersionTextRules) {
    struct Case {
        std::string reply;
        std::u16string newver;  // expected afterwards, starting from "1.0"
        std::u16string saved;
    };
    const Case cases[] = {
        {"<appver>1.0</appver>", u"1.0", u"1.0"},
        {"x<appver>1.2.3.4.5.6</appver>", u"1.2.3.4.5", u"1.2.3.4.5"},
        {"</appver>2.0<appver>", u"1.0", u"1.0"},         // wrong order: kept, still saved
        {"<appver>3.0", u"1.0", u"1.0"},                  // no closing tag
        {"<appver></appver>", u"", u"1.0"},               // empty: file says 1.0
        {"<appver>2.\xC3\xA9</appver>", u"1.0", u"1.0"},  // bytes above 0x7F refused
        {"<appver>\nguid=X</appver>", u"1.0", u"1.0"},    // a line break would add a key
        {std::string("a\0<appver>9.9</appver>", 21), u"1.0", u"1.0"},  // text ends at zero
    };
    for (const auto& c : cases) {
        StoreNewVersion(u"1.0");
        fs::remove(folder / "settings.cfg");
        Reply(c.reply);
        QueryUpdate();
        EXPECT_EQ(NewVersionText(), c.newver) << c.reply;
        EXPECT_EQ(SavedNewver(), c.saved) << c.reply;
        EXPECT_EQ(Settings.guid.view(), kGuid) << c.reply;
        EXPECT_FALSE(fs::exists(folder / "update.xml")) << c.reply;
    }
}

TEST_F(UpdateQuery, NoReplyChangesNothingAndRemovesTheReplyFile) {
    StoreNewVersion(u"1.5");
    server.Status(kRoute, 404);
    WriteFileBytes(folder / "update.xml", "left from an earlier run");
    QueryUpdate();
    EXPECT_EQ(NewVersionText(), u"1.5");
    EXPECT_EQ(SavedNewver(), u"(no file)");
    EXPECT_FALSE(fs::exists(folder / "update.xml"));
}

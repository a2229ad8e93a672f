// The update component's settings: the eighteen keys, their types, defaults and order, and how
// they reach "settings.ini". Linked with the program's resources, so the product name is read
// from the same version resource as the program's.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "update/OrbAutoUpdate.h"
#include "TestSupport.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

struct Expected {
    const char* Key;
    TValueType Type;
    Variant Default;
    const char* Text; // as saved to "settings.ini"
};

const std::vector<Expected>& Table() {
    static const std::vector<Expected> table = {
        {"AutoUpdateEnabled", vtBoolean, true, "1"},
        {"AutoUpdateApplication", vtString, "sundown", "sundown"},
        {"AutoUpdateURL", vtString, "http://update.sundown.invalid/autoupdate.ini",
         "http://update.sundown.invalid/autoupdate.ini"},
        {"AutoUpdateHTTPProxy", vtBoolean, false, "0"},
        {"AutoUpdateHTTPHost", vtString, "", ""},
        {"AutoUpdateHTTPPort", vtInteger, 8080, "8080"},
        {"AutoUpdateHTTPAuthentication", vtBoolean, false, "0"},
        {"AutoUpdateHTTPUsername", vtString, "", ""},
        {"AutoUpdateHTTPPassword", vtPassword, "", ""},
        {"AutoUpdateSOCKSProxy", vtBoolean, false, "0"},
        {"AutoUpdateSOCKSHost", vtString, "", ""},
        {"AutoUpdateSOCKSPort", vtInteger, 1080, "1080"},
        {"AutoUpdateSOCKSAuthentication", vtBoolean, false, "0"},
        {"AutoUpdateSOCKSUsername", vtString, "", ""},
        {"AutoUpdateSOCKSPassword", vtPassword, "", ""},
        {"AutoUpdateSOCKSVersion", vtInteger, 0, "0"},
        {"AutoUpdateAutomatic", vtBoolean, false, "0"},
        {"AutoUpdateInterval", vtInteger, 12, "12"},
    };
    return table;
}

std::string TempIni() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "sundown_autoupdate_" + std::to_string(GetCurrentProcessId()) +
           ".ini";
}

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Fails the test if any message box would have been shown.
class NoMessageBoxes : public support::TBoxRecorder {
public:
    NoMessageBoxes() {
        OnBox = [](const support::TBox& box) { ADD_FAILURE() << "message box: " << box.Text; };
    }
};

} // namespace

TEST(AutoUpdateSettings, DefaultApplicationNameIsTheProductName) {
    NoMessageBoxes quiet;
    EXPECT_EQ(GetDefaultApplicationName(), "sundown");
}

TEST(AutoUpdateSettings, DefaultURLIsOnAHostThatNeverResolves) {
    const std::string url = DefaultUpdateURL;
    EXPECT_EQ(url.rfind("http://", 0), 0u);
    const std::string host = url.substr(7, url.find('/', 7) - 7);
    EXPECT_EQ(url.substr(7 + host.size()), "/autoupdate.ini");
    ASSERT_GT(host.size(), 8u);
    EXPECT_EQ(host.substr(host.size() - 8), ".invalid");
}

TEST(AutoUpdateSettings, RegistersTheEighteenKeysInOrder) {
    NoMessageBoxes quiet;
    TProgramSettings settings;
    RegisterAutoUpdateSettings(settings);
    ASSERT_EQ(settings.Count(), 18);
    for (int i = 0; i < 18; ++i) {
        const Expected& e = Table()[i];
        TSettingItem& item = settings.GetItem(i);
        EXPECT_EQ(item.KeyName(), e.Key) << i;
        EXPECT_EQ(item.ValueType(), e.Type) << e.Key;
        EXPECT_EQ(item.DefaultValue().Kind(), e.Default.Kind()) << e.Key;
        EXPECT_EQ(item.DefaultValue().AsString(), e.Default.AsString()) << e.Key;
        EXPECT_TRUE(item.Value().IsEmpty()) << e.Key;
    }
}

TEST(AutoUpdateSettings, RegisteringTwiceAddsEveryKeyAgainAndTheFirstWins) {
    NoMessageBoxes quiet;
    TProgramSettings settings;
    RegisterAutoUpdateSettings(settings);
    settings.GetItem(17).SetValue(24);
    RegisterAutoUpdateSettings(settings);
    EXPECT_EQ(settings.Count(), 36);
    EXPECT_EQ(settings.IndexOf("AutoUpdateInterval"), 17);
    EXPECT_EQ(settings.GetValue("AutoUpdateInterval").AsInteger(), 24);
    EXPECT_EQ(settings.GetItem(35).KeyName(), "AutoUpdateInterval");
}

TEST(AutoUpdateSettings, UserNameKeysAnswerToEitherCase) {
    NoMessageBoxes quiet;
    TProgramSettings settings;
    RegisterAutoUpdateSettings(settings);
    EXPECT_EQ(settings.IndexOf("AutoUpdateHTTPUserName"), 7);
    EXPECT_EQ(settings.IndexOf("AutoUpdateSOCKSUserName"), 13);

    const std::string ini = TempIni();
    DeleteFileA(ini.c_str());
    settings.SetSettingsStore(ssINIFile);
    settings.SetINIFileName(ini);
    settings.LoadDefaults();
    settings.Load();
    settings.SetValue("AutoUpdateHTTPUserName", "proxyuser");
    EXPECT_EQ(settings.GetValue("AutoUpdateHTTPUsername").AsString(), "proxyuser");
    settings.Save();
    const std::vector<std::string> lines = Lines(ini);
    DeleteFileA(ini.c_str());
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[8], "AutoUpdateHTTPUsername=proxyuser");
}

TEST(AutoUpdateSettings, FreshFileHoldsTheKeysFirstWithTheirDefaults) {
    NoMessageBoxes quiet;
    const std::string ini = TempIni();
    DeleteFileA(ini.c_str());
    TProgramSettings settings;
    settings.SetSettingsStore(ssINIFile);
    settings.SetINIFileName(ini);
    RegisterAutoUpdateSettings(settings);
    settings.Add("FirstRun", vtBoolean, true);
    settings.LoadDefaults();
    settings.Load();
    EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
    settings.Save();
    const std::vector<std::string> lines = Lines(ini);
    DeleteFileA(ini.c_str());

    std::vector<std::string> expected = {"[Settings]"};
    for (const Expected& e : Table())
        expected.push_back(std::string(e.Key) + "=" + e.Text);
    expected.push_back("FirstRun=1");
    EXPECT_EQ(lines, expected);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

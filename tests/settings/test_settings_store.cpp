// Registration, lookup by name and value access; the scrambling routine.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/ListError.h"
#include "settings/OrbProgramSettings.h"
#include "settings/SettingsKeys.h"
#include "TestSupport.h"

using support::MessageOf;

TEST(SettingsStore, CreateSetsTheDefaultsAndReadsNothing) {
    TProgramSettings s;
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string expected = exe;
    expected = expected.substr(0, expected.rfind('.')) + ".ini";
    EXPECT_EQ(s.INIFileName(), expected);
    EXPECT_EQ(s.RootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(s.SettingsKey(), "");
    EXPECT_EQ(s.SettingsStore(), ssRegistry);
    EXPECT_EQ(s.EncryptKey(), "M4QUILT");
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(GetFileAttributesA(expected.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsStore, AddKeepsOrderAndLeavesValueUnassigned) {
    TProgramSettings s;
    RegisterSystemKeys(s);
    ASSERT_EQ(s.Count(), 24);
    EXPECT_EQ(s.GetItem(0).KeyName(), "AutoUpdateEnabled");
    EXPECT_EQ(s.GetItem(23).KeyName(), "ExitWindowsType");
    EXPECT_EQ(&s.GetItem(0).Collection(), &s);
    TSettingItem& hour = s.GetSetting("Hour");
    EXPECT_EQ(hour.ValueType(), vtInteger);
    EXPECT_EQ(hour.DefaultValue(), Variant(20));
    EXPECT_TRUE(s.GetValue("Hour").IsEmpty());
    // The default's kind is kept whatever the value type says.
    TSettingItem& odd = s.Add("Odd", vtInteger, "text");
    EXPECT_EQ(odd.DefaultValue(), Variant("text"));
    EXPECT_EQ(&odd, &s.GetItem(24));
}

TEST(SettingsStore, LookupFoldsAsciiLettersOnly) {
    TProgramSettings s;
    RegisterSystemKeys(s);
    s.SetValue("AutoUpdateHTTPUsername", "user");
    EXPECT_EQ(s.GetValue("AutoUpdateHTTPUserName"), Variant("user"));
    EXPECT_EQ(s.IndexOf("enabled"), s.IndexOf("ENABLED"));
    EXPECT_EQ(s.IndexOf("Enabled"), 19);
    EXPECT_EQ(s.IndexOf("Enabled "), -1);
    EXPECT_EQ(s.IndexOf("Enable"), -1);
    s.Add("caf\xe9", vtString, "small"); // small e acute
    EXPECT_EQ(s.IndexOf("CAF\xe9"), 24);
    EXPECT_EQ(s.IndexOf("caf\xc9"), -1); // capital E acute is another letter
    EXPECT_EQ(s.IndexOf(""), -1);
    s.Add("", vtString, "nameless");
    EXPECT_EQ(s.IndexOf(""), 25);
    EXPECT_EQ(s.GetSetting("").DefaultValue(), Variant("nameless"));
}

TEST(SettingsStore, DuplicateNamesFirstWins) {
    TProgramSettings s;
    s.Add("Hour", vtInteger, 1);
    s.Add("Hour", vtInteger, 2);
    EXPECT_EQ(s.Count(), 2);
    s.SetValue("Hour", 5);
    EXPECT_EQ(s.GetValue("hour"), Variant(5));
    EXPECT_TRUE(s.GetItem(1).Value().IsEmpty());
}

TEST(SettingsStore, ValuesKeepTheirKind) {
    TProgramSettings s;
    s.Add("Warning", vtInteger, 60);
    s.SetValue("Warning", 30.0);
    EXPECT_EQ(s.GetValue("Warning"), Variant(30.0));
    EXPECT_EQ(s.GetValue("Warning").AsInteger(), 30);
    EXPECT_EQ(s.GetSetting("Warning").DefaultValue(), Variant(60));
    Variant copy = s.GetValue("Warning");
    copy = Variant("changed");
    EXPECT_EQ(s.GetValue("Warning"), Variant(30.0));
}

TEST(SettingsStore, UnknownNamesAndIndexesRaise) {
    TProgramSettings s;
    EXPECT_EQ(MessageOf<EProgramSettingError>([&] { s.GetValue("Hour"); }),
              "Invalid Key Name (Hour)");
    RegisterSystemKeys(s);
    s.SetValue("Hour", 7);
    EXPECT_EQ(MessageOf<EProgramSettingError>([&] { s.SetValue("hOuRs", 8); }),
              "Invalid Key Name (hOuRs)");
    EXPECT_EQ(s.GetValue("Hour"), Variant(7));
    EXPECT_EQ(MessageOf<EListError>([&] { s.GetItem(24); }), "List index out of bounds (24)");
    EXPECT_EQ(MessageOf<EListError>([&] { s.GetItem(-1); }), "List index out of bounds (-1)");
    s.Clear();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(MessageOf<EProgramSettingError>([&] { s.GetValue("Hour"); }),
              "Invalid Key Name (Hour)");
}

TEST(SettingsStore, ClearKeepsTheProperties) {
    TProgramSettings s;
    s.SetSettingsStore(ssINIFile);
    s.SetINIFileName("C:\\x\\settings.ini");
    s.SetEncryptKey("K");
    s.SetSettingsKey("Software\\X");
    RegisterSystemKeys(s);
    s.Clear();
    EXPECT_EQ(s.SettingsStore(), ssINIFile);
    EXPECT_EQ(s.INIFileName(), "C:\\x\\settings.ini");
    EXPECT_EQ(s.EncryptKey(), "K");
    EXPECT_EQ(s.SettingsKey(), "Software\\X");
}

TEST(EncryptString, ScramblesWithinRangesAndUndoesItself) {
    EXPECT_EQ(EncryptString("", "M4QUILT"), "");
    EXPECT_EQ(EncryptString("secret", ""), "");
    // 's' (115) ^ ('M' & 63 = 13) = 126 '~'; '1' (49) ^ ('4' & 31 = 20) = 37 '%'.
    EXPECT_EQ(EncryptString("s1", "M4QUILT"), "~%");
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    for (const std::string key : {"M4QUILT", "k", "\xff\x80 key"}) {
        const std::string scrambled = EncryptString(all, key);
        ASSERT_EQ(scrambled.size(), all.size());
        for (size_t i = 0; i < all.size(); ++i) {
            const int c = static_cast<unsigned char>(all[i]);
            const int r = static_cast<unsigned char>(scrambled[i]);
            if (c < 32) {
                EXPECT_EQ(r, c);
            } else if (c < 64) {
                EXPECT_TRUE(r >= 32 && r < 64) << c;
            } else if (c < 128) {
                EXPECT_TRUE(r >= 64 && r < 128) << c;
            } else {
                EXPECT_GE(r, 128) << c;
            }
        }
        EXPECT_EQ(EncryptString(scrambled, key), all);
    }
    // The key starts again at every call and repeats along the text.
    EXPECT_EQ(EncryptString("aaaaaaaa", "M4QUILT").substr(7, 1), EncryptString("a", "M4QUILT"));
}

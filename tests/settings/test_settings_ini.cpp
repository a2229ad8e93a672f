// The INI store over the real private-profile functions: layout, reading rules, damaged files,
// foreign lines, line breaks, blanks and quotes, failures.
#include <gtest/gtest.h>

#include "base/Convert.h"
#include "base/IniFile.h"
#include "base/ScratchPlaces.h"
#include "settings/OrbProgramSettings.h"
#include "settings/SettingsKeys.h"

using scratch::FileExists;
using scratch::ReadFileBytes;
using scratch::WriteFileBytes;

namespace {

class IniStore : public ::testing::Test {
protected:
    void SetUp() override {
        File = Dir.File("settings.ini");
        Settings.SetSettingsStore(ssINIFile);
        Settings.SetINIFileName(File);
        RegisterSystemKeys(Settings);
    }
    void LoadAll() {
        Settings.LoadDefaults();
        Settings.Load();
    }
    // A second store on the same file, registered and loaded afresh.
    std::unique_ptr<TProgramSettings> Reloaded() {
        auto s = std::make_unique<TProgramSettings>();
        s->SetSettingsStore(ssINIFile);
        s->SetINIFileName(File);
        RegisterSystemKeys(*s);
        s->LoadDefaults();
        s->Load();
        return s;
    }

    scratch::TTempFolder Dir;
    std::string File;
    TProgramSettings Settings;
};

std::string ExpectedFreshFile() {
    return "[Settings]\r\nAutoUpdateEnabled=1\r\nAutoUpdateApplication=Sundown\r\n"
           "AutoUpdateURL=http://updates.example.com/autoupdate.ini\r\nAutoUpdateHTTPProxy=0\r\n"
           "AutoUpdateHTTPHost=\r\nAutoUpdateHTTPPort=8080\r\nAutoUpdateHTTPAuthentication=0\r\n"
           "AutoUpdateHTTPUsername=\r\nAutoUpdateHTTPPassword=\r\nAutoUpdateSOCKSProxy=0\r\n"
           "AutoUpdateSOCKSHost=\r\nAutoUpdateSOCKSPort=1080\r\n"
           "AutoUpdateSOCKSAuthentication=0\r\nAutoUpdateSOCKSUsername=\r\n"
           "AutoUpdateSOCKSPassword=\r\nAutoUpdateSOCKSVersion=0\r\nAutoUpdateAutomatic=0\r\n"
           "AutoUpdateInterval=12\r\nFirstRun=1\r\nEnabled=1\r\nHour=20\r\nMinute=0\r\n"
           "Warning=60\r\nExitWindowsType=0\r\n";
}

} // namespace

TEST_F(IniStore, NoFileGivesDefaultsAndFirstSaveWritesSettingsAlone) {
    LoadAll();
    EXPECT_FALSE(FileExists(File));
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(20));
    EXPECT_EQ(Settings.GetValue("Enabled"), Variant(true));
    EXPECT_EQ(Settings.GetValue("AutoUpdateHTTPPassword"), Variant(""));
    EXPECT_EQ(Settings.GetValue("AutoUpdateURL"),
              Variant("http://updates.example.com/autoupdate.ini"));
    Settings.Save();
    EXPECT_EQ(ReadFileBytes(File), ExpectedFreshFile());
    // Unchanged values leave the file as it was.
    Settings.Save();
    auto again = Reloaded();
    again->Save();
    EXPECT_EQ(ReadFileBytes(File), ExpectedFreshFile());
}

TEST_F(IniStore, ForeignKeysAndSectionsSurviveEverySave) {
    WriteFileBytes(File, "; the user's notes\r\n[Before]\r\nA=1\r\n[Settings]\r\nHour=7\r\n"
                         "MyOwnKey=kept\r\n[After]\r\nB=2\r\n");
    LoadAll();
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(7));
    Settings.SetValue("Hour", 9);
    Settings.Save();
    Settings.Save();
    TIniFile ini(File);
    EXPECT_EQ(ini.ReadString("Before", "A", ""), "1");
    EXPECT_EQ(ini.ReadString("After", "B", ""), "2");
    EXPECT_EQ(ini.ReadString("Settings", "MyOwnKey", ""), "kept");
    EXPECT_EQ(ini.ReadInteger("Settings", "Hour", 0), 9);
    const std::string text = ReadFileBytes(File);
    EXPECT_EQ(text.find("; the user's notes\r\n[Before]\r\nA=1\r\n[Settings]\r\nHour=9\r\n"
                        "MyOwnKey=kept\r\n"),
              0u)
        << text;
    EXPECT_NE(text.find("[After]\r\nB=2\r\n"), std::string::npos);
}

TEST_F(IniStore, IntegerAndBooleanReadingRules) {
    WriteFileBytes(File, "[Settings]\r\nHour=0x16\r\nMinute=$16\r\nWarning=\" 22\"\r\n"
                         "ExitWindowsType=22a\r\nAutoUpdateHTTPPort=\r\n"
                         "AutoUpdateSOCKSPort=2147483648\r\nAutoUpdateSOCKSVersion=0x100000000\r\n"
                         "AutoUpdateInterval=-0x10\r\n"
                         "Enabled=2\r\nFirstRun=-1\r\nAutoUpdateEnabled=0\r\n"
                         "AutoUpdateHTTPProxy=true\r\nAutoUpdateSOCKSProxy=1\r\n");
    LoadAll();
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(22));
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(22));
    EXPECT_EQ(Settings.GetValue("Warning"), Variant(22));
    EXPECT_EQ(Settings.GetValue("ExitWindowsType"), Variant(0));
    EXPECT_EQ(Settings.GetValue("AutoUpdateHTTPPort"), Variant(8080));
    EXPECT_EQ(Settings.GetValue("AutoUpdateSOCKSPort"), Variant(1080));
    EXPECT_EQ(Settings.GetValue("AutoUpdateSOCKSVersion"), Variant(0));
    EXPECT_EQ(Settings.GetValue("AutoUpdateInterval"), Variant(-16));
    EXPECT_EQ(Settings.GetValue("Enabled"), Variant(true));
    EXPECT_EQ(Settings.GetValue("FirstRun"), Variant(true));
    EXPECT_EQ(Settings.GetValue("AutoUpdateEnabled"), Variant(false));
    EXPECT_EQ(Settings.GetValue("AutoUpdateHTTPProxy"), Variant(false)); // the fallback
    EXPECT_EQ(Settings.GetValue("AutoUpdateSOCKSProxy"), Variant(true));
}

TEST_F(IniStore, StoredDefaultsAndValues) {
    WriteFileBytes(File, "[.Defaults]\r\nHour=5\r\nMinute=6\r\n[Settings]\r\nMinute=7\r\n");
    Settings.LoadDefaults();
    EXPECT_EQ(Settings.GetSetting("Hour").DefaultValue(), Variant(5));
    EXPECT_TRUE(Settings.GetValue("Hour").IsEmpty());
    Settings.Load();
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(5));
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(7));
    EXPECT_EQ(Settings.GetSetting("Minute").DefaultValue(), Variant(6));
    Settings.Save();
    // Nothing is ever written to the defaults.
    TIniFile ini(File);
    EXPECT_EQ(ini.ReadString(".Defaults", "Warning", "none"), "none");
    EXPECT_EQ(ini.ReadString(".Defaults", "Hour", ""), "5");
}

TEST_F(IniStore, Passwords) {
    // Neither entry: the registered default, unscrambled.
    Settings.Add("Secret", vtPassword, "plain");
    LoadAll();
    EXPECT_EQ(Settings.GetSetting("Secret").DefaultValue(), Variant("plain"));
    EXPECT_EQ(Settings.GetValue("Secret"), Variant("plain"));
    // Only a scrambled default.
    WriteFileBytes(File, "[.Defaults]\r\nSecret=" + EncryptString("stored", "M4QUILT") + "\r\n");
    LoadAll();
    EXPECT_EQ(Settings.GetSetting("Secret").DefaultValue(), Variant("stored"));
    EXPECT_EQ(Settings.GetValue("Secret"), Variant("stored"));
    // A present empty entry is the empty password.
    WriteFileBytes(File, "[Settings]\r\nSecret=\r\n");
    LoadAll();
    EXPECT_EQ(Settings.GetValue("Secret"), Variant(""));
    // Saved scrambled, with the default key when the key was emptied.
    Settings.SetValue("Secret", "p@ss word");
    Settings.SetEncryptKey("");
    Settings.Save();
    EXPECT_EQ(Settings.EncryptKey(), "M4QUILT");
    TIniFile ini(File);
    EXPECT_EQ(ini.ReadString("Settings", "Secret", ""), EncryptString("p@ss word", "M4QUILT"));
    auto again = Reloaded();
    again->Add("Secret", vtPassword, "");
    again->SetEncryptKey("");
    again->Load();
    EXPECT_EQ(again->EncryptKey(), "M4QUILT");
    EXPECT_EQ(again->GetValue("Secret"), Variant("p@ss word"));
}

TEST_F(IniStore, BlanksAndQuotesComeBackUnchanged) {
    Settings.Add("Text", vtString, "");
    Settings.Add("Pass", vtPassword, "");
    // "-abc" scrambles to text that begins with a blank, "/6" to text enclosed in quotes.
    ASSERT_EQ(EncryptString("-abc", "M4QUILT")[0], ' ');
    ASSERT_EQ(EncryptString("/6", "M4QUILT"), "\"\"");
    const std::string texts[] = {"  padded  ", "\"quoted\"", "'single'", " ", "\"",
                                 "-abc",       "/6",         "x ",       "\t"};
    for (const std::string& t : texts) {
        Settings.SetValue("Text", t);
        Settings.SetValue("Pass", t);
        Settings.Save();
        auto again = Reloaded();
        again->Add("Text", vtString, "fb");
        again->Add("Pass", vtPassword, "fb");
        again->Load();
        EXPECT_EQ(again->GetValue("Text"), Variant(t)) << "[" << t << "]";
        EXPECT_EQ(again->GetValue("Pass"), Variant(t)) << "[" << t << "]";
    }
    // Files written before quoting was added read as they always did.
    WriteFileBytes(File, "[Settings]\r\nText=  padded  \r\nPass=\"" +
                             EncryptString("pw", "M4QUILT") + "\"\r\n");
    auto old = Reloaded();
    old->Add("Text", vtString, "");
    old->Add("Pass", vtPassword, "");
    old->Load();
    EXPECT_EQ(old->GetValue("Text"), Variant("padded"));
    EXPECT_EQ(old->GetValue("Pass"), Variant("pw"));
}

TEST_F(IniStore, LineBreaksBecomeBlanksAndInjectNoLines) {
    Settings.Add("Name", vtString, "");
    Settings.Add("Pass", vtPassword, "");
    LoadAll();
    Settings.SetValue("Name", "one\r\ntwo\n[Evil]\nHour=99\r");
    Settings.SetValue("Pass", "a\nb");
    Settings.SetValue("Hour", 5);
    Settings.Save();
    const std::string text = ReadFileBytes(File);
    EXPECT_NE(text.find("\r\nName=\"one two [Evil] Hour=99 \"\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\n[Evil]"), std::string::npos);
    auto again = Reloaded();
    again->Add("Name", vtString, "");
    again->Add("Pass", vtPassword, "");
    again->Load();
    EXPECT_EQ(again->GetValue("Name"), Variant("one two [Evil] Hour=99 "));
    EXPECT_EQ(again->GetValue("Pass"), Variant("a b"));
    EXPECT_EQ(again->GetValue("Hour"), Variant(5));
    EXPECT_EQ(Settings.GetValue("Name"), Variant("one\r\ntwo\n[Evil]\nHour=99\r")); // in memory
}

TEST_F(IniStore, DamagedFilesNeverBreakALoad) {
    Settings.Add("Name", vtString, "default name");
    Settings.Add("When", vtDateTime, Variant::FromDateTime(40000.5));
    Settings.Add("Rate", vtFloat, 1.5);
    const std::string longText(5000, 'x');
    WriteFileBytes(File, "\x01\x02garbage without structure\r\n"
                         "[Settings]\r\n"
                         "Hour=abc\r\n"
                         "Minute=" +
                             std::string(5000, '7') +
                             "\r\n"
                             "Warning\r\n"
                             "Enabled=maybe\r\nEnabled=0\r\n"
                             "Name=" +
                             longText +
                             "\r\n"
                             "When=13/45/2020 99:99:99\r\n"
                             "Rate=1.2.3\r\n"
                             "=no key\r\n"
                             "[Settings\r\n"
                             "[Settings]\r\nExitWindowsType=2\r\n"
                             "[Foreign]\r\nKeep=me\r\n"
                             "[Junk]\r\n\xff\xfe\x1a\r\r\r\x80\x81 = \x90\r\n");
    ASSERT_NO_THROW(LoadAll());
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(20));
    EXPECT_EQ(Settings.GetValue("Minute"), Variant(0));
    EXPECT_EQ(Settings.GetValue("Warning"), Variant(60));
    EXPECT_EQ(Settings.GetValue("Enabled"), Variant(true));      // first entry wins, falls back
    EXPECT_EQ(Settings.GetValue("ExitWindowsType"), Variant(0)); // second section is unseen
    EXPECT_EQ(Settings.GetValue("Name"), Variant(longText));
    EXPECT_EQ(Settings.GetValue("When"), Variant::FromDateTime(40000.5));
    EXPECT_EQ(Settings.GetValue("Rate"), Variant(1.5));
    Settings.SetValue("Hour", 21);
    Settings.Save();
    TIniFile ini(File);
    EXPECT_EQ(ini.ReadString("Foreign", "Keep", ""), "me");
    auto again = Reloaded();
    EXPECT_EQ(again->GetValue("Hour"), Variant(21));
    EXPECT_EQ(again->GetValue("Minute"), Variant(0));
}

TEST_F(IniStore, RandomJunkFilesNeverBreakALoad) {
    Settings.Add("Name", vtString, "n");
    Settings.Add("Pass", vtPassword, "p");
    Settings.Add("Day", vtDate, Variant::FromDateTime(45000));
    scratch::TRandom random(99);
    for (int round = 0; round < 40; ++round) {
        std::string junk;
        const int length = static_cast<int>(random.Range(0, 3000));
        for (int i = 0; i < length; ++i) {
            // Mostly text with the INI's own characters, some raw bytes.
            static const char pool[] = "[]=;\"' \t\r\nSettingsHour0x$-12";
            junk += random.Range(0, 3) == 0 ? static_cast<char>(random.Range(0, 255))
                                            : pool[random.Range(0, sizeof pool - 2)];
        }
        if (round % 10 == 0) {
            junk = "\xff\xfe" + junk; // looks like UTF-16 to the platform
        }
        WriteFileBytes(File, junk + "\r\n[Foreign]\r\nKeep=me\r\n");
        ASSERT_NO_THROW(LoadAll()) << round;
        Settings.SetValue("Hour", static_cast<int>(round));
        Settings.SetValue("Name", " name " + std::to_string(round));
        ASSERT_NO_THROW(Settings.Save()) << round;
        auto again = Reloaded();
        again->Add("Name", vtString, "");
        again->Load();
        EXPECT_EQ(again->GetValue("Hour"), Variant(static_cast<int>(round))) << round;
        EXPECT_EQ(again->GetValue("Name"), Variant(" name " + std::to_string(round))) << round;
        if (round % 10 != 0) {
            TIniFile ini(File);
            EXPECT_EQ(ini.ReadString("Foreign", "Keep", ""), "me") << round;
        }
    }
}

TEST_F(IniStore, ConversionFailuresStopAtTheFailingItem) {
    LoadAll();
    Settings.SetValue("AutoUpdateHTTPPort", Variant::Null());
    Settings.SetValue("AutoUpdateEnabled", false);
    try {
        Settings.Save();
        FAIL() << "no exception";
    } catch (const EVariantTypeCastError& e) {
        EXPECT_EQ(e.Message(), "Could not convert variant of type (Null) into type (Integer)");
    }
    TIniFile ini(File);
    EXPECT_TRUE(ini.ValueExists("Settings", "AutoUpdateHTTPHost"));
    EXPECT_FALSE(ini.ValueExists("Settings", "AutoUpdateHTTPPort"));
    EXPECT_FALSE(ini.ValueExists("Settings", "ExitWindowsType"));

    // A default that does not convert fails the load at its item.
    TProgramSettings s;
    s.SetSettingsStore(ssINIFile);
    s.SetINIFileName(File);
    s.Add("First", vtString, "a");
    s.Add("Bad", vtInteger, "abc");
    s.Add("Last", vtString, "z");
    EXPECT_THROW(s.Load(), EVariantTypeCastError);
    EXPECT_EQ(s.GetValue("First"), Variant("a"));
    EXPECT_TRUE(s.GetValue("Bad").IsEmpty());
    EXPECT_TRUE(s.GetValue("Last").IsEmpty());
}

TEST_F(IniStore, RefusedWritesRaiseAndCreateNoFolder) {
    LoadAll();
    const std::string missing = Dir.File("gone\\settings.ini");
    Settings.SetINIFileName(missing);
    try {
        Settings.Save();
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + missing);
    }
    EXPECT_FALSE(FileExists(Dir.File("gone")));
}

TEST_F(IniStore, OtherStoreValuesDoNothing) {
    Settings.SetSettingsStore(static_cast<TSettingsStore>(7));
    Settings.SetEncryptKey("");
    Settings.LoadDefaults();
    Settings.Load();
    Settings.Save();
    EXPECT_FALSE(FileExists(File));
    EXPECT_TRUE(Settings.GetValue("Hour").IsEmpty());
    EXPECT_EQ(Settings.EncryptKey(), "M4QUILT");
}

TEST_F(IniStore, RegionalTextOfFloatsAndDates) {
    Settings.Add("Rate", vtFloat, 0.0);
    Settings.Add("Money", vtCurrency, Variant::FromCurrency(0));
    Settings.Add("Day", vtDate, Variant::FromDateTime(0));
    Settings.Add("Clock", vtTime, Variant::FromDateTime(0));
    Settings.Add("Stamp", vtDateTime, Variant::FromDateTime(0));
    LoadAll();
    const TDateTime stamp = 45123.0 + (13 * 3600 + 5 * 60 + 9.4) / 86400.0;
    Settings.SetValue("Rate", 1.0 / 3.0);
    Settings.SetValue("Money", Variant::FromCurrency(123456789));
    Settings.SetValue("Day", Variant::FromDateTime(stamp));
    Settings.SetValue("Clock", Variant::FromDateTime(stamp));
    Settings.SetValue("Stamp", Variant::FromDateTime(stamp));
    Settings.Save();
    TIniFile ini(File);
    EXPECT_EQ(ini.ReadString("Settings", "Rate", ""), FloatToStr(1.0 / 3.0));
    EXPECT_EQ(ini.ReadString("Settings", "Money", ""), FloatToStr(12345.6789));
    EXPECT_EQ(ini.ReadString("Settings", "Day", ""), DateToStr(stamp));
    EXPECT_EQ(ini.ReadString("Settings", "Clock", ""), TimeToStr(stamp));
    EXPECT_EQ(ini.ReadString("Settings", "Stamp", ""), DateTimeToStr(stamp));
    auto again = Reloaded();
    again->Add("Money", vtCurrency, 0);
    again->Add("Day", vtDate, 0);
    again->Add("Clock", vtTime, 0);
    again->Add("Stamp", vtDateTime, 0);
    again->Load();
    EXPECT_EQ(again->GetValue("Money"), Variant(12345.6789)); // a double from the INI store
    EXPECT_EQ(again->GetValue("Day"), Variant::FromDateTime(45123.0));
    EXPECT_NEAR(again->GetValue("Clock").AsDouble(), (13 * 3600 + 5 * 60 + 9) / 86400.0, 1e-9);
    EXPECT_EQ(again->GetValue("Stamp").Kind(), TVarKind::vkDate);
    EXPECT_NEAR(again->GetValue("Stamp").AsDouble(), 45123.0 + (13 * 3600 + 5 * 60 + 9) / 86400.0,
                1e-8);
}

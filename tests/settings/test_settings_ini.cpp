// The INI store over the real private-profile functions: layout, reading rules, damaged files,
// foreign lines, line breaks, blanks and quotes, failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "base/Convert.h"
#include "base/IniFile.h"
#include "base/IniFileUpdate.h"
#include "base/ScratchPlaces.h"
#include "settings/OrbProgramSettings.h"
#include "settings/SettingsKeys.h"
#include "TestSupport.h"

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
    EXPECT_EQ(support::MessageOf<EVariantTypeCastError>([&] { Settings.Save(); }),
              "Could not convert variant of type (Null) into type (Integer)");
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
    EXPECT_EQ(support::MessageOf<EIniFileException>([&] { Settings.Save(); }),
              "Unable to write to " + missing);
    EXPECT_FALSE(FileExists(Dir.File("gone")));
}

namespace {

// The smallest size a file had while it was watched from another thread (0 while it was
// missing).
class TSizeWatch {
public:
    explicit TSizeWatch(std::string File)
        : FFile(std::move(File)), FThread([this] {
              while (!FStop) {
                  WIN32_FILE_ATTRIBUTE_DATA data{};
                  uint64_t size = 0;
                  if (GetFileAttributesExA(FFile.c_str(), GetFileExInfoStandard, &data))
                      size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
                  FSmallest = std::min<uint64_t>(FSmallest, size);
                  ++FLooks;
              }
          }) {
        while (FLooks == 0)
            std::this_thread::yield();
    }
    ~TSizeWatch() { Stop(); }
    TSizeWatch(const TSizeWatch&) = delete;
    TSizeWatch& operator=(const TSizeWatch&) = delete;
    uint64_t Stop() {
        FStop = true;
        if (FThread.joinable())
            FThread.join();
        return FSmallest;
    }

private:
    std::string FFile;
    std::atomic<bool> FStop{false};
    std::atomic<uint64_t> FSmallest{UINT64_MAX};
    std::atomic<int> FLooks{0};
    std::thread FThread;
};

// Starts a Unix command (chattr) through Wine. Wine gives no exit code for it: the caller waits
// for its effect.
void StartUnix(const std::string& Command) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = Command;
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

std::string UnixPath(const std::string& Path) {
    using TUnixName = char*(CDECL*)(const WCHAR*);
    const auto unixName = reinterpret_cast<TUnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(Path.begin(), Path.end());
    char* name = unixName ? unixName(wide.c_str()) : nullptr;
    const std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Makes a file immutable, or a folder refuse new entries, for root as well, while it lives.
// chattr needs root and a file system that keeps the attribute: where it is refused, Holds() is
// false and nothing changed.
class TImmutable {
public:
    TImmutable(std::string Path, bool Folder) : FPath(std::move(Path)), FFolder(Folder) {
        FHolds = Change('+');
    }
    ~TImmutable() {
        if (FHolds) {
            EXPECT_TRUE(Change('-')) << "chattr -i " << FPath;
        }
    }
    TImmutable(const TImmutable&) = delete;
    TImmutable& operator=(const TImmutable&) = delete;
    bool Holds() const { return FHolds; }

private:
    bool Refuses() const {
        if (FFolder) {
            // A probe left when the folder turned immutable between its making and removal
            // goes at the next look.
            const std::string probe = FPath + "\\probe";
            RemoveDirectoryA(probe.c_str());
            return !CreateDirectoryA(probe.c_str(), nullptr) || !RemoveDirectoryA(probe.c_str());
        }
        const HANDLE file = CreateFileA(FPath.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return true;
        CloseHandle(file);
        return false;
    }
    // Whether the change took within ten seconds.
    bool Change(char Sign) {
        StartUnix(std::string("/usr/bin/chattr ") + Sign + "i \"" + UnixPath(FPath) + "\"");
        const bool wanted = Sign == '+';
        for (int i = 0; i < 200 && Refuses() != wanted; ++i)
            Sleep(50);
        return Refuses() == wanted;
    }

    std::string FPath;
    bool FFolder;
    bool FHolds = false;
};

} // namespace

// A save reaches the disk whole: a reader meanwhile finds the old file or the new one, never a
// part, and a failed save leaves the old file. Where no copy can be made beside the file, the
// save writes the file itself as before.
TEST_F(IniStore, TheFileOnDiskIsAlwaysTheOldOrTheNewWholeFile) {
    // A large file of the user's own lines, which writing key by key would rewrite each time.
    std::string notes = "[Notes]\r\n";
    for (int i = 0; notes.size() < (1u << 20); ++i)
        notes += "Line" + std::to_string(i) + "=a line the user keeps in the settings file\r\n";
    WriteFileBytes(File, notes);
    LoadAll();
    Settings.Save();
    struct Case {
        const char* Name;
        const char* Immutable; // "file", "folder" or ""
        bool Fails;
    };
    const std::vector<Case> cases = {
        {"a save watched from another thread", "", false},
        {"the file cannot be changed", "file", true},
        {"the folder takes no new files", "folder", false},
    };
    int hour = 10;
    bool chattrRefused = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Immutable[0] != '\0' && chattrRefused)
            continue;
        const std::string before = ReadFileBytes(File);
        Settings.SetValue("Hour", ++hour);
        bool failed = false;
        uint64_t smallest = 0;
        {
            std::unique_ptr<TImmutable> locked;
            if (c.Immutable[0] != '\0') {
                locked = std::make_unique<TImmutable>(
                    c.Immutable == std::string("file") ? File : Dir.Path(),
                    c.Immutable == std::string("folder"));
                if (!locked->Holds()) {
                    chattrRefused = true;
                    continue;
                }
            }
            TSizeWatch watch(File);
            try {
                Settings.Save();
            } catch (const EIniFileException& e) {
                EXPECT_EQ(e.Message(), "Unable to write to " + File);
                failed = true;
            }
            smallest = watch.Stop();
        }
        EXPECT_EQ(failed, c.Fails);
        const std::string after = ReadFileBytes(File);
        if (c.Immutable[0] == '\0') {
            EXPECT_GE(smallest, before.size());
        }
        EXPECT_EQ(after.find(notes), 0u) << "the user's lines kept in their place";
        EXPECT_EQ(after.find("Hour=" + std::to_string(hour) + "\r\n") != std::string::npos,
                  !c.Fails);
        EXPECT_EQ(after.size(), before.size());
        EXPECT_EQ(scratch::FolderEntries(Dir.Path()), std::vector<std::string>{"settings.ini"})
            << "no copy left behind";
    }
    if (chattrRefused)
        GTEST_SKIP() << "the cases of an unwritable file or folder: chattr +i had no effect here "
                        "(it needs root and a file system that keeps the attribute)";
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

namespace {

std::string Utf16(const std::string& Ascii) {
    std::string wide;
    for (char c : Ascii) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// The file without the lines the store owns (its section's header and its keys' entries), lines
// ending with Break.
std::string ForeignLines(const std::string& Bytes, const std::string& Break,
                         const TProgramSettings& Keys) {
    std::string kept;
    for (size_t at = 0; at < Bytes.size();) {
        const size_t found = Bytes.find(Break, at);
        const size_t end = found == std::string::npos ? Bytes.size() : found + Break.size();
        const std::string line = Bytes.substr(at, end - at);
        at = end;
        std::string text;
        for (char c : line)
            if (c != '\0' && c != '\r' && c != '\n' && c != ' ')
                text += c;
        const size_t eq = text.find('=');
        if (text != "[Settings]" &&
            (eq == std::string::npos || Keys.IndexOf(text.substr(0, eq)) < 0))
            kept += line;
    }
    return kept;
}

std::string PlatformSetting(const std::string& File, const char* Key) {
    char buffer[256];
    const DWORD n =
        GetPrivateProfileStringA("Settings", Key, "<missing>", buffer, sizeof buffer, File.c_str());
    return std::string(buffer, n);
}

} // namespace

// A save changes the lines of the store's own keys and nothing else, whatever the file's shape;
// the platform's reader and the store read the keys back.
TEST_F(IniStore, EveryByteOutsideTheStoresKeysIsKept) {
    struct Shape {
        const char* Name;
        std::string Bytes; // empty with Missing: no file
        std::string Break; // the file's line end
        std::string Added; // what the save must add after the file's last line
        bool Missing;
    };
    const std::vector<Shape> shapes = {
        {"foreign sections, blanks, comments",
         "; top\r\n\r\n[Before]\r\nk = v\r\n\r\n[Settings]\r\n  Hour = 7 \r\n; note\r\n"
         "MyKey = x\r\n\r\n[After]\r\n  B=2\r\n\r\n",
         "\n", "", false},
        {"a NUL in a foreign line",
         std::string("[Other]\r\nK=a\0b\r\n[Settings]\r\nHour=7\r\n", 35), "\n", "", false},
        {"no final line break", "[Other]\r\nK=v", "\n", "\r\n", false},
        {"CR-only lines", "[Other]\rK = v\r\r[Settings]\rHour=7\r", "\r", "", false},
        {"LF-only lines", "[Settings]\nHour=7\n\n[Other]\nK = v\n", "\n", "", false},
        {"UTF-16 with a mark",
         "\xFF\xFE" + Utf16("[Other]\r\nK = v\r\n\r\n[Settings]\r\nHour=7\r\n"),
         std::string("\n\0", 2), "", false},
        {"UTF-8 with a mark", "\xEF\xBB\xBF[Settings]\r\nHour=7\r\n[Other]\r\nK = \xC3\xA9\r\n",
         "\n", "", false},
        {"UTF-16 without a mark", Utf16("[Other]\r\nK = v\r\n"), "\n", "\n", false},
        {"an empty file", "", "\n", "", false},
        {"no file", "", "\n", "", true},
    };
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.Name);
        DeleteFileA(File.c_str());
        if (!s.Missing)
            WriteFileBytes(File, s.Bytes);
        LoadAll();
        Settings.SetValue("Hour", 9);
        Settings.SetValue("Minute", 30);
        ASSERT_NO_THROW(Settings.Save());
        const std::string after = ReadFileBytes(File);
        EXPECT_EQ(ForeignLines(after, s.Break, Settings),
                  ForeignLines(s.Bytes + s.Added, s.Break, Settings));
        EXPECT_EQ(PlatformSetting(File, "Hour"), "9");
        EXPECT_EQ(PlatformSetting(File, "Minute"), "30");
        auto again = Reloaded();
        EXPECT_EQ(again->GetValue("Hour"), Variant(9));
        EXPECT_EQ(again->GetValue("Minute"), Variant(30));
    }
}

namespace {

// Refuses the Nth write, the flush or the replacement, or finds the disk full.
class TRefusingWrites : public TIniFileWrites {
public:
    int RefuseWrite = 0;
    bool RefuseFlush = false, DiskFull = false, RefuseReplace = false;
    int Writes = 0;

    bool Write(HANDLE File, const char* Data, DWORD Size) override {
        return ++Writes != RefuseWrite && TIniFileWrites::Write(File, Data, Size);
    }
    bool Flush(HANDLE File) override { return !RefuseFlush && TIniFileWrites::Flush(File); }
    bool FreeSpace(const std::string& Folder, uint64_t& Bytes) override {
        if (!TIniFileWrites::FreeSpace(Folder, Bytes))
            return false;
        if (DiskFull)
            Bytes = 1000;
        return true;
    }
    bool Replace(const std::string& Copy, const std::string& File) override {
        return !RefuseReplace && TIniFileWrites::Replace(Copy, File);
    }
};

void WriteHour(TIniFileUpdate& Update, int Hour) {
    Update.Ini().WriteInteger("Settings", "Hour", Hour);
    Update.Ini().WriteString("Settings", "Name", "a new key");
    Update.Commit();
}

} // namespace

// A save that fails at any step leaves the file exactly as it was, leaves no copy and says so.
TEST_F(IniStore, AFailedSaveLeavesTheFileAsItWas) {
    std::string text = "[Settings]\r\nHour=7\r\n\r\n[Notes]\r\n";
    for (int i = 0; text.size() < 200000; ++i)
        text += "Line" + std::to_string(i) + " = a line the user keeps\r\n";
    // The writes a whole save takes, counted on a twin of the file.
    const std::string twin = Dir.File("twin.ini");
    WriteFileBytes(twin, text);
    TRefusingWrites counted;
    {
        TIniFileUpdate update(twin, counted);
        WriteHour(update, 8);
    }
    DeleteFileA(twin.c_str());
    ASSERT_GT(counted.Writes, 2);
    const int last = counted.Writes;
    struct Case {
        const char* Name;
        bool InPlace; // the folder takes no new file
        int RefuseWrite;
        bool RefuseFlush, DiskFull, RefuseReplace;
    };
    const std::vector<Case> cases = {
        {"first write refused", false, 1, false, false, false},
        {"last write refused", false, last, false, false, false},
        {"flush refused", false, 0, true, false, false},
        {"replacement refused", false, 0, false, false, true},
        {"in place, disk full", true, 0, false, true, false},
        {"in place, first write refused", true, 1, false, false, false},
        {"in place, last write refused", true, last, false, false, false},
        {"in place, flush refused", true, 0, true, false, false},
    };
    bool chattrRefused = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.InPlace && chattrRefused)
            continue;
        WriteFileBytes(File, text);
        TRefusingWrites writes;
        writes.RefuseWrite = c.RefuseWrite;
        writes.RefuseFlush = c.RefuseFlush;
        writes.DiskFull = c.DiskFull;
        writes.RefuseReplace = c.RefuseReplace;
        {
            std::unique_ptr<TImmutable> folder;
            if (c.InPlace) {
                folder = std::make_unique<TImmutable>(Dir.Path(), true);
                if (!folder->Holds()) {
                    chattrRefused = true;
                    continue;
                }
            }
            TIniFileUpdate update(File, writes);
            try {
                WriteHour(update, 9);
                ADD_FAILURE() << "no exception";
            } catch (const EIniFileException& e) {
                EXPECT_EQ(e.Message(), "Unable to write to " + File);
            }
        }
        EXPECT_TRUE(ReadFileBytes(File) == text) << "the file changed";
        EXPECT_EQ(PlatformSetting(File, "Hour"), "7");
        EXPECT_EQ(scratch::FolderEntries(Dir.Path()), std::vector<std::string>{"settings.ini"});
    }
    if (chattrRefused)
        GTEST_SKIP() << "the cases of a folder that takes no new file: chattr +i had no effect "
                        "here (it needs root and a file system that keeps the attribute)";
}

// A copy left by a save that was cut off goes at the next start and at the next save.
TEST_F(IniStore, ACopyLeftBehindIsRemoved) {
    WriteFileBytes(File, "[Settings]\r\nHour=7\r\n");
    const std::string copy = File + ".saving";
    WriteFileBytes(copy, "[Settings]\r\nHour=1\r\n");
    LoadAll();
    EXPECT_EQ(scratch::FolderEntries(Dir.Path()), std::vector<std::string>{"settings.ini"});
    WriteFileBytes(copy, "[Settings]\r\nHour=1\r\n");
    Settings.SetValue("Hour", 9);
    Settings.Save();
    EXPECT_EQ(scratch::FolderEntries(Dir.Path()), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(Reloaded()->GetValue("Hour"), Variant(9));
}

// The save changes the file the name leads to and keeps the name's own kind: a link stays a
// link, a file keeps its attributes.
TEST_F(IniStore, ALinkStaysALinkAndAttributesStay) {
    const std::string target = Dir.File("real.ini");
    WriteFileBytes(target, "[Settings]\r\nHour=7\r\n");
    StartUnix("/bin/ln -s real.ini \"" + UnixPath(Dir.Path()) + "/settings.ini\"");
    for (int i = 0; i < 200 && !FileExists(File); ++i)
        Sleep(50);
    ASSERT_TRUE(FileExists(File)) << "no link made";
    LoadAll();
    EXPECT_EQ(Settings.GetValue("Hour"), Variant(7));
    Settings.SetValue("Hour", 9);
    Settings.Save();
    EXPECT_EQ(TIniFile(target).ReadInteger("Settings", "Hour", 0), 9);
    // Still a link: the target's next change shows through it.
    WriteFileBytes(target, "[Settings]\r\nHour=3\r\n");
    EXPECT_EQ(ReadFileBytes(File), "[Settings]\r\nHour=3\r\n");
    EXPECT_EQ(scratch::FolderEntries(Dir.Path()),
              (std::vector<std::string>{"real.ini", "settings.ini"}));

    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_SYSTEM));
    Settings.SetValue("Hour", 10);
    Settings.Save();
    EXPECT_EQ(TIniFile(target).ReadInteger("Settings", "Hour", 0), 10);
    EXPECT_NE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_SYSTEM, 0u);
}

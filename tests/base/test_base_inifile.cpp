// The INI file over the real private-profile functions.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/Convert.h"
#include "base/DateTime.h"
#include "base/IniFile.h"
#include "base/ScratchPlaces.h"
#include "TestSupport.h"

using scratch::FileExists;
using scratch::ReadFileBytes;
using scratch::WriteFileBytes;

namespace {

std::string ReadBack(const std::string& file, const std::string& value) {
    {
        TIniFile ini(file);
        ini.WriteString("S", "K", value);
    }
    TIniFile ini(file);
    return ini.ReadString("S", "K", "<missing>");
}

// The entry as the platform reads it, with the given fallback.
std::string PlatformRead(const std::string& file, const char* section, const char* key,
                         const char* fallback) {
    char buffer[8192];
    const DWORD n =
        GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file.c_str());
    return std::string(buffer, n);
}

} // namespace

TEST(IniFile, ConstructionAndReadsDoNotTouchTheFile) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    {
        TIniFile ini(file);
        EXPECT_EQ(ini.FileName(), file);
        EXPECT_EQ(ini.ReadString("S", "K", "fb"), "fb");
        EXPECT_EQ(ini.ReadInteger("S", "K", 5), 5);
        EXPECT_FALSE(ini.ValueExists("S", "K"));
    }
    EXPECT_FALSE(FileExists(file));
}

TEST(IniFile, FallbackIsReturnedUntouched) {
    scratch::TTempFolder dir;
    TIniFile ini(dir.File("a.ini"));
    // The platform cuts trailing blanks off its fallback; ours comes back whole.
    EXPECT_EQ(ini.ReadString("S", "K", "  padded  "), "  padded  ");
    EXPECT_EQ(ini.ReadString("S", "K", "\x01"), "\x01");
}

TEST(IniFile, PresentEntriesAreTold) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    WriteFileBytes(file, "[S]\r\nEmpty=\r\nOne=\x01\r\nTwo=\x02\r\n[T]\r\n");
    TIniFile ini(file);
    EXPECT_TRUE(ini.ValueExists("S", "Empty"));
    EXPECT_TRUE(ini.ValueExists("s", "EMPTY"));
    EXPECT_TRUE(ini.ValueExists("S", "One"));
    EXPECT_TRUE(ini.ValueExists("S", "Two"));
    EXPECT_FALSE(ini.ValueExists("S", "Three"));
    EXPECT_FALSE(ini.ValueExists("T", "Empty"));
    EXPECT_EQ(ini.ReadString("S", "Empty", "fb"), "");
    EXPECT_EQ(ini.ReadString("S", "One", "fb"), "\x01");
    EXPECT_EQ(ini.ReadString("S", "Two", "fb"), "\x02");
}

TEST(IniFile, KeysTheSectionLacksAreToldAsTheyAreWritten) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    WriteFileBytes(file, "[S]\r\nA=1\r\n");
    TIniFile ini(file);
    EXPECT_FALSE(ini.ValueExists("S", "B"));
    EXPECT_EQ(ini.ReadInteger("S", "B", 7), 7);
    EXPECT_EQ(ini.ReadString("T", "A", "fb"), "fb");
    // A write through the object is seen by the next read of the same object.
    ini.WriteInteger("S", "B", 2);
    ini.WriteString("T", "A", "new");
    EXPECT_TRUE(ini.ValueExists("S", "B"));
    EXPECT_EQ(ini.ReadInteger("S", "B", 7), 2);
    EXPECT_EQ(ini.ReadString("T", "A", "fb"), "new");
    EXPECT_EQ(ini.ReadInteger("S", "A", 7), 1);
}

TEST(IniFile, KeysAreMatchedAsThePlatformMatchesThem) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    std::string text = "[S]\r\n  Padded  =p\r\nNoValue\r\n;Comment=c\r\nMixedCase=m\r\n";
    // More keys than one read of the key list holds.
    for (int i = 0; i < 600; ++i)
        text += "Filler" + IntToStr(i) + "=x\r\n";
    text += "Last=l\r\n";
    WriteFileBytes(file, text);
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("S", "Padded", "fb"), "p");
    EXPECT_EQ(ini.ReadString("S", " Padded ", "fb"), "p");
    EXPECT_EQ(ini.ReadString("s", "mixedcase", "fb"), "m");
    EXPECT_TRUE(ini.ValueExists("S", "MIXEDCASE"));
    EXPECT_EQ(ini.ReadString("S", "Last", "fb"), "l");
    EXPECT_EQ(ini.ReadString("S", "", "fb"), "fb");
    // Lines the key list leaves out read as the platform reads them.
    for (const char* key : {"NoValue", ";Comment", ";comment"}) {
        EXPECT_EQ(ini.ReadString("S", key, "fb"), PlatformRead(file, "S", key, "fb")) << key;
        EXPECT_EQ(ini.ValueExists("S", key),
                  PlatformRead(file, "S", key, "\x01") == PlatformRead(file, "S", key, "\x02"))
            << key;
    }
}

// The file is read once and each section found in one pass, by the platform's reading rules.
TEST(IniFile, EntriesAreFoundAsThePlatformFindsThem) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    WriteFileBytes(file, "Loose=before any section\r\n[Other]\r\nOnlyThere=o\r\nKey=other\r\n"
                         "[ T ]\r\nKey=padded name\r\n[s]\r\nDup=first\r\nDUP=second\r\n"
                         "Long=" +
                             std::string(2048, 'l') +
                             "\r\nQuoted=  \"q\"  \r\n"
                             "Single='s'\r\nHalf=\"h\r\nBare\r\nBare=late\r\n\tTabbed\t=\tt\t\r\n"
                             "Nul=a" +
                             std::string(1, '\0') +
                             "b\r\n[Empty]\r\n[S]\r\nKey=second section\r\n"
                             "Late=l\r\n[Last]\rCr=only\r");
    const TIniFile ini(file);
    const std::pair<const char*, const char*> entries[] = {
        {"S", "OnlyThere"}, {"S", "Key"},    {"Other", "Key"}, {"S", "dup"},   {"S", "LONG"},
        {"S", "Quoted"},    {"S", "Single"}, {"S", "Half"},    {"S", "Bare"},  {"S", "Tabbed"},
        {"S", "Nul"},       {"S", "Late"},   {"Empty", "Key"}, {"", "Loose"},  {"Last", "Cr"},
        {"Missing", "Key"}, {"s", " dup "},  {" S ", "Key"},   {"[S]", "Key"}, {"T", "key"},
    };
    for (const auto& [section, key] : entries) {
        EXPECT_EQ(ini.ReadString(section, key, "fb"), PlatformRead(file, section, key, "fb"))
            << section << "/" << key;
        EXPECT_EQ(ini.ValueExists(section, key), PlatformRead(file, section, key, "\x01") ==
                                                     PlatformRead(file, section, key, "\x02"))
            << section << "/" << key;
    }
    // One read: a change made to the file afterwards reaches the next object only.
    WriteFileBytes(file, "[S]\r\nDup=changed\r\n");
    EXPECT_EQ(ini.ReadString("S", "Dup", "fb"), "first");
    EXPECT_EQ(TIniFile(file).ReadString("S", "Dup", "fb"), "changed");
}

TEST(IniFile, WritesFlushOnRelease) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    {
        TIniFile ini(file);
        ini.WriteString("Settings", "Name", "value");
        ini.WriteInteger("Settings", "Hour", -22);
        ini.WriteBool("Settings", "On", true);
        ini.WriteBool("Settings", "Off", false);
    }
    EXPECT_EQ(ReadFileBytes(file), "[Settings]\r\nName=value\r\nHour=-22\r\nOn=1\r\nOff=0\r\n");
}

TEST(IniFile, TypedReadsFallBackOnTextThatDoesNotConvert) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    WriteFileBytes(file, "[S]\r\nHex=0x16\r\nDollar=$16\r\nBlank=\" 22\"\r\nLetter=22a\r\n"
                         "Empty=\r\nBig=2147483648\r\nLongHex=0x100000000\r\nTwo=2\r\n"
                         "Minus=-1\r\nZero=0\r\nWord=true\r\nFloat=abc\r\nDate=99/99/99\r\n"
                         "Time=25:61:00\r\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 22);
    EXPECT_EQ(ini.ReadInteger("S", "Dollar", 0), 22);
    EXPECT_EQ(ini.ReadInteger("S", "Blank", 0), 22);
    EXPECT_EQ(ini.ReadInteger("S", "Letter", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Empty", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "Big", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "LongHex", 7), 7);
    EXPECT_TRUE(ini.ReadBool("S", "Two", false));
    EXPECT_TRUE(ini.ReadBool("S", "Minus", false));
    EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "Word", true));
    EXPECT_FALSE(ini.ReadBool("S", "Word", false));
    EXPECT_EQ(ini.ReadFloat("S", "Float", 1.25), 1.25);
    EXPECT_EQ(ini.ReadDate("S", "Date", 3.0), 3.0);
    EXPECT_EQ(ini.ReadTime("S", "Time", 0.25), 0.25);
    EXPECT_EQ(ini.ReadDateTime("S", "Missing", 4.5), 4.5);
}

TEST(IniFile, TypedValuesRoundTrip) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    TDateTime date = 0, time = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 2, 29, date));
    ASSERT_TRUE(TryEncodeTime(13, 14, 15, 0, time));
    {
        TIniFile ini(file);
        ini.WriteFloat("S", "F", 1.0 / 3.0);
        ini.WriteDate("S", "D", date + time);
        ini.WriteTime("S", "T", date + time);
        ini.WriteDateTime("S", "DT", date + time);
        ini.WriteDateTime("S", "Midnight", date);
    }
    TIniFile ini(file);
    EXPECT_EQ(FloatToStr(ini.ReadFloat("S", "F", 0)), "0.333333333333333");
    EXPECT_EQ(ini.ReadDate("S", "D", 0), date);
    EXPECT_NEAR(ini.ReadTime("S", "T", 0), time, 1e-9);
    EXPECT_NEAR(ini.ReadDateTime("S", "DT", 0), date + time, 1e-8);
    EXPECT_EQ(ini.ReadString("S", "Midnight", ""), DateToStr(date));
}

TEST(IniFile, BlanksAndQuotesSurviveTheReadingRules) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    const std::string values[] = {" lead",
                                  "trail ",
                                  "  both  ",
                                  " ",
                                  "\t",
                                  "\"quoted\"",
                                  "'single'",
                                  "\"",
                                  "'",
                                  "\"\"",
                                  "\" x \"",
                                  "\"open",
                                  "close\"",
                                  "\"a\" b \"c\"",
                                  "\xa0nbsp\xa0",
                                  "\x1a"
                                  "eof",
                                  "a = b",
                                  "[not a section]",
                                  ";not a comment",
                                  "plain"};
    for (const std::string& v : values) {
        EXPECT_EQ(ReadBack(file, v), v) << v;
    }
}

TEST(IniFile, QuotesAreAddedOnlyWhenNeeded) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    {
        TIniFile ini(file);
        ini.WriteString("S", "Plain", "a b");
        ini.WriteString("S", "Inner", "say \"hi\" now");
        ini.WriteString("S", "Lead", " x");
        ini.WriteString("S", "Enclosed", "\"x\"");
    }
    EXPECT_EQ(ReadFileBytes(file), "[S]\r\nPlain=a b\r\nInner=say \"hi\" now\r\nLead=\" x\"\r\n"
                                   "Enclosed=\"\"x\"\"\r\n");
}

TEST(IniFile, FilesWrittenWithoutQuotingReadAsBefore) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    WriteFileBytes(file, "[S]\r\nA=  padded  \r\nB=\"quoted\"\r\nC='single'\r\nD=\"\"\r\n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("S", "A", ""), "padded");
    EXPECT_EQ(ini.ReadString("S", "B", ""), "quoted");
    EXPECT_EQ(ini.ReadString("S", "C", ""), "single");
    EXPECT_EQ(ini.ReadString("S", "D", "fb"), "");
}

TEST(IniFile, LineBreaksAreRefusedAndInjectNothing) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    WriteFileBytes(file, "[S]\r\nK=old\r\n");
    const std::string before = ReadFileBytes(file);
    {
        TIniFile ini(file);
        EXPECT_THROW(ini.WriteString("S", "K", "x\r\n[Evil]\r\nHour=99"), EIniFileException);
        EXPECT_THROW(ini.WriteString("S", "K", "a\nb"), EIniFileException);
        EXPECT_THROW(ini.WriteString("S", "K", "a\rb"), EIniFileException);
        EXPECT_THROW(ini.WriteString("S", "K", std::string("a\0b", 3)), EIniFileException);
        EXPECT_THROW(ini.WriteString("S", "K\nX", "v"), EIniFileException);
        EXPECT_THROW(ini.WriteString("S", "Hour=5", "v"), EIniFileException);
        EXPECT_THROW(ini.WriteString("S]\r\n[T", "K", "v"), EIniFileException);
        EXPECT_EQ(ini.ReadString("S", "K", ""), "old");
    }
    EXPECT_EQ(ReadFileBytes(file), before);
}

TEST(IniFile, LongValuesAreReadWhole) {
    scratch::TTempFolder dir;
    const std::string file = dir.File("a.ini");
    for (size_t length : {2046u, 2047u, 2048u, 2049u, 5000u, 70000u}) {
        std::string v(length, 'x');
        v[0] = 'a';
        v[length - 1] = 'z';
        std::string back = ReadBack(file, v);
        EXPECT_TRUE(back == v) << length << " read as " << back.size();
        // With enclosing quotes a cut-off read would keep the opening one.
        std::string quoted = "\"" + v + "\"";
        back = ReadBack(file, quoted);
        EXPECT_TRUE(back == quoted)
            << length << " read as " << back.size() << " from " << back.substr(0, 3);
    }
}

TEST(IniFile, RefusedWritesRaise) {
    scratch::TTempFolder dir;
    const std::string missing = dir.File("no-such-folder\\a.ini");
    TIniFile ini(missing);
    EXPECT_EQ(support::MessageOf<EIniFileException>([&] { ini.WriteString("S", "K", "v"); }),
              "Unable to write to " + missing);
    EXPECT_FALSE(FileExists(dir.File("no-such-folder")));

    // A file held open without sharing by another party.
    const std::string locked = dir.File("locked.ini");
    WriteFileBytes(locked, "[S]\r\nK=old\r\n");
    HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    {
        TIniFile ini2(locked);
        EXPECT_THROW(ini2.WriteInteger("S", "K", 5), EIniFileException);
    }
    CloseHandle(hold);
    EXPECT_EQ(ReadFileBytes(locked), "[S]\r\nK=old\r\n");
}

// The version-resource reader against this program's own resource (the program's), two sample
// programs with odd resources, and files without one.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "system/OrbVersionInfo.h"
#include "TestSupport.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

void ExpectNothing(const TOrbVersionInfo& info) {
    for (int i = -1; i <= 11; ++i)
        EXPECT_EQ(info.GetItem(i), "") << i;
    for (int i = -1; i <= 4; ++i)
        EXPECT_EQ(info.GetVersionPart(i), 0) << i;
}

} // namespace

TEST(VersionInfo, NewReaderIsInactiveAndEmpty) {
    support::TBoxRecorder messages;
    TOrbVersionInfo info;
    EXPECT_FALSE(info.Active());
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(info.FileName(), path);
    ExpectNothing(info);
    EXPECT_TRUE(messages.empty());
}

TEST(VersionInfo, ReadsTheProgramsOwnResource) {
    support::TBoxRecorder messages;
    TOrbVersionInfo info;
    info.SetActive(true);
    ASSERT_TRUE(info.Active());
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(info.Translation(), "0C0904E4");
    char language[256] = {};
    VerLanguageNameA(0x0C09, language, sizeof(language));
    EXPECT_EQ(info.GetItem(0), language);
    EXPECT_NE(info.GetItem(0), "");

    EXPECT_EQ(info.GetItem(1), "Orb Software Workshop");
    EXPECT_EQ(info.GetItem(3), "1.0.1.5");
    EXPECT_EQ(info.GetItem(5), "Copyright (C) 2026 Orb Software Workshop");
    EXPECT_EQ(info.GetItem(7), "Sundown.exe");
    EXPECT_EQ(info.GetItem(8), "sundown");
    EXPECT_EQ(info.GetItem(9), "1.0.1.4");
    // Present but empty.
    for (int i : {2, 4, 6, 10})
        EXPECT_EQ(info.GetItem(i), "") << i;
    EXPECT_EQ(info.GetItem(11), "");
    EXPECT_EQ(info.GetItem(-1), "");

    EXPECT_EQ(info.GetVersionPart(0), 1);
    EXPECT_EQ(info.GetVersionPart(1), 0);
    EXPECT_EQ(info.GetVersionPart(2), 1);
    EXPECT_EQ(info.GetVersionPart(3), 5);
    EXPECT_EQ(info.GetVersionPart(4), 0);
    EXPECT_EQ(info.GetVersionPart(-1), 0);
}

TEST(VersionInfo, InactiveReaderKeepsDataButGivesNothing) {
    support::TBoxRecorder messages;
    TOrbVersionInfo info;
    info.SetActive(true);
    ASSERT_EQ(info.GetItem(3), "1.0.1.5");
    info.SetActive(false);
    EXPECT_FALSE(info.Active());
    EXPECT_EQ(info.GetItem(3), "");
    EXPECT_EQ(info.GetVersionPart(0), 0);
    info.SetActive(true);
    EXPECT_EQ(info.GetItem(3), "1.0.1.5");
    EXPECT_EQ(info.GetVersionPart(0), 1);
    // Activating again reads afresh and leaves the same answers.
    info.SetActive(true);
    EXPECT_EQ(info.GetItem(8), "sundown");
    EXPECT_EQ(info.GetVersionPart(3), 5);
    EXPECT_TRUE(messages.empty());
}

TEST(VersionInfo, FirstTranslationAndLongValues) {
    support::TBoxRecorder messages;
    TOrbVersionInfo info(support::ExeFolder() + "versioninfo_sample.exe");
    info.SetActive(true);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(info.Translation(), "040704E4");
    EXPECT_EQ(info.GetItem(8), "sample");
    EXPECT_EQ(info.GetItem(2), "");
    std::string expected;
    for (int i = 0; i < 254; ++i)
        expected += static_cast<char>('a' + i % 26);
    EXPECT_EQ(info.GetItem(10), expected); // 300 characters cut to 254
    EXPECT_EQ(info.GetVersionPart(0), 2);
    EXPECT_EQ(info.GetVersionPart(1), 3);
    EXPECT_EQ(info.GetVersionPart(2), 65535);
    EXPECT_EQ(info.GetVersionPart(3), 7);
}

TEST(VersionInfo, ShortTranslationTableNamesTheZeroBlock) {
    support::TBoxRecorder messages;
    TOrbVersionInfo info(support::ExeFolder() + "versioninfo_short.exe");
    info.SetActive(true);
    EXPECT_EQ(info.Translation(), "00000000");
    EXPECT_EQ(info.GetItem(8), "zero block");
    EXPECT_EQ(info.GetVersionPart(3), 4);
}

TEST(VersionInfo, FileWithoutVersionDataShowsTheErrorOnceAndStaysEmpty) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string plain = std::string(temp) + "sundown_versioninfo_plain.txt";
    std::ofstream(plain) << "no resource here\n";
    const std::string missing = std::string(temp) + "sundown_versioninfo_missing.exe";
    DeleteFileA(missing.c_str());

    for (const std::string& file :
         {plain, missing, support::ExeFolder() + "versioninfo_carrier.exe"}) {
        DWORD handle = 0;
        ASSERT_EQ(GetFileVersionInfoSizeA(file.c_str(), &handle), 0u) << file;
        const DWORD error = GetLastError();

        support::TBoxRecorder messages;
        TOrbVersionInfo info(file);
        info.SetActive(true);
        EXPECT_TRUE(info.Active());
        ASSERT_EQ(messages.size(), 1u) << file;
        EXPECT_EQ(messages[0].Text, "GetFileVersionInfoSize error #:" + std::to_string(error));
        EXPECT_EQ(messages[0].Caption, Application().Title());
        EXPECT_EQ(messages[0].Flags, static_cast<UINT>(MB_OK));
        EXPECT_NE(error, 0u);
        ExpectNothing(info);
    }
    DeleteFileA(plain.c_str());
}

// The program icon is the first icon group, so the shell shows it for the executable.
TEST(ProgramResources, MainIconIsTheFirstIconGroupInThreeSizes) {
    std::vector<ULONG_PTR> groups;
    EnumResourceNamesA(
        nullptr, RT_GROUP_ICON,
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) -> BOOL {
            reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(
                reinterpret_cast<ULONG_PTR>(name));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups[0], 1u); // MAINICON

    // The group's directory: reserved, type 1 (icon), then the count of images.
    HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const WORD*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory[1], 1);
    EXPECT_EQ(directory[2], 3);

    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

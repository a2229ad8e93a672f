// The start-with-Windows entry against the real machine-wide Run key of the Wine prefix. Each
// test uses a value named after a title of its own and puts back whatever it changed.
#include <gtest/gtest.h>

#include "gui/Application.h"
#include "base/Registry.h"
#include "settings/OrbProgramSettings.h"
#include "system/SystemInfoTestSupport.h"
#include "TestSupport.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using sysinfo_test::TitleGuard;

const char* const RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RegValue {
    std::string Name;
    DWORD Type = 0;
    std::vector<BYTE> Data;
};

// Every value of the Run key, in order.
std::vector<RegValue> RunValues() {
    std::vector<RegValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof(name);
        BYTE data[8192];
        DWORD dataLength = sizeof(data);
        RegValue value;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &value.Type, data, &dataLength) !=
            ERROR_SUCCESS)
            break;
        value.Name.assign(name, nameLength);
        value.Data.assign(data, data + dataLength);
        values.push_back(std::move(value));
    }
    RegCloseKey(key);
    return values;
}

bool RunKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The value named Name: its type and its text; type 0 when absent.
std::pair<DWORD, std::string> RunValue(const std::string& Name) {
    for (const RegValue& value : RunValues())
        if (_stricmp(value.Name.c_str(), Name.c_str()) == 0)
            return {value.Type, std::string(value.Data.begin(), value.Data.end())};
    return {0, std::string()};
}

void WriteRunValue(const std::string& Name, DWORD Type, const void* Data, DWORD Size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size);
    RegCloseKey(key);
}

void DeleteRunValue(const std::string& Name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, Name.c_str());
    RegCloseKey(key);
}

// The Run key as it was before the test (all its values), put back afterwards.
class RunKeyGuard {
public:
    RunKeyGuard() : FExisted(RunKeyExists()), FValues(RunValues()) {}
    ~RunKeyGuard() {
        if (!FExisted) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, RunKey);
            return;
        }
        for (const RegValue& value : RunValues())
            DeleteRunValue(value.Name);
        for (const RegValue& value : FValues)
            WriteRunValue(value.Name, value.Type, value.Data.data(),
                          static_cast<DWORD>(value.Data.size()));
    }
    const std::vector<RegValue>& Values() const { return FValues; }

private:
    bool FExisted;
    std::vector<RegValue> FValues;
};

std::string UniqueTitle() {
    return "SundownAutoRunTest" + std::to_string(GetCurrentProcessId());
}

std::string ExpectedCommand() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    char shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(exe, shortPath, MAX_PATH);
    EXPECT_GT(n, 0u);
    return shortPath;
}

// Counts the registry opens and what they asked for, then opens for real.
struct OpenRecord {
    int Count = 0;
    HKEY Root = nullptr;
    std::string Path;
    bool CanCreate = false;
    REGSAM Access = 0;
};

OpenRecord& Opens() {
    static OpenRecord record;
    return record;
}

LONG RecordingOpen(HKEY Root, const char* Path, bool CanCreate, REGSAM Access, HKEY* Result) {
    OpenRecord& r = Opens();
    ++r.Count;
    r.Root = Root;
    r.Path = Path;
    r.CanCreate = CanCreate;
    r.Access = Access;
    return CanCreate ? RegCreateKeyExA(Root, Path, 0, nullptr, REG_OPTION_NON_VOLATILE, Access,
                                       nullptr, Result, nullptr)
                     : RegOpenKeyExA(Root, Path, 0, Access, Result);
}

class OpenSeam {
public:
    explicit OpenSeam(TRegistry::TOpenKeyFunc func) : FPrevious(TRegistry::SetOpenKeyFunc(func)) {
        Opens() = OpenRecord();
    }
    ~OpenSeam() { TRegistry::SetOpenKeyFunc(FPrevious); }

private:
    TRegistry::TOpenKeyFunc FPrevious;
};

} // namespace

TEST(AutoRun, EnableWritesTheShortPathAndABlank) {
    RunKeyGuard guard;
    TitleGuard title(UniqueTitle());
    TProgramSettings settings;
    EXPECT_FALSE(settings.IsAutoRun());
    {
        OpenSeam seam(RecordingOpen);
        settings.SetAutoRun("", true);
        EXPECT_EQ(Opens().Count, 1);
        EXPECT_EQ(Opens().Root, HKEY_LOCAL_MACHINE);
        EXPECT_EQ(Opens().Path, RunKey);
        EXPECT_TRUE(Opens().CanCreate);
        EXPECT_EQ(Opens().Access, static_cast<REGSAM>(KEY_ALL_ACCESS));
    }
    const auto [type, data] = RunValue(UniqueTitle());
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, ExpectedCommand() + " " + std::string(1, '\0'));
    EXPECT_EQ(data.find('"'), std::string::npos);
    EXPECT_TRUE(settings.IsAutoRun());
}

TEST(AutoRun, EnableTwiceLeavesOneValueWrittenAnew) {
    RunKeyGuard guard;
    TitleGuard title(UniqueTitle());
    TProgramSettings settings;
    settings.SetAutoRun("first", true);
    const size_t count = RunValues().size();
    // Parameters go in unchanged: no quoting, no trimming.
    settings.SetAutoRun("  -x \"a b\"  ", true);
    EXPECT_EQ(RunValues().size(), count);
    EXPECT_EQ(RunValue(UniqueTitle()).second,
              ExpectedCommand() + "   -x \"a b\"  " + std::string(1, '\0'));
}

TEST(AutoRun, DisableRemovesTheValueAndIsQuietWhenThereIsNone) {
    RunKeyGuard guard;
    TitleGuard title(UniqueTitle());
    TProgramSettings settings;
    settings.SetAutoRun("", true);
    ASSERT_TRUE(settings.IsAutoRun());
    settings.SetAutoRun("", false);
    EXPECT_FALSE(settings.IsAutoRun());
    EXPECT_EQ(RunValue(UniqueTitle()).first, 0u);

    const size_t count = RunValues().size();
    EXPECT_NO_THROW(settings.SetAutoRun("", false));
    EXPECT_EQ(RunValues().size(), count);
}

TEST(AutoRun, AnyValueOfTheNameCounts) {
    RunKeyGuard guard;
    TitleGuard title(UniqueTitle());
    TProgramSettings settings;
    // Another copy of the program, from another folder.
    const std::string other = "C:\\Other\\Sundown.exe ";
    WriteRunValue(UniqueTitle(), REG_SZ, other.c_str(), static_cast<DWORD>(other.size() + 1));
    EXPECT_TRUE(settings.IsAutoRun());
    const DWORD number = 1;
    WriteRunValue(UniqueTitle(), REG_DWORD, &number, sizeof(number));
    EXPECT_TRUE(settings.IsAutoRun());
    // Names match without regard to case, as the registry does.
    DeleteRunValue(UniqueTitle());
    WriteRunValue("SUNDOWNAUTORUNTEST" + std::to_string(GetCurrentProcessId()), REG_SZ, "", 1);
    EXPECT_TRUE(settings.IsAutoRun());
}

TEST(AutoRun, EmptyTitleTouchesNoRegistry) {
    RunKeyGuard guard;
    TitleGuard title("");
    TProgramSettings settings;
    OpenSeam seam(RecordingOpen);
    EXPECT_FALSE(settings.IsAutoRun());
    settings.SetAutoRun("x", true);
    settings.SetAutoRun("x", false);
    EXPECT_EQ(Opens().Count, 0);
    EXPECT_EQ(RunValues().size(), guard.Values().size());
    EXPECT_EQ(RunValue("").first, 0u);
}

TEST(AutoRun, KeyRefusingFullAccessReadsAsOffAndChangesNothing) {
    RunKeyGuard guard;
    TitleGuard title(UniqueTitle());
    TProgramSettings settings;
    WriteRunValue(UniqueTitle(), REG_SZ, "old", 4);
    // A user who may read the machine-wide key but not open it fully.
    OpenSeam seam(
        [](HKEY Root, const char* Path, bool CanCreate, REGSAM Access, HKEY* Result) -> LONG {
            if ((Access & KEY_ALL_ACCESS) == KEY_ALL_ACCESS)
                return ERROR_ACCESS_DENIED;
            return RecordingOpen(Root, Path, CanCreate, Access, Result);
        });
    EXPECT_FALSE(settings.IsAutoRun());
    settings.SetAutoRun("", true);
    EXPECT_EQ(RunValue(UniqueTitle()).second, std::string("old") + '\0');
    settings.SetAutoRun("", false);
    EXPECT_EQ(RunValue(UniqueTitle()).second, std::string("old") + '\0');
}

TEST(AutoRun, RefusedWriteRaises) {
    RunKeyGuard guard;
    TitleGuard title(UniqueTitle());
    TProgramSettings settings;
    // The key opens, but only for reading, so the write is refused.
    OpenSeam seam([](HKEY Root, const char* Path, bool, REGSAM, HKEY* Result) -> LONG {
        return RegOpenKeyExA(Root, Path, 0, KEY_READ, Result);
    });
    EXPECT_EQ(support::MessageOf<ERegistryException>([&] { settings.SetAutoRun("", true); }),
              "Failed to set data for '" + UniqueTitle() + "'");
    EXPECT_EQ(RunValue(UniqueTitle()).first, 0u);
}

TEST(AutoRun, MissingRunKeyIsCreatedEmpty) {
    RunKeyGuard guard;
    TitleGuard title(UniqueTitle());
    for (const RegValue& value : RunValues())
        DeleteRunValue(value.Name);
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, RunKey), ERROR_SUCCESS);
    ASSERT_FALSE(RunKeyExists());
    TProgramSettings settings;
    EXPECT_FALSE(settings.IsAutoRun());
    EXPECT_TRUE(RunKeyExists());
    EXPECT_TRUE(RunValues().empty());
}

namespace {

std::string TempFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

} // namespace

TEST(GetShortPath, GivesTheShortForm) {
    const std::string folder =
        TempFolder() + "Sundown Long Folder Name " + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string shortForm = GetShortPath(folder);
    RemoveDirectoryA(folder.c_str());
    EXPECT_NE(shortForm, "");
    EXPECT_EQ(shortForm.find(' '), std::string::npos);
    EXPECT_NE(shortForm.find('~'), std::string::npos);
    EXPECT_EQ(GetShortPath(TempFolder() + "no such file here.txt"), "");
}

TEST(GetShortPath, PathNearTheBufferSizeComesBackWhole) {
    // 8.3 names all the way down, so the short form is as long as the path itself.
    const std::string base = TempFolder() + "sd" + std::to_string(GetCurrentProcessId() % 100000);
    std::vector<std::string> made{base};
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    std::string path = base;
    while (path.size() + 9 <= MAX_PATH - 2) {
        path += "\\abcdefgh";
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path.size();
        made.push_back(path);
    }
    char expected[MAX_PATH * 2] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), expected, sizeof(expected));
    const std::string result = GetShortPath(path);
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        RemoveDirectoryA(it->c_str());
    EXPECT_GE(path.size(), 250u);
    EXPECT_EQ(result, std::string(expected, n));
    EXPECT_EQ(result.size(), path.size());
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The system lists over the real Wine registry, drives, printers and windows. Registry entries
// that a test adds are removed again; drive letters that it maps are unmapped.
#include <gtest/gtest.h>

#include "SystemInfoTestSupport.h"
#include "TestSupport.h"
#include "gui/Application.h"
#include "base/ListError.h"
#include "base/Registry.h"
#include "base/StringList.h"
#include "system/OrbSystemInfo.h"

#include <winspool.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace sysinfo_test;

namespace {

const char* const ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const ModemKey = "Enum\\Root\\Modem";
const char* const UninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::vector<std::string> Entries(const TStringList& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back(list[i]);
    return entries;
}

// Entries that start with Prefix, in list order.
std::vector<std::string> EntriesStarting(const TStringList& list, const std::string& prefix) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i) {
        if (list[i].rfind(prefix, 0) == 0)
            entries.push_back(list[i]);
    }
    return entries;
}

int CountOf(const TStringList& list, const std::string& entry) {
    int n = 0;
    for (int i = 0; i < list.Count(); ++i)
        n += list[i] == entry;
    return n;
}

// Counts its own destruction, to show who frees the objects of a list.
class Counted : public TObject {
public:
    explicit Counted(int& Freed) : FFreed(Freed) {}
    ~Counted() override { ++FFreed; }

private:
    int& FFreed;
};

// A registry key below Root made for one test, with values, deleted again with the guard of
// its topmost created key.
void SetString(HKEY root, const std::string& path, const std::string& name,
               const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << path;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

// Maps free drive letters to a folder while it lives.
class DriveMapper {
public:
    // Maps letters until Total drives exist; false when there are not enough free letters.
    bool MapUntil(int Total) {
        for (char letter = 'D'; letter <= 'Y' && Count() < Total; ++letter) {
            if (GetLogicalDrives() & (1u << (letter - 'A')))
                continue;
            const std::string name = std::string(1, letter) + ":";
            if (DefineDosDeviceA(0, name.c_str(), "C:\\windows"))
                FMapped.push_back(name);
        }
        return Count() == Total;
    }
    ~DriveMapper() {
        for (const std::string& name : FMapped)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION, name.c_str(), nullptr);
    }
    static int Count() {
        int n = 0;
        for (DWORD mask = GetLogicalDrives(); mask; mask >>= 1)
            n += mask & 1;
        return n;
    }
    // "A:\" and the like for every drive the system has, in letter order.
    static std::vector<std::string> Roots() {
        std::vector<std::string> roots;
        const DWORD mask = GetLogicalDrives();
        for (int i = 0; i < 26; ++i) {
            if (mask & (1u << i))
                roots.push_back(std::string(1, static_cast<char>('A' + i)) + ":\\");
        }
        return roots;
    }

private:
    std::vector<std::string> FMapped;
};

// A top-level window of the test.
class TestWindow {
public:
    TestWindow(const std::string& Title, bool Visible) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SundownSysInfoTestWindow";
        RegisterClassA(&wc);
        FHandle = CreateWindowExA(0, wc.lpszClassName, Title.c_str(), WS_POPUP, 10, 10, 50, 50,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        if (Visible)
            ShowWindow(FHandle, SW_SHOWNOACTIVATE);
    }
    ~TestWindow() { DestroyWindow(FHandle); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return FHandle; }

private:
    HWND FHandle = nullptr;
};

// Index of the entry whose TWindowInfo names h; -1 when none does.
int IndexOfWindow(const TStringList& list, HWND h) {
    for (int i = 0; i < list.Count(); ++i) {
        auto* info = dynamic_cast<TWindowInfo*>(list.Objects(i));
        if (info && info->Handle == h)
            return i;
    }
    return -1;
}

std::string Unique(const std::string& text) {
    return text + " " + std::to_string(GetCurrentProcessId());
}

} // namespace

// --- The string list.

TEST(StringList, KeepsEntriesInOrderWithDuplicates) {
    TStringList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
    EXPECT_EQ(list.Add("C:\\"), 0);
    EXPECT_EQ(list.Add(""), 1);
    EXPECT_EQ(list.Add("C:\\"), 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\", "", "C:\\"}));
    EXPECT_EQ(list.Text(), "C:\\\r\n\r\nC:\\\r\n");
    EXPECT_EQ(list.Objects(0), nullptr);
}

TEST(StringList, IndexOfIgnoresTheCaseOfAsciiLettersOnly) {
    TStringList list;
    list.Add("Alpha");
    list.Add("\xC4pfel"); // A-umlaut in the ANSI code page
    list.Add("alpha");
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("\xC4PFEL"), 1);
    EXPECT_EQ(list.IndexOf("\xE4pfel"), -1);
    EXPECT_EQ(list.IndexOf("Alph"), -1);
}

TEST(StringList, AnIndexOutsideTheEntriesRaises) {
    TStringList list;
    list.Add("one");
    for (int index : {-1, 1, 100}) {
        EXPECT_EQ(support::MessageOf<EListError>([&] { list.Strings(index); }),
                  "List index out of bounds (" + std::to_string(index) + ")");
        EXPECT_THROW(list.Objects(index), EListError);
    }
}

TEST(StringList, OwnsItsObjectsAndFreesThemOnce) {
    int freed = 0;
    {
        TStringList list;
        list.AddObject("a", std::make_unique<Counted>(freed));
        list.AddObject("b", std::make_unique<Counted>(freed));
        list.Add("c");
        TStringList moved = std::move(list);
        EXPECT_EQ(moved.Count(), 3);
        EXPECT_NE(moved.Objects(1), nullptr);
        EXPECT_EQ(freed, 0);
        moved.Clear();
        EXPECT_EQ(freed, 2);
        moved.AddObject("d", std::make_unique<Counted>(freed));
    }
    EXPECT_EQ(freed, 3);
}

// --- Shell folders.

TEST(ShellFolders, OneEntryPerValueAsNameEqualsValue) {
    KeyGuard key(HKEY_CURRENT_USER, ShellFoldersKey);
    ValueGuard fonts(HKEY_CURRENT_USER, ShellFoldersKey, Unique("Sundown Fonts"));
    ValueGuard empty(HKEY_CURRENT_USER, ShellFoldersKey, Unique("Sundown Empty"));
    fonts.SetString("C:\\WINDOWS\\Fonts");
    empty.SetString("");
    const TStringList list = GetShellFolders();
    EXPECT_EQ(CountOf(list, Unique("Sundown Fonts") + " = C:\\WINDOWS\\Fonts"), 1);
    EXPECT_EQ(CountOf(list, Unique("Sundown Empty") + " = "), 1);
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ShellFoldersKey, 0, KEY_READ, &h), ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(h);
    EXPECT_EQ(list.Count(), static_cast<int>(values));
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_NE(list[i].find(" = "), std::string::npos) << list[i];
}

TEST(ShellFolders, AKeyThatCannotBeOpenedGivesAnEmptyList) {
    for (LONG code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED}) {
        RefuseKey refuse("Explorer\\Shell Folders", code);
        EXPECT_EQ(GetShellFolders().Count(), 0);
        EXPECT_EQ(RefuseKey::Refused(), 1);
    }
}

// --- Printers.

TEST(Printers, TheListIsReadOnceAndKeptForTheProcess) {
    // A printer of our own, on the PostScript driver that comes with Wine.
    const std::string driver = Unique("Sundown Test Driver");
    const std::string name = Unique("Sundown Test Printer");
    const std::string wineps = GetSystemFolder() + "wineps.drv";
    DRIVER_INFO_3A di{};
    di.cVersion = 3;
    di.pName = const_cast<char*>(driver.c_str());
    di.pDriverPath = const_cast<char*>(wineps.c_str());
    di.pDataFile = const_cast<char*>(wineps.c_str());
    di.pConfigFile = const_cast<char*>(wineps.c_str());
    ASSERT_TRUE(AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_ALL_FILES));
    PRINTER_INFO_2A pi{};
    pi.pPrinterName = const_cast<char*>(name.c_str());
    pi.pPortName = const_cast<char*>("FILE:");
    pi.pDriverName = const_cast<char*>(driver.c_str());
    pi.pPrintProcessor = const_cast<char*>("WinPrint");
    pi.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
    ASSERT_NE(printer, nullptr);

    PumpProbe probe;
    probe.Post();
    const TStringList& first = GetPrinterList();
    EXPECT_EQ(probe.Handled(), 1);
    EXPECT_EQ(CountOf(first, name), 1);
    const int count = first.Count();

    DeletePrinter(printer);
    ClosePrinter(printer);
    DeletePrinterDriverExA(nullptr, nullptr, const_cast<char*>(driver.c_str()),
                           DPD_DELETE_ALL_FILES, 0);

    // Later calls give the same list, unchanged: the removed printer stays.
    const TStringList& second = GetPrinterList();
    EXPECT_EQ(&second, &first);
    EXPECT_EQ(second.Count(), count);
    EXPECT_EQ(CountOf(second, name), 1);
}

// --- Drives.

TEST(Drives, OneEntryPerDriveRootInLetterOrder) {
    PumpProbe probe;
    probe.Post();
    const TStringList list = GetDriveList();
    EXPECT_EQ(probe.Handled(), 1);
    EXPECT_EQ(Entries(list), DriveMapper::Roots());
    EXPECT_NE(list.IndexOf("C:\\"), -1);
}

TEST(Drives, TwentyDrivesFitAndMoreAreNotLost) {
    for (int total : {3, 20, 21, 24}) {
        DriveMapper mapper;
        ASSERT_TRUE(mapper.MapUntil(total)) << total;
        const TStringList list = GetDriveList();
        EXPECT_EQ(list.Count(), total);
        EXPECT_EQ(Entries(list), DriveMapper::Roots()) << total;
    }
}

// --- Modems.

TEST(Modems, OneEntryPerModemSubkeyItsDescriptionOrEmpty) {
    KeyGuard key(HKEY_LOCAL_MACHINE, ModemKey);
    ASSERT_TRUE(key.Created()) << "the prefix has modems of its own";
    SetString(HKEY_LOCAL_MACHINE, std::string(ModemKey) + "\\0000", "DeviceDesc",
              "Standard 56000 bps Modem");
    SetString(HKEY_LOCAL_MACHINE, std::string(ModemKey) + "\\0001", "FriendlyName", "Other");
    PumpProbe probe;
    probe.Post();
    EXPECT_EQ(Entries(GetModemList()), (std::vector<std::string>{"Standard 56000 bps Modem", ""}));
    EXPECT_EQ(probe.Handled(), 1);
    {
        // A modem whose key refuses full access is left out.
        RefuseKey refuse("Modem\\0000");
        EXPECT_EQ(Entries(GetModemList()), (std::vector<std::string>{""}));
    }
    {
        RefuseKey refuse("Enum\\Root\\Modem");
        EXPECT_EQ(GetModemList().Count(), 0);
    }
}

TEST(Modems, WithoutTheModemKeyTheListIsEmpty) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ModemKey, 0, KEY_READ, &h) == ERROR_SUCCESS) {
        RegCloseKey(h);
        GTEST_SKIP() << "the prefix has modems of its own";
    }
    EXPECT_EQ(GetModemList().Count(), 0);
}

// --- Windows.

TEST(Windows, TitledWindowsOfTheChosenVisibilityWithTheirHandles) {
    TestWindow visible(Unique("Sundown Visible"), true);
    TestWindow hidden(Unique("Sundown Hidden"), false);
    TestWindow untitledVisible("", true);
    TestWindow untitledHidden("", false);

    const TStringList shown = GetWindowList(false);
    const TStringList notShown = GetWindowList(true);

    const int v = IndexOfWindow(shown, visible.Handle());
    ASSERT_NE(v, -1);
    EXPECT_EQ(shown[v], Unique("Sundown Visible"));
    EXPECT_EQ(IndexOfWindow(shown, hidden.Handle()), -1);
    EXPECT_EQ(shown.IndexOf(Unique("Sundown Hidden")), -1);

    const int h = IndexOfWindow(notShown, hidden.Handle());
    ASSERT_NE(h, -1);
    EXPECT_EQ(notShown[h], Unique("Sundown Hidden"));
    EXPECT_EQ(IndexOfWindow(notShown, visible.Handle()), -1);

    for (const TStringList* list : {&shown, &notShown}) {
        EXPECT_EQ(IndexOfWindow(*list, untitledVisible.Handle()), -1);
        EXPECT_EQ(IndexOfWindow(*list, untitledHidden.Handle()), -1);
        for (int i = 0; i < list->Count(); ++i) {
            // Every entry is titled and carries its own window.
            auto* info = dynamic_cast<TWindowInfo*>(list->Objects(i));
            ASSERT_NE(info, nullptr) << (*list)[i];
            EXPECT_FALSE((*list)[i].empty());
            EXPECT_EQ(IsWindowVisible(info->Handle) == FALSE, list == &notShown) << (*list)[i];
        }
    }
}

TEST(Windows, EntriesStandInZOrderAndTitlesMayRepeat) {
    TestWindow a(Unique("Sundown Z"), true);
    TestWindow b(Unique("Sundown Z"), true);
    SetWindowPos(a.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    {
        const TStringList list = GetWindowList(false);
        EXPECT_EQ(CountOf(list, Unique("Sundown Z")), 2);
        EXPECT_LT(IndexOfWindow(list, a.Handle()), IndexOfWindow(list, b.Handle()));
    }
    SetWindowPos(b.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    {
        const TStringList list = GetWindowList(false);
        EXPECT_LT(IndexOfWindow(list, b.Handle()), IndexOfWindow(list, a.Handle()));
    }
}

TEST(Windows, TitlesAreCutAt254Characters) {
    const std::string title = Unique("Sundown Long") + std::string(300, 'x');
    TestWindow w(title, false);
    const TStringList list = GetWindowList(true);
    const int i = IndexOfWindow(list, w.Handle());
    ASSERT_NE(i, -1);
    EXPECT_EQ(list[i], title.substr(0, 254));
}

TEST(Windows, TheWalkDoesNotPump) {
    PumpProbe probe;
    probe.Post();
    GetWindowList(true);
    GetWindowList(false);
    EXPECT_EQ(probe.Handled(), 0);
    Application().ProcessMessages();
    EXPECT_EQ(probe.Handled(), 1);
}

// --- Installed software.

TEST(InstalledSoftware, ListsEntriesWithADisplayNameAndAnUninstallCommand) {
    KeyGuard uninstall(HKEY_LOCAL_MACHINE, UninstallKey);
    const std::string base = std::string(UninstallKey) + "\\" + Unique("SundownTest");
    const std::string app = Unique("Sundown App");
    // Subkeys enumerate in name order.
    SetString(HKEY_LOCAL_MACHINE, base + "1", "DisplayName", app);
    SetString(HKEY_LOCAL_MACHINE, base + "1", "UninstallString", "C:\\app\\uninstall.exe");
    SetString(HKEY_LOCAL_MACHINE, base + "2", "DisplayName", Unique("Sundown NoUninstall"));
    SetString(HKEY_LOCAL_MACHINE, base + "3", "displayname", Unique("Sundown Lower"));
    SetString(HKEY_LOCAL_MACHINE, base + "3", "UNINSTALLSTRING", "x");
    SetString(HKEY_LOCAL_MACHINE, base + "4", "DisplayName", app);
    SetString(HKEY_LOCAL_MACHINE, base + "4", "UninstallString", "y");
    SetString(HKEY_LOCAL_MACHINE, base + "5", "UninstallString", Unique("Sundown NoName"));
    SetString(HKEY_LOCAL_MACHINE, base + "6", "DisplayName", "");
    SetString(HKEY_LOCAL_MACHINE, base + "6", "UninstallString", "z");
    const std::vector<std::string> keys = {"1", "2", "3", "4", "5", "6"};

    PumpProbe probe;
    probe.Post();
    const TStringList list = GetInstalledSoftware();
    EXPECT_EQ(probe.Handled(), 1);
    EXPECT_EQ(EntriesStarting(list, "Sundown "),
              (std::vector<std::string>{app, Unique("Sundown Lower"), app}));
    const int empties = CountOf(list, "");

    for (const std::string& k : keys)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (base + k).c_str());
    const TStringList after = GetInstalledSoftware();
    EXPECT_EQ(EntriesStarting(after, "Sundown ").size(), 0u);
    EXPECT_EQ(CountOf(after, ""), empties - 1); // the empty display name gave an empty entry
}

TEST(InstalledSoftware, EntriesThatCannotBeOpenedAreSkipped) {
    KeyGuard uninstall(HKEY_LOCAL_MACHINE, UninstallKey);
    const std::string base = std::string(UninstallKey) + "\\" + Unique("SundownSkip");
    SetString(HKEY_LOCAL_MACHINE, base + "1", "DisplayName", Unique("Sundown Skip1"));
    SetString(HKEY_LOCAL_MACHINE, base + "1", "UninstallString", "x");
    SetString(HKEY_LOCAL_MACHINE, base + "2", "DisplayName", Unique("Sundown Skip2"));
    SetString(HKEY_LOCAL_MACHINE, base + "2", "UninstallString", "x");
    {
        RefuseKey refuse(Unique("SundownSkip") + "1");
        EXPECT_EQ(EntriesStarting(GetInstalledSoftware(), "Sundown "),
                  (std::vector<std::string>{Unique("Sundown Skip2")}));
    }
    {
        RefuseKey refuse("CurrentVersion\\Uninstall");
        EXPECT_EQ(GetInstalledSoftware().Count(), 0);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (base + "1").c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (base + "2").c_str());
}

TEST(InstalledSoftware, BothRegistryViewsAreListedThe64BitViewFirst) {
    struct View {
        REGSAM Flag;
        std::string Name;
    };
    const std::vector<View> views = {{KEY_WOW64_32KEY, Unique("Sundown Thirty-two")},
                                     {KEY_WOW64_64KEY, Unique("Sundown Sixty-four")}};
    const std::string key = std::string(UninstallKey) + "\\" + Unique("SundownView");
    for (const View& v : views) {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS | v.Flag, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(h, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(v.Name.c_str()),
                       static_cast<DWORD>(v.Name.size() + 1));
        RegSetValueExA(h, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        RegCloseKey(h);
    }
    EXPECT_EQ(EntriesStarting(GetInstalledSoftware(), "Sundown "),
              (std::vector<std::string>{views[1].Name, views[0].Name}));
    for (const View& v : views)
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), v.Flag, 0);
    EXPECT_EQ(EntriesStarting(GetInstalledSoftware(), "Sundown ").size(), 0u);
}

// --- Hostile registry data.

// A value that is not text costs only its own entry: the rest of the list stands.
TEST(HostileRegistry, AValueThatIsNotTextLeavesOutOnlyItsEntry) {
    struct Reader {
        const char* Name;
        HKEY Root;
        std::string Key;       // the reader's key
        std::string Bad, Good; // below Key: the entries of the wrong type and of text
        std::string Value;     // the value read; empty: named after the entry
        std::string Expected;  // the good entry as listed
        TStringList (*List)();
    };
    const std::string tag = Unique("SundownHostile");
    const std::vector<Reader> readers = {
        {"shell folders", HKEY_CURRENT_USER, ShellFoldersKey, "", "", "",
         "Sundown Hostile Good = Sundown Hostile Good", GetShellFolders},
        {"modems", HKEY_LOCAL_MACHINE, ModemKey, "\\0000", "\\0001", "DeviceDesc",
         "Sundown Hostile Good", GetModemList},
        {"installed software", HKEY_LOCAL_MACHINE, UninstallKey, "\\" + tag + "Bad",
         "\\" + tag + "Good", "DisplayName", "Sundown Hostile Good", GetInstalledSoftware},
    };
    const DWORD dword = 7;
    const struct Bad {
        DWORD Type;
        const void* Data;
        DWORD Size;
    } bads[] = {{REG_BINARY, "\x01\x02\x03", 3},
                {REG_DWORD, &dword, sizeof dword},
                {REG_MULTI_SZ, "a\0b\0", 5}};
    for (const Reader& r : readers) {
        for (const Bad& bad : bads) {
            SCOPED_TRACE(std::string(r.Name) + ", type " + std::to_string(bad.Type));
            KeyGuard key(r.Root, r.Key), badKey(r.Root, r.Key + r.Bad),
                goodKey(r.Root, r.Key + r.Good);
            const std::string badName = r.Value.empty() ? "Sundown Hostile Bad" : r.Value;
            const std::string goodName = r.Value.empty() ? "Sundown Hostile Good" : r.Value;
            ValueGuard badValue(r.Root, r.Key + r.Bad, badName);
            ValueGuard goodValue(r.Root, r.Key + r.Good, goodName);
            badValue.Set(bad.Type, bad.Data, bad.Size);
            goodValue.SetString("Sundown Hostile Good");
            if (!r.Value.empty()) {
                SetString(r.Root, r.Key + r.Bad, "UninstallString", "x");
                SetString(r.Root, r.Key + r.Good, "UninstallString", "x");
            }
            std::vector<std::string> ours;
            EXPECT_NO_THROW(ours = EntriesStarting(r.List(), "Sundown Hostile "));
            EXPECT_EQ(ours, (std::vector<std::string>{r.Expected}));
        }
    }
}

// A user who may only read HKLM (a standard user, or an administrator under UAC) still gets
// every fact: the readers ask for no more than read access.
TEST(HostileRegistry, ReadersNeedNoMoreThanReadAccess) {
    KeyGuard modems(HKEY_LOCAL_MACHINE, ModemKey);
    SetString(HKEY_LOCAL_MACHINE, std::string(ModemKey) + "\\0000", "DeviceDesc",
              "Sundown Hostile Modem");
    const std::string uninstall = std::string(UninstallKey) + "\\" + Unique("SundownReadOnly");
    SetString(HKEY_LOCAL_MACHINE, uninstall, "DisplayName", "Sundown Hostile App");
    SetString(HKEY_LOCAL_MACHINE, uninstall, "UninstallString", "x");
    ValueGuard ie(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", "Version");
    ie.SetString("8.0.7601");

    struct Case {
        const char* Name;
        std::function<std::string()> Read;
    };
    auto joined = [](const TStringList& l) { return l.Text(); };
    const std::vector<Case> cases = {
        {"processor", [] { return GetCPUVendor() + "|" + GetCPUIdentifier(); }},
        {"IE version", [] { return GetIEVersion(); }},
        {"shell folders", [&] { return joined(GetShellFolders()); }},
        {"modems", [&] { return joined(GetModemList()); }},
        {"installed software", [&] { return joined(GetInstalledSoftware()); }},
    };
    for (const Case& c : cases) {
        const std::string full = c.Read();
        EXPECT_NE(full, "") << c.Name;
        EXPECT_NE(full, "|") << c.Name;
        RefuseKey readOnly("", ERROR_ACCESS_DENIED, true);
        EXPECT_EQ(c.Read(), full) << c.Name;
        EXPECT_EQ(RefuseKey::Refused(), 0) << c.Name << " asked for more than read access";
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstall.c_str());
}

// --- The whole report, again and again.

namespace {

// The handles the process holds, from the system's handle list: GetProcessHandleCount is a stub
// under Wine that always says 0.
int OpenHandles() {
    struct TEntry {
        ULONG OwnerPid;
        BYTE ObjectType;
        BYTE Flags;
        USHORT Value;
        void* Object;
        ULONG Access;
    };
    using TQuery = LONG(WINAPI*)(ULONG Class, void* Buffer, ULONG Size, ULONG* Needed);
    const auto query = reinterpret_cast<TQuery>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG SystemHandleInformation = 16;
    constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<ULONG_PTR> buffer(1 << 16);
    ULONG needed = 0;
    LONG status = 0;
    while ((status = query(SystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), &needed)) ==
           InfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    EXPECT_EQ(status, 0);
    const ULONG count = static_cast<ULONG>(buffer[0]);
    const auto* entries = reinterpret_cast<const TEntry*>(buffer.data() + 1);
    return static_cast<int>(std::count_if(entries, entries + count, [](const TEntry& E) {
        return E.OwnerPid == GetCurrentProcessId();
    }));
}

// What the About window's report asks of the system, its slow processor clock left out.
void BuildReport() {
    GetOSName();
    GetUptime();
    GetDefaultLanguage();
    GetMemoryLoad();
    GetCPUVendor();
    GetCPUIdentifier();
    GetIEVersion();
    GetWindowsFolder();
    GetSystemFolder();
    GetTempFolder();
    HasNetwork();
    HasSoundCard();
    GetShellFolders();
    GetDriveList();
    GetPrinterList();
    GetModemList();
    GetWindowList(true);
    GetInstalledSoftware();
}

} // namespace

TEST(Report, BuildingItAgainAndAgainLeavesTheProcesssHandlesAsTheyWere) {
    BuildReport(); // what is made once for the process is made now
    const int before = OpenHandles();
    ASSERT_GT(before, 0);
    constexpr int Reports = 20;
    for (int i = 0; i < Reports; ++i)
        BuildReport();
    // Wine may open a handle or two of its own meanwhile (other programs run beside the test);
    // a report that leaves even one behind grows the count by the number of reports.
    EXPECT_LT(OpenHandles() - before, Reports);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    Application(); // as in the program: the library pumps the messages through it
    return RUN_ALL_TESTS();
}

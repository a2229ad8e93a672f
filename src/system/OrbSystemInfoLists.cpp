// The lists of unit OrbSystemInfo: shell folders, printers, drives, modems, windows and
// installed software.
#include "system/OrbSystemInfo.h"

#include <cstring>
#include <memory>
#include <vector>

#include "base/ApplicationHooks.h"
#include "base/Handles.h"
#include "base/Registry.h"

#include <winspool.h>

namespace {

const char* const ModemKey = "Enum\\Root\\Modem";
const char* const UninstallKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool SameTextAscii(const std::string& A, const char* B) {
    if (A.size() != strlen(B))
        return false;
    for (size_t i = 0; i < A.size(); ++i) {
        auto up = [](char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 32) : C; };
        if (up(A[i]) != up(B[i]))
            return false;
    }
    return true;
}

// The name among Names that matches Wanted without regard to case, or nullptr.
const std::string* FindName(const std::vector<std::string>& Names, const char* Wanted) {
    for (const std::string& name : Names) {
        if (SameTextAscii(name, Wanted))
            return &name;
    }
    return nullptr;
}

// The text value Name of the open key into Text; false when it is not text (or cannot be read),
// so that one bad entry written by another program costs only that entry, not the list.
bool ReadText(const TRegistry& Reg, const std::string& Name, std::string& Text) {
    try {
        Text = Reg.ReadString(Name);
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

// Adds the display names of the uninstall entries of one registry view (a KEY_WOW64_ flag).
void AddInstalledSoftware(REGSAM View, TStringList& Result) {
    TRegistry reg(KEY_READ | View);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    std::vector<std::string> subkeys;
    if (reg.OpenKeyReadOnly(UninstallKey))
        subkeys = reg.GetKeyNames();
    for (const std::string& subkey : subkeys) {
        ProcessApplicationMessages();
        if (!reg.OpenKeyReadOnly(std::string(UninstallKey) + "\\" + subkey))
            continue;
        const std::vector<std::string> values = reg.GetValueNames();
        const std::string* displayName = FindName(values, "DisplayName");
        if (displayName && FindName(values, "UninstallString")) {
            ProcessApplicationMessages();
            std::string text;
            if (ReadText(reg, *displayName, text))
                Result.Add(text);
        }
    }
}

// The names of the local and connected printers, from the spooler. Its library is loaded only
// here, so a program that never asks for the printers does not pay for it at start.
TStringList ReadPrinters() {
    TStringList printers;
    const ModuleHandle spooler(LoadLibraryA("winspool.drv"));
    if (!spooler)
        return printers;
    using EnumPrintersFn = BOOL(WINAPI*)(DWORD, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
    const auto enumPrinters = reinterpret_cast<EnumPrintersFn>(
        reinterpret_cast<void*>(GetProcAddress(spooler.get(), "EnumPrintersA")));
    if (!enumPrinters)
        return printers;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    DWORD count = 0;
    enumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &count);
    // A printer added between the two calls makes the second one ask for more.
    for (int attempt = 0; attempt < 4 && needed > 0; ++attempt) {
        std::vector<BYTE> buffer(needed);
        if (enumPrinters(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) {
            const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                if (info[i].pPrinterName)
                    printers.Add(info[i].pPrinterName);
            }
            break;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    return printers;
}

} // namespace

TStringList GetShellFolders() {
    ProcessApplicationMessages();
    TStringList result;
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKeyReadOnly(
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")) {
        std::string text;
        for (const std::string& name : reg.GetValueNames())
            if (ReadText(reg, name, text))
                result.Add(name + " = " + text);
    }
    return result;
}

const TStringList& GetPrinterList() {
    ProcessApplicationMessages();
    // Read on first use and kept for the process: printers installed later do not appear.
    static const TStringList printers = ReadPrinters();
    return printers;
}

TStringList GetDriveList() {
    ProcessApplicationMessages();
    TStringList result;
    // Room for 20 drive roots of four characters and the final NUL; with more drives the call
    // reports the size it needs and is asked again.
    std::vector<char> buffer(81, '\0');
    DWORD n = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    for (int attempt = 0; attempt < 4 && n >= buffer.size(); ++attempt) {
        buffer.assign(n + 1, '\0');
        n = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (n == 0 || n >= buffer.size())
        return result;
    std::string entry;
    for (DWORD i = 0; i <= n; ++i) {
        ProcessApplicationMessages();
        if (buffer[i] != '\0') {
            entry += buffer[i];
        } else {
            if (!entry.empty())
                result.Add(entry);
            entry.clear();
        }
    }
    ProcessApplicationMessages();
    return result;
}

TStringList GetModemList() {
    TStringList result;
    std::vector<std::string> names;
    ProcessApplicationMessages();
    try {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(ModemKey))
            names = reg.GetKeyNames();
    } catch (const std::exception&) {
        names.clear();
    }
    for (const std::string& name : names) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        std::string text;
        if (reg.OpenKeyReadOnly(std::string(ModemKey) + "\\" + name) &&
            ReadText(reg, "DeviceDesc", text))
            result.Add(text);
    }
    return result;
}

TStringList GetWindowList(bool Hidden) {
    struct TWalk {
        bool Hidden;
        TStringList List;
    } walk{Hidden, {}};
    // EnumWindows takes its own snapshot of the top-level windows in Z order: walking the Z
    // order by hand with GetWindow can loop for ever or meet destroyed windows while others
    // are made, moved or destroyed.
    EnumWindows(
        [](HWND H, LPARAM Param) -> BOOL {
            auto& walk = *reinterpret_cast<TWalk*>(Param);
            char title[256] = {};
            GetWindowTextA(H, title, 255);
            if (title[0] != '\0' && (IsWindowVisible(H) == FALSE) == walk.Hidden) {
                auto info = std::make_unique<TWindowInfo>();
                info->Handle = H;
                walk.List.AddObject(title, std::move(info));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return std::move(walk.List);
}

TStringList GetInstalledSoftware() {
    ProcessApplicationMessages();
    TStringList result;
    // A 64-bit program sees only 64-bit software in its own view; 32-bit applications register
    // in the 32-bit view.
    AddInstalledSoftware(KEY_WOW64_64KEY, result);
    AddInstalledSoftware(KEY_WOW64_32KEY, result);
    return result;
}

#pragma once
// Shared by the system tests: registry values and the application title put back afterwards, a
// registry key that refuses to open, and a window that notices whether a call handled its
// messages.
#include <windows.h>

#include <string>
#include <vector>

#include "gui/Application.h"
#include "base/Registry.h"

namespace sysinfo_test {

// Keeps a registry value as it was (or its absence) and puts it back when the guard goes.
class ValueGuard {
public:
    ValueGuard(HKEY Root, std::string Path, std::string Name)
        : FRoot(Root), FPath(std::move(Path)), FName(std::move(Name)) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(FRoot, FPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD size = 0;
            if (RegQueryValueExA(key, FName.c_str(), nullptr, &FType, nullptr, &size) ==
                ERROR_SUCCESS) {
                FData.resize(size);
                RegQueryValueExA(key, FName.c_str(), nullptr, &FType, FData.data(), &size);
                FExisted = true;
            }
            RegCloseKey(key);
        }
    }
    ~ValueGuard() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(FRoot, FPath.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return;
        if (FExisted)
            RegSetValueExA(key, FName.c_str(), 0, FType, FData.data(),
                           static_cast<DWORD>(FData.size()));
        else
            RegDeleteValueA(key, FName.c_str());
        RegCloseKey(key);
    }
    ValueGuard(const ValueGuard&) = delete;
    ValueGuard& operator=(const ValueGuard&) = delete;

    void Set(DWORD Type, const void* Data, DWORD Size) const {
        HKEY key = nullptr;
        RegCreateKeyExA(FRoot, FPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        RegSetValueExA(key, FName.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size);
        RegCloseKey(key);
    }
    void SetString(const std::string& Value) const {
        Set(REG_SZ, Value.c_str(), static_cast<DWORD>(Value.size() + 1));
    }
    void SetDword(DWORD Value) const { Set(REG_DWORD, &Value, sizeof Value); }
    // The value as it was when the guard came.
    bool Present() const { return FExisted; }
    std::string Text() const {
        return FExisted ? std::string(FData.begin(), FData.end()).c_str() : std::string();
    }
    void Delete() const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(FRoot, FPath.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, FName.c_str());
            RegCloseKey(key);
        }
    }

private:
    HKEY FRoot;
    std::string FPath;
    std::string FName;
    DWORD FType = 0;
    std::vector<BYTE> FData;
    bool FExisted = false;
};

// Keeps the application title and gives it back afterwards.
class TitleGuard {
public:
    explicit TitleGuard(const std::string& title) : FSaved(Application().Title()) {
        Application().SetTitle(title);
    }
    ~TitleGuard() { Application().SetTitle(FSaved); }
    TitleGuard(const TitleGuard&) = delete;
    TitleGuard& operator=(const TitleGuard&) = delete;

private:
    std::string FSaved;
};

// Creates a key path where it is missing and, when the guard goes, deletes the topmost key that
// it had to create, with everything below.
class KeyGuard {
public:
    KeyGuard(HKEY Root, const std::string& Path) : FRoot(Root) {
        std::string sofar;
        size_t start = 0;
        while (start <= Path.size()) {
            const size_t end = Path.find('\\', start);
            const std::string part =
                Path.substr(start, end == std::string::npos ? std::string::npos : end - start);
            sofar += (sofar.empty() ? "" : "\\") + part;
            HKEY key = nullptr;
            if (RegOpenKeyExA(FRoot, sofar.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
                RegCloseKey(key);
            } else if (FCreated.empty()) {
                FCreated = sofar;
            }
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        HKEY key = nullptr;
        RegCreateKeyExA(FRoot, Path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (key)
            RegCloseKey(key);
    }
    ~KeyGuard() {
        if (!FCreated.empty())
            RegDeleteTreeA(FRoot, FCreated.c_str());
    }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;
    bool Created() const { return !FCreated.empty(); }

private:
    HKEY FRoot;
    std::string FCreated;
};

// While it lives, opening a key whose path ends in Suffix (case-insensitive) fails as Code
// (ERROR_FILE_NOT_FOUND for a missing key, ERROR_ACCESS_DENIED for a refused one). With
// ReadGranted the key opens when no more than read access (in either registry view) is asked,
// as HKLM keys do for a standard user.
class RefuseKey {
public:
    RefuseKey(std::string Suffix, LONG Code = ERROR_ACCESS_DENIED, bool ReadGranted = false) {
        State().Suffix = std::move(Suffix);
        State().Code = Code;
        State().ReadGranted = ReadGranted;
        State().Refused = 0;
        FPrevious = TRegistry::SetOpenKeyFunc(&Open);
    }
    ~RefuseKey() { TRegistry::SetOpenKeyFunc(FPrevious); }
    RefuseKey(const RefuseKey&) = delete;
    RefuseKey& operator=(const RefuseKey&) = delete;
    static int Refused() { return State().Refused; }

private:
    struct TState {
        std::string Suffix;
        LONG Code = ERROR_ACCESS_DENIED;
        bool ReadGranted = false;
        int Refused = 0;
    };
    static TState& State() {
        static TState state;
        return state;
    }
    static LONG Open(HKEY Root, const char* Path, bool CanCreate, REGSAM Access, HKEY* Result) {
        const std::string path = Path;
        const std::string& suffix = State().Suffix;
        if (path.size() >= suffix.size() &&
            lstrcmpiA(path.c_str() + path.size() - suffix.size(), suffix.c_str()) == 0 &&
            !(State().ReadGranted && (Access & ~(KEY_READ | KEY_WOW64_RES)) == 0)) {
            ++State().Refused;
            return State().Code;
        }
        if (CanCreate)
            return RegCreateKeyExA(Root, Path, 0, nullptr, 0, Access, nullptr, Result, nullptr);
        return RegOpenKeyExA(Root, Path, 0, Access, Result);
    }
    TRegistry::TOpenKeyFunc FPrevious;
};

// A hidden window that counts the WM_APP messages it has handled. Post() puts one in the queue;
// after a call, Handled() tells whether the call processed the queue.
class PumpProbe {
public:
    PumpProbe() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SundownSysInfoPumpProbe";
        RegisterClassA(&wc);
        FWindow = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
        SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PumpProbe() {
        DestroyWindow(FWindow);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    PumpProbe(const PumpProbe&) = delete;
    PumpProbe& operator=(const PumpProbe&) = delete;

    void Post() {
        FHandled = 0;
        PostMessageA(FWindow, WM_APP, 0, 0);
    }
    int Handled() const { return FHandled; }
    HWND Window() const { return FWindow; }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_APP) {
            if (auto* self = reinterpret_cast<PumpProbe*>(GetWindowLongPtrA(h, GWLP_USERDATA)))
                ++self->FHandled;
            return 0;
        }
        return DefWindowProcA(h, msg, w, l);
    }
    HWND FWindow = nullptr;
    int FHandled = 0;
};

// A text file of the Linux host, read through Wine's Z: drive; empty when it cannot be read.
inline std::string ReadHostFile(const char* Path) {
    std::string text;
    HANDLE file =
        CreateFileA(Path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// The number after "Key" and a colon on the first line of Text that starts with Key; -1 when
// there is none.
inline double HostNumber(const std::string& Text, const std::string& Key) {
    size_t at = 0;
    while ((at = Text.find(Key, at)) != std::string::npos) {
        if (at == 0 || Text[at - 1] == '\n') {
            const size_t colon = Text.find(':', at);
            if (colon != std::string::npos)
                return atof(Text.c_str() + colon + 1);
        }
        ++at;
    }
    return -1;
}

inline std::string HostText(const std::string& Text, const std::string& Key) {
    size_t at = 0;
    while ((at = Text.find(Key, at)) != std::string::npos) {
        if (at == 0 || Text[at - 1] == '\n') {
            size_t colon = Text.find(':', at);
            const size_t end = Text.find('\n', at);
            if (colon != std::string::npos && colon < end) {
                std::string value = Text.substr(colon + 1, end - colon - 1);
                while (!value.empty() && value.front() == ' ')
                    value.erase(0, 1);
                return value;
            }
        }
        ++at;
    }
    return {};
}

} // namespace sysinfo_test

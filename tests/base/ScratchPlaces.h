#pragma once
// Throwaway places for tests that touch the real file system and registry: a temporary folder
// and a registry key under HKCU\Software\SundownTests, each unique and removed afterwards.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace scratch {

inline std::string UniqueName() {
    static std::atomic<int> counter{0};
    char name[96];
    snprintf(name, sizeof name, "%lu-%lu-%d", GetCurrentProcessId(), GetTickCount(), ++counter);
    return name;
}

inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// The names in a folder (not . and ..), sorted; the folder may end with a backslash.
inline std::vector<std::string> FolderEntries(const std::string& Folder) {
    std::vector<std::string> names;
    const bool slash = !Folder.empty() && Folder.back() == '\\';
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((Folder + (slash ? "*" : "\\*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh empty folder, removed with all it holds.
class TTempFolder {
public:
    TTempFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        FPath = std::string(temp) + "sundown-test-" + UniqueName();
        CreateDirectoryA(FPath.c_str(), nullptr);
    }
    ~TTempFolder() { RemoveTree(FPath); }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "\\" + name; }

private:
    std::string FPath;
};

// A fresh registry key path under HKCU\Software\SundownTests (created), deleted with its subkeys.
// With other roots (HKEY_USERS\.Default) the same path is cleaned as well.
class TTestKey {
public:
    TTestKey() : FPath("Software\\SundownTests\\" + UniqueName()) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, FPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
    }
    ~TTestKey() {
        RegDeleteTreeA(HKEY_CURRENT_USER, FPath.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SundownTests"); // only when empty
        const std::string users = ".Default\\" + FPath;
        RegDeleteTreeA(HKEY_USERS, users.c_str());
        RegDeleteKeyA(HKEY_USERS, ".Default\\Software\\SundownTests");
    }
    TTestKey(const TTestKey&) = delete;
    TTestKey& operator=(const TTestKey&) = delete;

    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        return bytes;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
        bytes.append(buffer, n);
    }
    fclose(f);
    return bytes;
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Deterministic pseudo-random numbers (xorshift64*), so a failing case can be replayed.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : FState(seed ? seed : 1) {}
    uint64_t Next() {
        FState ^= FState >> 12;
        FState ^= FState << 25;
        FState ^= FState >> 27;
        return FState * 2685821657736338717ULL;
    }
    // From lo to hi inclusive.
    int64_t Range(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
    }

private:
    uint64_t FState;
};

} // namespace scratch

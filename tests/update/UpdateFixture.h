#pragma once
// Shared by the update tests: a private temporary folder (TMP points at it while a test runs), a
// server on 127.0.0.1 and an event log of the component.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/ScratchPlaces.h"
#include "net/TestHttpServer.h"
#include "system/OrbCommon.h"
#include "update/OrbAutoUpdate.h"

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary);
    out << text;
}

inline bool FileThere(const std::string& name) {
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An update description with one entry.
inline std::string Describe(const std::string& section, const std::string& version,
                            const std::string& url, const std::string& params = "") {
    unsigned a = 0, b = 0, c = 0, d = 0;
    sscanf(version.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    return "[other]\r\nMajorVersion=99\r\n[" + section + "]\r\nMajorVersion=" + std::to_string(a) +
           "\r\nMinorVersion=" + std::to_string(b) + "\r\nReleaseVersion=" + std::to_string(c) +
           "\r\nBuild=" + std::to_string(d) + "\r\nURL=" + url + "\r\nParams=" + params + "\r\n";
}

class UpdateFixture : public testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        char original[MAX_PATH] = {};
        GetEnvironmentVariableA("TMP", original, MAX_PATH);
        FOriginalTmp = original;
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        Temp = std::string(base) + "sundown_update_" + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(++counter);
        CreateDirectoryA(Temp.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", Temp.c_str());
        SetEnvironmentVariableA("TEMP", Temp.c_str());
        Temp += "\\";
        Update = std::make_unique<TOrbAutoUpdate>();
        Hook(*Update);
    }
    void TearDown() override {
        Update.reset();
        for (const std::string& name : TempFiles())
            DeleteFileA((Temp + name).c_str());
        RemoveDirectoryA(Temp.c_str());
        SetEnvironmentVariableA("TMP", FOriginalTmp.empty() ? nullptr : FOriginalTmp.c_str());
        SetEnvironmentVariableA("TEMP", FOriginalTmp.empty() ? nullptr : FOriginalTmp.c_str());
    }

    // The server describes sundown 1.0.2.0, whose installer lies at /setup.exe.
    void OfferNewerVersion() {
        Server.Set("/autoupdate.ini",
                   TTestReply::Ok(Describe("sundown", "1.0.2.0", Server.Url("/setup.exe"))));
    }

    void Hook(TOrbAutoUpdate& u) {
        u.OnMessage = [this](TObject* s, std::string m) {
            EXPECT_EQ(s, Update.get());
            Log.push_back("message: " + m);
        };
        u.OnUpdateProgress = [this](TObject*, std::string m, int p, bool& cancel) {
            Log.push_back("progress: " + m + "|" + std::to_string(p));
            if (OnProgress)
                OnProgress(m, cancel);
        };
        u.OnUpdateAvailable = [this](TObject*, std::string app, std::string n, std::string o,
                                     bool& start) {
            Log.push_back("available: " + app + "|" + n + "|" + o + "|" +
                          (start ? "proposed" : "not proposed"));
            start = Answer;
        };
        u.OnUpdateNotRequired = [this](TObject*, std::string app, std::string v) {
            Log.push_back("notrequired: " + app + "|" + v);
        };
        u.OnUpdateBegin = [this](TObject*) { Log.push_back("begin"); };
        u.OnUpdateComplete = [this](TObject*) { Log.push_back("complete"); };
        u.OnUpdateFailed = [this](TObject*, std::string m) { Log.push_back("failed: " + m); };
    }

    std::vector<std::string> TempFiles() const { return scratch::FolderEntries(Temp); }

    int Find(const std::string& entry, int from = 0) const {
        for (size_t i = static_cast<size_t>(from); i < Log.size(); ++i)
            if (Log[i] == entry)
                return static_cast<int>(i);
        return -1;
    }
    bool Has(const std::string& entry) const { return Find(entry) >= 0; }
    int CountPrefix(const std::string& prefix) const {
        return static_cast<int>(std::count_if(Log.begin(), Log.end(), [&](const std::string& l) {
            return l.compare(0, prefix.size(), prefix) == 0;
        }));
    }
    std::string Dump() const {
        std::string s;
        for (const auto& l : Log)
            s += l + "\n";
        return s;
    }

    std::string Temp;
    TTestHttpServer Server;
    std::unique_ptr<TOrbAutoUpdate> Update;
    std::vector<std::string> Log;
    bool Answer = true;
    std::function<void(const std::string& message, bool& cancel)> OnProgress;

private:
    std::string FOriginalTmp;
};

// Ending the session: the token calls, their order and the flags, through the seam. The real
// ExitWindowsEx is never called here: it would end this Wine prefix's session.
#include <gtest/gtest.h>

#include "system/OrbSystemInfo.h"

#include <string>
#include <vector>

namespace {

const HANDLE FakeProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
const HANDLE FakeToken = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x4242));

// Records every call in order; each step can be told to fail.
struct Recorder {
    std::vector<std::string> Calls;
    DWORD Platform = VER_PLATFORM_WIN32_NT;
    BOOL OpenResult = TRUE;
    BOOL LookupResult = TRUE;
    BOOL AdjustResult = TRUE;
    BOOL ExitResult = TRUE;
    LUID Luid{0x13, 0};
    // What AdjustTokenPrivileges and ExitWindowsEx were given.
    TOKEN_PRIVILEGES Adjusted{};
    DWORD AdjustBufferLength = 0;
    bool PreviousGiven = false;
    bool ReturnLengthGiven = false;
    UINT ExitFlags = 0xFFFFFFFF;
    DWORD ExitReason = 0xFFFFFFFF;

    TSessionApi Api() {
        TSessionApi api;
        api.GetPlatformId = [this] {
            Calls.push_back("GetVersionEx");
            return Platform;
        };
        api.GetCurrentProcess = [this] {
            Calls.push_back("GetCurrentProcess");
            return FakeProcess;
        };
        api.OpenProcessToken = [this](HANDLE process, DWORD access, PHANDLE token) {
            Calls.push_back("OpenProcessToken " + std::to_string(access) +
                            (process == FakeProcess ? " self" : " other"));
            if (OpenResult)
                *token = FakeToken;
            return OpenResult;
        };
        api.LookupPrivilegeValueA = [this](LPCSTR system, LPCSTR name, PLUID luid) {
            Calls.push_back(std::string("LookupPrivilegeValue ") + (system ? system : "local") +
                            " " + name);
            if (LookupResult)
                *luid = Luid;
            return LookupResult;
        };
        api.AdjustTokenPrivileges = [this](HANDLE token, BOOL disableAll,
                                           PTOKEN_PRIVILEGES newState, DWORD length,
                                           PTOKEN_PRIVILEGES previous, PDWORD returned) {
            Calls.push_back(std::string("AdjustTokenPrivileges") +
                            (token == FakeToken ? " token" : " other") +
                            (disableAll ? " disable-all" : ""));
            Adjusted = *newState;
            AdjustBufferLength = length;
            PreviousGiven = previous != nullptr;
            ReturnLengthGiven = returned != nullptr;
            return AdjustResult;
        };
        api.CloseHandle = [this](HANDLE handle) {
            Calls.push_back(handle == FakeToken ? "CloseHandle token" : "CloseHandle other");
            return TRUE;
        };
        api.ExitWindowsEx = [this](UINT flags, DWORD reason) {
            Calls.push_back("ExitWindowsEx");
            ExitFlags = flags;
            ExitReason = reason;
            return ExitResult;
        };
        return api;
    }
};

const std::vector<std::string> AllCalls = {
    "GetVersionEx",
    "GetCurrentProcess",
    "OpenProcessToken 40 self", // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
    "LookupPrivilegeValue local SeShutdownPrivilege",
    "AdjustTokenPrivileges token",
    "CloseHandle token",
    "ExitWindowsEx"};

} // namespace

TEST(ExitWindows, NtEnablesTheShutdownPrivilegeBeforeLoggingOff) {
    Recorder r;
    EXPECT_TRUE(ExitWindows(EWX_LOGOFF, r.Api()));
    EXPECT_EQ(r.Calls, AllCalls);
    EXPECT_EQ(r.Adjusted.PrivilegeCount, 1u);
    EXPECT_EQ(r.Adjusted.Privileges[0].Luid.LowPart, 0x13u);
    EXPECT_EQ(r.Adjusted.Privileges[0].Attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
    EXPECT_EQ(r.AdjustBufferLength, 16u);
    EXPECT_TRUE(r.PreviousGiven);
    EXPECT_TRUE(r.ReturnLengthGiven);
    EXPECT_EQ(r.ExitFlags, 0u);
    EXPECT_EQ(r.ExitReason, 0u);
}

TEST(ExitWindows, FlagsPassUnchangedWithoutForce) {
    for (UINT flags : {0u, 2u, 9u}) {
        Recorder r;
        ExitWindows(flags, r.Api());
        EXPECT_EQ(r.Calls, AllCalls) << flags;
        EXPECT_EQ(r.ExitFlags, flags);
        EXPECT_EQ(r.ExitFlags & EWX_FORCE, 0u);
        EXPECT_EQ(r.ExitReason, 0u);
    }
}

TEST(ExitWindows, Windows95MakesNoTokenCall) {
    Recorder r;
    r.Platform = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_TRUE(ExitWindows(9, r.Api()));
    EXPECT_EQ(r.Calls, (std::vector<std::string>{"GetVersionEx", "ExitWindowsEx"}));
    EXPECT_EQ(r.ExitFlags, 9u);
}

TEST(ExitWindows, FailedOpenProcessTokenGoesStraightToExitWindowsEx) {
    Recorder r;
    r.OpenResult = FALSE;
    EXPECT_TRUE(ExitWindows(2, r.Api()));
    EXPECT_EQ(r.Calls, (std::vector<std::string>{"GetVersionEx", "GetCurrentProcess",
                                                 "OpenProcessToken 40 self", "ExitWindowsEx"}));
    EXPECT_EQ(r.ExitFlags, 2u);
}

TEST(ExitWindows, FailedLookupSkipsTheAdjustmentButClosesTheToken) {
    Recorder r;
    r.LookupResult = FALSE;
    EXPECT_TRUE(ExitWindows(0, r.Api()));
    EXPECT_EQ(r.Calls, (std::vector<std::string>{"GetVersionEx", "GetCurrentProcess",
                                                 "OpenProcessToken 40 self",
                                                 "LookupPrivilegeValue local SeShutdownPrivilege",
                                                 "CloseHandle token", "ExitWindowsEx"}));
}

TEST(ExitWindows, ResultMirrorsExitWindowsExOnly) {
    Recorder refused;
    refused.ExitResult = FALSE;
    EXPECT_FALSE(ExitWindows(9, refused.Api()));

    Recorder unprivileged;
    unprivileged.AdjustResult = FALSE;
    EXPECT_TRUE(ExitWindows(9, unprivileged.Api()));
    EXPECT_EQ(unprivileged.Calls, AllCalls);
}

namespace {

// The attributes of SeShutdownPrivilege in this process's token; 0 when it holds none.
DWORD ShutdownPrivilegeAttributes() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    LUID luid{};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid);
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<char> buffer(size);
    DWORD attributes = 0;
    if (size && GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i)
            if (privileges->Privileges[i].Luid.LowPart == luid.LowPart &&
                privileges->Privileges[i].Luid.HighPart == luid.HighPart)
                attributes = privileges->Privileges[i].Attributes | 0x80000000u; // present
    }
    CloseHandle(token);
    return attributes;
}

} // namespace

// The real token calls of this Wine prefix; only ExitWindowsEx is replaced.
TEST(ExitWindows, RealTokenCallsEnableThePrivilegeAndCloseTheToken) {
    TSessionApi api = RealSessionApi();
    EXPECT_EQ(api.GetPlatformId(), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));

    HANDLE opened = nullptr;
    HANDLE closed = nullptr;
    UINT exitFlags = 0xFFFFFFFF;
    auto realOpen = api.OpenProcessToken;
    auto realClose = api.CloseHandle;
    api.OpenProcessToken = [&](HANDLE process, DWORD access, PHANDLE token) {
        const BOOL ok = realOpen(process, access, token);
        opened = *token;
        return ok;
    };
    api.CloseHandle = [&](HANDLE handle) {
        closed = handle;
        return realClose(handle);
    };
    api.ExitWindowsEx = [&](UINT flags, DWORD) {
        exitFlags = flags;
        return FALSE;
    };

    const DWORD before = ShutdownPrivilegeAttributes();
    ASSERT_NE(before & 0x80000000u, 0u) << "the token holds no shutdown privilege";
    ASSERT_EQ(before & SE_PRIVILEGE_ENABLED, 0u) << "already enabled: nothing to show";
    EXPECT_FALSE(ExitWindows(EWX_LOGOFF, api));
    EXPECT_EQ(exitFlags, 0u);
    EXPECT_NE(opened, nullptr);
    EXPECT_EQ(closed, opened);
    EXPECT_NE(ShutdownPrivilegeAttributes() & SE_PRIVILEGE_ENABLED, 0u);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

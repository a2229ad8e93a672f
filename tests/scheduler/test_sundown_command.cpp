// The command helper with no Sundown running: what it says on its standard error and its exit
// code, for bad arguments and for commands that find nobody to drive.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestSupport.h"

namespace {

struct TRun {
    long Code = -1;
    std::string Output; // standard output and error together
};

// Runs sundown_command with args, its output into a pipe; gives up after several seconds.
TRun RunCommand(const std::string& args) {
    TRun run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = si.hStdError = writeEnd;
    std::string line = "\"" + support::ExeFolder() + "sundown_command.exe\" " + args;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started)
        run.Output = "CreateProcess failed: " + std::to_string(GetLastError());
    if (started) {
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            run.Output.append(buffer, got);
        DWORD code = 0;
        if (WaitForSingleObject(pi.hProcess, support::NoticeableMs) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(pi.hProcess, &code))
            run.Code = static_cast<long>(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(readEnd);
    return run;
}

} // namespace

TEST(SundownCommand, ExplainsBadArgumentsAndAMissingSundown) {
    ASSERT_EQ(FindWindowA("TfrmSundown", nullptr), nullptr) << "a Sundown runs in this prefix";
    const std::string usage = "usage: sundown_command <1|2|3|4> [post]";
    const std::string nobody = "No Sundown is running.";
    const struct {
        const char* Args;
        long Code;
        std::string Says;
    } cases[] = {
        {"", 2, usage},
        {"show", 2, usage},
        {"-1", 2, usage},
        {"0", 2, usage},
        {"9", 2, usage},
        {"5 post", 2, usage},
        {"4294967297", 2, usage},
        {"4 later", 2, usage},
        {"state", 2, usage},
        {"click TfrmSundown", 2, usage},
        {"endsession now", 2, usage},
        {"1", 1, nobody},
        {"4 post", 1, nobody},
        {"endsession", 1, nobody},
        {"state TfrmNoSuchWindow", 1, "No window of class TfrmNoSuchWindow."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("sundown_command ") + c.Args);
        const TRun run = RunCommand(c.Args);
        EXPECT_EQ(run.Code, c.Code);
        EXPECT_EQ(run.Output.rfind(c.Says, 0), 0u) << run.Output;
    }
}

// The update check against a server in this process: every ending, the events and their order,
// the version comparison, the description file, the download and the start of the installer.
// The running program's version is the program's own resource, 1.0.1.5 ("sundown").
#include "UpdateFixture.h"

#include "gui/Application.h"
#include "MessagePump.h"
#include "base/IniFile.h"
#include "base/SystemError.h"
#include "settings/ProgramKeys.h"
#include "TestSupport.h"

namespace {

const char* const Running = "1.0.1.5";

TEST(UpdateNames, ExtractURLFileName) {
    EXPECT_EQ(TOrbAutoUpdate::ExtractURLFileName("http://host/dir/autoupdate.ini"),
              "autoupdate.ini");
    EXPECT_EQ(TOrbAutoUpdate::ExtractURLFileName("autoupdate.ini"), "autoupdate.ini");
    EXPECT_EQ(TOrbAutoUpdate::ExtractURLFileName("http://host/dir/"), "");
    EXPECT_EQ(TOrbAutoUpdate::ExtractURLFileName("http://host/get?f=a.exe#x"), "get?f=a.exe#x");
}

// %XX escapes are decoded into the local name, which is then judged as any other: an escaped
// path, a "%" left over or a control character is refused.
TEST(UpdateNames, EscapesAreDecodedThenJudged) {
    const struct {
        const char* URL;
        std::string Local;
        bool Plain;
    } cases[] = {
        {"http://h/Setup%20v2.exe", "Setup v2.exe", true},
        {"http://h/app%20update.ini", "app update.ini", true},
        {"http://h/%41%62c.exe", "Abc.exe", true},
        {"http://h/%2e%2e%5cevil.exe", "..\\evil.exe", false},
        {"http://h/%2E%2E", "..", false},
        {"http://h/a%2fb.exe", "a/b.exe", false},
        {"http://h/%2525windir%2525.exe", "%25windir%25.exe", false},
        {"http://h/%windir%.exe", "%windir%.exe", false},
        {"http://h/a%zz.exe", "a%zz.exe", false},
        {"http://h/a.exe%2", "a.exe%2", false},
        {"http://h/a%00.exe", std::string("a\0.exe", 6), false},
        // The fragment is not part of the name, a "/" in it neither.
        {"http://h/setup.exe#v2", "setup.exe", true},
        {"http://h/Setup%20v2.exe#part/two", "Setup v2.exe", true},
        {"http://h/get#", "get", true},
    };
    for (const auto& c : cases) {
        const std::string local = TOrbAutoUpdate::LocalFileName(c.URL);
        EXPECT_EQ(local, c.Local) << c.URL;
        EXPECT_EQ(TOrbAutoUpdate::IsPlainFileName(local), c.Plain) << c.URL;
    }
}

TEST(UpdateNames, OnlyPlainFileNamesAreTaken) {
    for (const char* good : {"setup.exe", "autoupdate.ini", "Sundown 1.0.2.exe", "a", "icon.exe",
                             "COM10.exe", "LPT\xBC.exe", "COM\xB9\xB9"})
        EXPECT_TRUE(TOrbAutoUpdate::IsPlainFileName(good)) << good;
    for (const char* bad :
         {"",       ".",      "..",     "..\\evil.exe", "a\\b.exe",    "c:evil.exe",  "get?f=x",
          "a*.exe", "a.exe.", "a.exe ", "CON",          "nul.txt",     "Com1.exe",    "lpt9",
          "a\tb",   "x|y",    "\"q\"",  "COM\xB9",      "lpt\xB2.exe", "Com\xB3 .txt"})
        EXPECT_FALSE(TOrbAutoUpdate::IsPlainFileName(bad)) << bad;
}

TEST(UpdateVersions, OfferedVersionMustBeGreater) {
    TOrbVersionInfo info;
    info.SetActive(true);
    ASSERT_EQ(info.GetItem(3), Running);
    auto offered = [&](uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
        TAutoUpdateDetails details;
        details.MajorVersion = a;
        details.MinorVersion = b;
        details.ReleaseVersion = c;
        details.Build = d;
        return TOrbAutoUpdate::IsNewerVersion(info, details);
    };
    EXPECT_FALSE(offered(1, 0, 1, 5)); // the same
    EXPECT_TRUE(offered(1, 0, 1, 6));
    EXPECT_TRUE(offered(1, 0, 2, 0));
    EXPECT_TRUE(offered(1, 1, 0, 0));
    EXPECT_TRUE(offered(2, 0, 0, 0));
    EXPECT_FALSE(offered(1, 0, 1, 4));
    EXPECT_FALSE(offered(0, 0, 0, 0));
    // Older versions with one larger part are not newer.
    EXPECT_FALSE(offered(1, 0, 0, 9));
    EXPECT_FALSE(offered(0, 9, 9, 9));
    EXPECT_TRUE(offered(65535, 0, 0, 0));
}

using UpdateDetails = UpdateFixture;

TEST_F(UpdateDetails, ReadsTheApplicationsEntry) {
    const std::string file = Temp + "details.ini";
    WriteFile(file, "[Other]\r\nMajorVersion=7\r\n[SUNDOWN]\r\nMajorVersion=0x10\r\n"
                    "MinorVersion=$10\r\nReleaseVersion=abc\r\nBuild=65535\r\n"
                    "URL=http://h/setup.exe\r\nParams=/silent \"x y\"\r\n"
                    "[Empty]\r\n");
    TAutoUpdateDetails d;
    EXPECT_TRUE(Update->LoadUpdateDetails(file, d)); // "sundown": sections match in any case
    EXPECT_EQ(d.MajorVersion, 16);
    EXPECT_EQ(d.MinorVersion, 16);
    EXPECT_EQ(d.ReleaseVersion, 0);
    EXPECT_EQ(d.Build, 65535);
    EXPECT_EQ(d.Version, "16.16.0.65535");
    EXPECT_EQ(d.URL, "http://h/setup.exe");
    EXPECT_EQ(d.Params, "/silent \"x y\"");

    TAutoUpdateDetails untouched;
    untouched.Version = "kept";
    Update->SetApplicationName("Empty");
    EXPECT_FALSE(Update->LoadUpdateDetails(file, untouched));
    Update->SetApplicationName("Missing");
    EXPECT_FALSE(Update->LoadUpdateDetails(file, untouched));
    EXPECT_FALSE(Update->LoadUpdateDetails(Temp + "none.ini", untouched));
    EXPECT_EQ(untouched.Version, "kept");

    // A version part is a number from 0 to 65535; any other number makes the entry invalid (it
    // is not cut to 16 bits), and text that is no number reads as 0.
    const struct {
        const char* Text;
        int Value; // -1: the entry is invalid
    } parts[] = {{"0", 0},          {"65535", 65535},  {"$FFFF", 65535},    {"x", 0},
                 {"1.2", 0},        {"12abc", 0},      {"65536", -1},       {"-1", -1},
                 {"0x10000", -1},   {"$FFFFFFFF", -1}, {"99999999999", -1}, {"-99999999999", -1},
                 {"$123456789", -1}};
    Update->SetApplicationName("Part");
    for (const auto& p : parts) {
        WriteFile(file, std::string("[Part]\r\nBuild=") + p.Text + "\r\n");
        TAutoUpdateDetails read;
        read.Version = "kept";
        EXPECT_EQ(Update->LoadUpdateDetails(file, read), p.Value >= 0) << p.Text;
        EXPECT_EQ(read.Version, p.Value >= 0 ? "0.0.0." + std::to_string(p.Value) : "kept")
            << p.Text;
    }
}

using UpdateEvents = UpdateFixture;

TEST_F(UpdateEvents, WorkEventsBecomePercentages) {
    Update->HTTPWorkBegin(nullptr, wmWrite, 99);
    Update->HTTPWork(nullptr, wmWrite, 50);
    Update->HTTPWorkEnd(nullptr, wmWrite);
    EXPECT_TRUE(Log.empty()) << Dump();

    Update->HTTPWorkBegin(nullptr, wmRead, 2048);
    Update->HTTPWork(nullptr, wmRead, 512);
    Update->HTTPWorkBegin(nullptr, wmRead, 40000000);
    Update->HTTPWork(nullptr, wmRead, 30000000);
    Update->HTTPWorkBegin(nullptr, wmRead, 2147483647);
    Update->HTTPWork(nullptr, wmRead, 2147483647);
    Update->HTTPWork(nullptr, wmRead, 2147483646);
    Update->HTTPWorkBegin(nullptr, wmRead, -1);
    Update->HTTPWork(nullptr, wmRead, 100);
    Update->HTTPWorkEnd(nullptr, wmRead);
    Update->HTTPStatus(nullptr, hsConnected, "Connected.");
    const std::vector<std::string> expected = {
        "progress: Starting Download...|0",
        "progress: 25% (512 of 2048 Bytes)|25",
        "progress: Starting Download...|0",
        "progress: 75% (30000000 of 40000000 Bytes)|75",
        "progress: Starting Download...|0",
        "progress: 100% (2147483647 of 2147483647 Bytes)|100",
        "progress: 99% (2147483646 of 2147483647 Bytes)|99",
        "progress: Starting Download...|0",
        "progress: Recieving...|0",
        "progress: Complete|100",
        "message: Complete.",
        "message: Connected.",
    };
    EXPECT_EQ(Log, expected);
}

TEST_F(UpdateEvents, ProgressHandlerSetsAndWithdrawsTheCancel) {
    OnProgress = [](const std::string& m, bool& cancel) { cancel = m == "stop"; };
    Update->DoProgress("stop", 1);
    EXPECT_TRUE(Update->Cancelled());
    Update->DoProgress("go on", 2);
    EXPECT_FALSE(Update->Cancelled());
    Update->Cancel();
    EXPECT_TRUE(Update->Cancelled());
    // A cancel standing at a work event disconnects (reported before the transfer goes).
    Update->HTTPWorkBegin(nullptr, wmRead, 10);
    OnProgress = nullptr;
    Update->Cancel();
    Update->HTTPWork(nullptr, wmRead, 5);
    EXPECT_EQ(Log.back(), "message: Cancelling...");
    EXPECT_EQ(Log[Log.size() - 2], "progress: Cancelling...|100");
}

using UpdateCheck = UpdateFixture;

TEST_F(UpdateCheck, InvalidAddressEndsBeforeAnyTraffic) {
    const std::string longURL = Server.Url("/" + std::string(1000, 'u') + "/");
    for (const std::string& url :
         {std::string(), Server.Url("/"), Server.Url("/..\\x.ini"), Server.Url("/get?f=a.ini"),
          Server.Url("/%2e%2e%5cx.ini"), Server.Url("/%2525windir%2525.ini"), longURL}) {
        Log.clear();
        Update->SetUpdateURL(url);
        Update->CheckForUpdate();
        // Cut like every text the server's side gives.
        const std::string server = url == longURL ? url.substr(0, 200) + "... (cut from " +
                                                        std::to_string(url.size()) + " characters)"
                                                  : url;
        const std::vector<std::string> expected = {
            "message: Update Server: " + server,
            "message: Application: sundown",
            "progress: Checking for updates , please wait...|0",
            "failed: Invalid AutoUpdate URL, please check your settings.",
            "message: Invalid AutoUpdate URL, please check your settings.",
        };
        EXPECT_EQ(Log, expected) << url;
    }
    EXPECT_EQ(Server.Connections(), 0);
}

TEST_F(UpdateCheck, DescriptionNotFoundFiresNoEvent) {
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->CheckForUpdate();
    EXPECT_TRUE(Has("message: HTTP/1.1 404 Not Found")) << Dump();
    EXPECT_TRUE(Has("progress: Download Failed.|100"));
    EXPECT_EQ(Log.back(),
              "message: Error downloading AutoUpdate information, please check internet "
              "connection.");
    EXPECT_EQ(CountPrefix("failed:"), 0);
    EXPECT_TRUE(TempFiles().empty()); // the failed download's file is gone too
}

TEST_F(UpdateCheck, SectionMissingOrEmpty) {
    Server.Set("/autoupdate.ini", TTestReply::Ok("[other]\r\nMajorVersion=2\r\n[sundown]\r\n"));
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->CheckForUpdate();
    EXPECT_EQ(Log.back(), "message: Error loading \"sundown\" update details.") << Dump();
    EXPECT_TRUE(Has("failed: Error loading \"sundown\" update details."));
    EXPECT_TRUE(Has("message: Downloading: " + Server.Url("/autoupdate.ini") + " to " + Temp +
                    "autoupdate.ini"));
    EXPECT_TRUE(TempFiles().empty()); // the description is removed at the end
}

TEST_F(UpdateCheck, NotNewerEndsQuietlyEvenWithACancelStanding) {
    Server.Set("/autoupdate.ini", TTestReply::Ok("[sundown]\r\nURL=http://x/setup.exe\r\n"));
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->OnMessage = [this](TObject*, std::string m) {
        Log.push_back("message: " + m);
        if (m.rfind("Current Version", 0) == 0)
            Update->Cancel();
    };
    Update->CheckForUpdate();
    const int current = Find("message: Current Version: 1.0.1.5, New version: 0.0.0.0");
    ASSERT_GE(current, 0) << Dump();
    const std::vector<std::string> tail(Log.begin() + current + 1, Log.end());
    const std::vector<std::string> expected = {
        "progress: Already at latest version|100",
        "notrequired: sundown|1.0.1.5",
        "message: sundown already at latest version.",
    };
    EXPECT_EQ(tail, expected);
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(UpdateCheck, DeclinedOrNobodyAgrees) {
    OfferNewerVersion();
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->SetAutoUpdate(true);
    Answer = false;
    Update->CheckForUpdate();
    const int available = Find("available: sundown|1.0.2.0|1.0.1.5|proposed");
    ASSERT_GE(available, 0) << Dump();
    EXPECT_EQ(Log[available - 2], "progress: Update Available|100");
    EXPECT_EQ(Log[available - 1], "message: Update available: 1.0.2.0");
    const std::vector<std::string> tail(Log.begin() + available + 1, Log.end());
    const std::vector<std::string> expected = {"progress: Download cancelled.|100",
                                               "failed: Download cancelled.",
                                               "message: Download cancelled."};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(Server.Count("/setup.exe"), 0);

    // No handler and AutoUpdate off: nothing agrees.
    Log.clear();
    Update->OnUpdateAvailable = nullptr;
    Update->SetAutoUpdate(false);
    Update->CheckForUpdate();
    EXPECT_EQ(Log.back(), "message: Download cancelled.") << Dump();
    EXPECT_EQ(Server.Count("/setup.exe"), 0);
}

TEST_F(UpdateCheck, CancelStandingAtTheComparisonAsksNothing) {
    Server.Set("/autoupdate.ini",
               TTestReply::Ok(Describe("sundown", "2.0.0.0", Server.Url("/setup.exe"))));
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->OnMessage = [this](TObject*, std::string m) {
        Log.push_back("message: " + m);
        if (m.rfind("Current Version", 0) == 0)
            Update->Cancel();
    };
    Update->CheckForUpdate();
    EXPECT_FALSE(Has("progress: Update Available|100")) << Dump();
    EXPECT_EQ(CountPrefix("available:"), 0);
    EXPECT_EQ(Log.back(), "message: Download cancelled.");
    EXPECT_EQ(Server.Count("/setup.exe"), 0);
}

TEST_F(UpdateCheck, InstallerNameFromTheServerMustBePlain) {
    const std::string url = Server.Url("/get?f=..\\..\\evil.exe");
    Server.Set("/autoupdate.ini", TTestReply::Ok(Describe("sundown", "1.0.2.0", url)));
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->CheckForUpdate();
    EXPECT_EQ(CountPrefix("available:"), 0) << Dump();
    EXPECT_TRUE(Has("failed: Failed to download update \"" + url +
                    "\": Invalid file name \"get?f=..\\..\\evil.exe\" in the update address."));
    EXPECT_EQ(Server.Requests().size(), 1u); // the description only
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(UpdateCheck, InstallerMissingOrCutShort) {
    const std::string installer = Temp + "setup.exe";
    WriteFile(installer, "the previous installer");
    OfferNewerVersion();
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->CheckForUpdate();
    EXPECT_TRUE(Has("progress: Download failed.|100")) << Dump();
    // The window's text says why.
    const std::string failed =
        "Failed to download update \"" + Server.Url("/setup.exe") + "\": HTTP/1.1 404 Not Found";
    EXPECT_EQ(Log.back(), "message: " + failed);
    EXPECT_TRUE(Has("failed: " + failed));
    EXPECT_TRUE(Has("begin"));
    EXPECT_FALSE(Has("complete"));

    // A 200 answer cut off midway is not a download: the old file stays as it was.
    TTestReply cut = TTestReply::Ok(std::string(5000, 'x'));
    cut.CutAfter = 2000;
    Server.Set("/setup.exe", cut);
    Log.clear();
    Update->CheckForUpdate();
    EXPECT_TRUE(
        Has("failed: Failed to download update \"" + Server.Url("/setup.exe") +
            "\": Connection closed before the whole answer arrived (2000 of 5000 bytes received)."))
        << Dump();
    EXPECT_TRUE(Has("message: HTTP/1.1 200 OK"));
    EXPECT_EQ(ReadFile(installer), "the previous installer");
    EXPECT_EQ(TempFiles(), std::vector<std::string>{"setup.exe"}); // no partial download left
    EXPECT_FALSE(Application().Terminated());

    // The old file held open without sharing cannot be replaced: the system's reason is given.
    Server.Set("/setup.exe", TTestReply::Ok("the new installer"));
    const HANDLE held =
        CreateFileA(installer.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Log.clear();
    Update->CheckForUpdate();
    CloseHandle(held);
    const std::string renaming = "failed: Failed to download update \"" + Server.Url("/setup.exe") +
                                 "\": Failed to rename temporary file " + Temp + "Orb";
    ASSERT_EQ(CountPrefix(renaming), 1) << Dump();
    const auto line = std::find_if(Log.begin(), Log.end(), [&](const std::string& l) {
        return l.compare(0, renaming.size(), renaming) == 0;
    });
    const size_t reason = line->find(".tmp: ");
    ASSERT_NE(reason, std::string::npos) << *line;
    EXPECT_GT(line->size(), reason + 6) << *line;
    EXPECT_EQ(ReadFile(installer), "the previous installer");
}

TEST_F(UpdateCheck, CancelDuringTheInstallerDownload) {
    Server.Set("/setup.exe",
               TTestReply::Slow(std::string(200000, 'x'), 2000, 100)); // ten seconds in all
    OfferNewerVersion();
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    bool installerStarted = false;
    OnProgress = [&](const std::string& m, bool& cancel) {
        if (m == "Download initializing...") {
            cancel = true; // cleared when the download starts: no effect
            installerStarted = true;
        }
        if (installerStarted && m.find("% (") != std::string::npos)
            cancel = true;
    };
    const auto start = std::chrono::steady_clock::now();
    Update->CheckForUpdate();
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(support::NoticeableMs));
    const int cancelling = Find("progress: Cancelling...|100");
    ASSERT_GE(cancelling, 0) << Dump();
    EXPECT_EQ(Log[cancelling + 1], "message: Cancelling...");
    const int failed = Find("progress: Download Failed.|100", cancelling);
    ASSERT_GT(failed, cancelling);
    EXPECT_EQ(Log[failed + 1], "progress: Download cancelled by user.|100");
    EXPECT_EQ(Log[failed + 2], "message: Download cancelled by user.");
    const std::vector<std::string> tail(Log.end() - 3, Log.end());
    const std::vector<std::string> expected = {"progress: Download cancelled.|100",
                                               "failed: Download cancelled.",
                                               "message: Download cancelled."};
    EXPECT_EQ(tail, expected);
    EXPECT_FALSE(FileThere(Temp + "setup.exe"));
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(UpdateCheck, CancelDuringTheDescriptionDownload) {
    Server.Set(
        "/autoupdate.ini",
        TTestReply::Slow(Describe("sundown", "1.0.2.0", "x") + std::string(50000, ';'), 1000, 10));
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    OnProgress = [](const std::string& m, bool& cancel) {
        if (m.find("% (") != std::string::npos)
            cancel = true;
    };
    Update->CheckForUpdate();
    EXPECT_TRUE(Has("message: Download cancelled by user.")) << Dump();
    EXPECT_EQ(Log.back(),
              "message: Error downloading AutoUpdate information, please check internet "
              "connection.");
    EXPECT_EQ(CountPrefix("failed:"), 0);
}

// Whatever the update server sends, the check ends within its limits with its ending and the
// reason logged, nothing that should not be is asked, fetched, kept or started, the program's
// messages go on (a timer's ticks never half a second apart), and a Cancel acts within a second.
TEST_F(UpdateCheck, HostileServersEndTheCheckSafely) {
    using TServe = std::function<void(TTestHttpServer&)>;
    auto describe = [](std::string path, std::string params = "",
                       std::string version = "1.0.2.0") -> TServe {
        return [=](TTestHttpServer& s) {
            s.Set("/autoupdate.ini",
                  TTestReply::Ok(Describe("sundown", version, s.Url(path), params)));
            s.Set("/setup.exe", TTestReply::Ok("installer"));
        };
    };
    auto entry = [](std::string text) -> TServe {
        return [=](TTestHttpServer& s) {
            s.Set("/autoupdate.ini",
                  TTestReply::Ok("[sundown]\r\n" + text + "\r\nURL=" + s.Url("/setup.exe")));
        };
    };
    auto slow = [](const std::string& path, TTestReply r, size_t piece, int delay) -> TServe {
        return [=](TTestHttpServer& s) {
            TTestReply reply = r;
            reply.Piece = piece;
            reply.DelayMs = delay;
            s.Set(path, reply);
            if (path != "/autoupdate.ini")
                s.Set("/autoupdate.ini",
                      TTestReply::Ok(Describe("sundown", "1.0.2.0", s.Url(path))));
        };
    };
    TTestReply silent;
    silent.Raw = "HTTP/1.1 200 OK\r\n\r\n";
    const std::string noDescription =
        "message: Error downloading AutoUpdate information, please check internet connection.";
    const std::string badEntry = "message: Error loading \"sundown\" update details.";
    TTestReply twoLengths;
    twoLengths.Raw = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 9\r\n\r\n123456789";
    TTestReply emptyUntilClose = TTestReply::Ok("");
    emptyUntilClose.Framing = TTestReply::UntilClose;
    TTestReply gzip = TTestReply::Ok("\x1f\x8b\x08 compressed");
    gzip.Headers = {{"Content-Encoding", "gzip"}};
    const std::string gzipRefused =
        "The server sent the answer with Content-Encoding \"gzip\", which is not supported.";
    TTestReply folded;
    folded.Raw = "HTTP/1.1 200 OK\r\nX-Info: a\r\n Content-Length: 100\r\n\r\n" +
                 std::string(100, 'x') + " and more";
    // The temporary folder missing from the start, or gone while the question is open.
    const std::string missing = Temp + "missing";
    const std::string noTemp =
        "cannot create a temporary file in " + missing + ": " + SysErrorMessage(ERROR_DIRECTORY);
    auto tempGone = [&](const std::string& when, TServe serve) -> TServe {
        return [=, this](TTestHttpServer& s) {
            serve(s);
            OnProgress = [=](const std::string& m, bool&) {
                if (when.empty() || m == when)
                    SetEnvironmentVariableA("TMP", missing.c_str());
            };
            if (when.empty())
                SetEnvironmentVariableA("TMP", missing.c_str());
        };
    };
    const struct {
        const char* Name;
        TServe Serve;
        int CancelAfterMs;  // 0: none
        std::string Reason; // a line on the way ("@" stands for the server's address)
        std::string Ending; // the last line
        int BoundMs;        // what it takes on a quiet machine
        bool InstallerFetched = false;
    } cases[] = {
        {"environment reference in the installer name", describe("/%windir%x.exe"), 0,
         "message: Invalid file name \"%windir%x.exe\" in the update address.",
         "message: Failed to download update \"@/%windir%x.exe\": Invalid file name "
         "\"%windir%x.exe\" in the update address.",
         3000},
        {"parameters the system would cut", describe("/setup.exe", std::string(40000, 'p')), 0,
         "", // the length depends on the folder's
         "message: Failed to download update \"@/setup.exe\": The installer's parameters are too "
         "long (40000 characters; the command line holds at most 32766).",
         3000},
        {"major version -1", entry("MajorVersion=-1"), 0,
         "message: MajorVersion=-1 is outside 0 to 65535.", badEntry, 3000},
        {"build 65536", entry("MajorVersion=2\r\nBuild=65536"), 0,
         "message: Build=65536 is outside 0 to 65535.", badEntry, 3000},
        {"oversized description",
         slow("/autoupdate.ini", TTestReply::Ok(std::string(DescriptionMaxSize + 1, ';')), 0, 0), 0,
         "message: The answer is larger than 1048576 bytes.", noDescription, 3000},
        {"dripping description",
         slow("/autoupdate.ini", TTestReply::Ok(std::string(5000, ';')), 10, 50), 0,
         "message: The transfer took longer than 1500 ms.", noDescription, 3000},
        {"silent description, cancelled", slow("/autoupdate.ini", silent, 0, 10000), 300,
         "message: Download cancelled by user.", noDescription, 1000},
        {"silent installer, cancelled", slow("/setup.exe", silent, 0, 10000), 300,
         "progress: Cancelling...|100", "message: Download cancelled.", 1000, true},
        {"installer with two lengths", slow("/setup.exe", twoLengths, 0, 0), 0,
         "message: The server sent conflicting Content-Length values (\"5\" and \"9\").",
         "message: Failed to download update \"@/setup.exe\": The server sent conflicting "
         "Content-Length values (\"5\" and \"9\").",
         3000, true},
        {"empty installer", slow("/setup.exe", TTestReply::Ok(""), 0, 0), 0,
         "message: The server sent an empty file.",
         "message: Failed to download update \"@/setup.exe\": The server sent an empty file.", 3000,
         true},
        {"empty installer without a length", slow("/setup.exe", emptyUntilClose, 0, 0), 0,
         "message: The server sent an empty file.",
         "message: Failed to download update \"@/setup.exe\": The server sent an empty file.", 3000,
         true},
        {"compressed installer", slow("/setup.exe", gzip, 0, 0), 0, "",
         "message: Failed to download update \"@/setup.exe\": " + gzipRefused, 3000, true},
        {"compressed description", slow("/autoupdate.ini", gzip, 0, 0), 0,
         "message: " + gzipRefused, noDescription, 3000},
        {"reason phrase of 60,000 characters",
         slow("/setup.exe", TTestReply::Status(404, std::string(60000, 'r')), 0, 0), 0, "",
         "message: Failed to download update \"@/setup.exe\": HTTP/1.1 404 " +
             std::string(187, 'r') + "... (cut from 60013 characters)",
         3000, true},
        {"version of 2,000 characters", entry("MajorVersion=-" + std::string(2000, '9')), 0,
         "message: MajorVersion=-" + std::string(199, '9') +
             "... (cut from 2001 characters) is outside 0 to 65535.",
         badEntry, 3000},
        {"escaped ..\\ in the installer name", describe("/%2e%2e%5cevil.exe"), 0,
         "message: Invalid file name \"%2e%2e%5cevil.exe\" in the update address.",
         "message: Failed to download update \"@/%2e%2e%5cevil.exe\": Invalid file name "
         "\"%2e%2e%5cevil.exe\" in the update address.",
         3000},
        {"folded length on the installer", slow("/setup.exe", folded, 0, 0), 0, "",
         "message: Failed to download update \"@/setup.exe\": The server's answer has a folded "
         "header line (\" Content-Length: 100\"), which is not supported.",
         3000, true},
        {"no temporary folder", tempGone("", describe("/setup.exe")), 0, "message: " + noTemp,
         noDescription, 3000},
        {"temporary folder gone at the question",
         tempGone("Update Available", describe("/setup.exe")), 0, "progress: Download Failed.|100",
         "message: Failed to download update \"@/setup.exe\": " + noTemp, 3000},
        {"installer over https",
         [](TTestHttpServer& s) {
             s.Set("/autoupdate.ini",
                   TTestReply::Ok(Describe("sundown", "1.0.2.0", "https://127.0.0.1/setup.exe")));
         },
         0, "",
         "message: Failed to download update \"https://127.0.0.1/setup.exe\": HTTPS is not "
         "supported: \"https://127.0.0.1/setup.exe\" cannot be fetched; use an http:// address.",
         3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestHttpServer server; // one each: a silent reply keeps a server busy
        auto at = [&](std::string text) {
            for (size_t i; (i = text.find('@')) != std::string::npos;)
                text.replace(i, 1, server.Url(""));
            return text;
        };
        Log.clear();
        OnProgress = nullptr;
        SetEnvironmentVariableA("TMP", Temp.substr(0, Temp.size() - 1).c_str());
        c.Serve(server);
        Update->SetUpdateURL(server.Url("/autoupdate.ini"));
        Update->SetDescriptionLimits({1500, DescriptionMaxSize});

        pump::TWatch watch(c.CancelAfterMs, [&] { Update->Cancel(); });
        Update->CheckForUpdate();
        // A busy machine may add seconds, still short of a silent server's ten.
        EXPECT_LT(watch.Stop(), c.CancelAfterMs + c.BoundMs + support::NoticeableMs);
        EXPECT_LT(watch.LongestGapMs(), support::FrozenMs); // the messages went on
        ASSERT_FALSE(Log.empty());
        EXPECT_EQ(Log.back(), at(c.Ending)) << Dump();
        EXPECT_TRUE(c.Reason.empty() || Has(at(c.Reason))) << Dump();
        EXPECT_FALSE(Has("complete"));
        EXPECT_TRUE(TempFiles().empty()); // nothing partial kept
        EXPECT_EQ(server.Count("/setup.exe"), c.InstallerFetched ? 1 : 0);
        // What the server says reaches the log, and so the boxes, readable.
        for (const std::string& line : Log)
            EXPECT_LT(line.size(), 700u) << line.substr(0, 100);
    }
    Application().ProcessMessages();
    EXPECT_FALSE(Application().Terminated());
}

// Both names are escaped in their addresses, as servers write them: the local copies take the
// decoded names.
TEST_F(UpdateCheck, DownloadsStartsTheInstallerAndEndsTheProgram) {
    const std::string witness = GetProgramFolder() + "installer_witness.exe";
    const std::string exe = ReadFile(witness);
    ASSERT_FALSE(exe.empty()) << witness;
    TTestReply installer = TTestReply::Ok(exe);
    installer.Piece = 64 * 1024;
    installer.DelayMs = 5;
    Server.Set("/Setup%20v2.exe", installer);
    const std::string record = Temp + "started.txt";
    Server.Set("/app%20update.ini",
               TTestReply::Ok(Describe("sundown", "1.0.2.0", Server.Url("/Setup%20v2.exe"),
                                       "\"" + record + "\" /quiet")));
    WriteFile(Temp + "Setup v2.exe", "an older download");
    Update->SetUpdateURL(Server.Url("/app%20update.ini"));
    Update->CheckForUpdate();

    // The steps, in order.
    const std::vector<std::string> steps = {
        "message: Update Server: " + Server.Url("/app%20update.ini"),
        "message: Application: sundown",
        "progress: Checking for updates , please wait...|0",
        "message: Downloading: " + Server.Url("/app%20update.ini") + " to " + Temp +
            "app update.ini",
        "message: Resolving hostname 127.0.0.1.",
        "message: Connected.",
        "progress: Starting Download...|0",
        "progress: Complete|100",
        "message: Disconnected.",
        "message: HTTP/1.1 200 OK",
        "progress: Download Complete.|100",
        "message: Current Version: 1.0.1.5, New version: 1.0.2.0",
        "progress: Update Available|100",
        "available: sundown|1.0.2.0|1.0.1.5|not proposed",
        "progress: Download initializing...|0",
        "begin",
        "message: Downloading: " + Server.Url("/Setup%20v2.exe") + " to " + Temp + "Setup v2.exe",
        "progress: Starting Download...|0",
        "progress: 100% (" + std::to_string(exe.size()) + " of " + std::to_string(exe.size()) +
            " Bytes)|100",
        "progress: Download Complete.|100",
        "message: File " + Temp + "Setup v2.exe has been removed.",
        "progress: Download complete.|100",
        "complete",
    };
    int at = 0;
    for (const std::string& step : steps) {
        const int found = Find(step, at);
        ASSERT_GE(found, at) << step << "\n" << Dump();
        at = found + 1;
    }
    EXPECT_GE(CountPrefix("progress: ") - 12, 3); // several percentages on the way
    EXPECT_EQ(Log.back(), "complete");
    EXPECT_EQ(CountPrefix("failed:"), 0);

    // The installer runs from the temporary folder with its parameters in the program's folder.
    EXPECT_EQ(ReadFile(Temp + "Setup v2.exe"), exe);
    EXPECT_FALSE(FileThere(Temp + "app update.ini"));
    for (int i = 0; i < 200 && !FileThere(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string recorded = ReadFile(record);
    EXPECT_NE(recorded.find("args=\"" + record + "\" /quiet\n"), std::string::npos) << recorded;
    std::string folder = GetProgramFolder();
    folder.pop_back();
    EXPECT_NE(recorded.find("cwd=" + folder + "\n"), std::string::npos) << recorded;

    // And the program ends once the check is back in the message loop.
    Application().ProcessMessages();
    EXPECT_TRUE(Application().Terminated());
    Application().DestroyForms(); // clears the flag for the tests that follow
}

TEST_F(UpdateCheck, InstallerThatDoesNotStartIsReported) {
    Server.Set("/setup.sundown-unknown", TTestReply::Ok("not a program"));
    Server.Set("/autoupdate.ini", TTestReply::Ok(Describe("sundown", "1.0.2.0",
                                                          Server.Url("/setup.sundown-unknown"))));
    Update->SetUpdateURL(Server.Url("/autoupdate.ini"));
    Update->CheckForUpdate();
    ASSERT_TRUE(Has("complete")) << Dump();
    const std::string prefix =
        "failed: Error executing file,  \"" + Temp + "setup.sundown-unknown\", Error Code: ";
    ASSERT_EQ(CountPrefix(prefix), 1) << Dump();
    const std::string line = Log[Find("complete") + 1];
    const int code = std::stoi(line.substr(prefix.size()));
    EXPECT_GE(code, 0);
    EXPECT_LE(code, 32);
    EXPECT_EQ(Log.back(), "message: " + line.substr(8));
    Application().ProcessMessages();
    EXPECT_FALSE(Application().Terminated());
    EXPECT_TRUE(FileThere(Temp + "setup.sundown-unknown"));
}

TEST_F(UpdateCheck, ProxySettingsAreUsed) {
    // The test server plays the proxy: the description's host never resolves by itself. It asks
    // for credentials, and only then do the settings' go out.
    const std::string credentials = "Proxy-Authorization: Basic " + EncodeBase64("me:pw");
    TTestReply challenge = TTestReply::Status(407, "Proxy Authentication Required");
    challenge.Headers = {{"Proxy-Authenticate", "Basic realm=\"proxy\""}};
    Server.Set("/autoupdate.ini", challenge);
    Server.SetWhen("/autoupdate.ini", credentials,
                   TTestReply::Ok("[sundown]\r\nMajorVersion=1\r\n"));
    TProgramSettings settings;
    RegisterAutoUpdateSettings(settings);
    settings.SetValue(key::AutoUpdateURL, DefaultUpdateURL);
    settings.SetValue(key::AutoUpdateApplication, "sundown");
    settings.SetValue(key::AutoUpdateHTTPProxy, true);
    settings.SetValue(key::AutoUpdateHTTPHost, "127.0.0.1");
    settings.SetValue(key::AutoUpdateHTTPPort, static_cast<int>(Server.Port()));
    settings.SetValue(key::AutoUpdateHTTPAuthentication, true);
    settings.SetValue(key::AutoUpdateHTTPUsername, "me");
    settings.SetValue(key::AutoUpdateHTTPPassword, "pw");
    Update->SetProgramSettings(&settings);
    Update->LoadSettings();
    EXPECT_EQ(Update->UpdateURL(), DefaultUpdateURL);
    Update->CheckForUpdate();
    EXPECT_TRUE(Has("message: sundown already at latest version.")) << Dump();
    const auto requests = Server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests)
        EXPECT_EQ(request.rfind(std::string("GET ") + DefaultUpdateURL + " HTTP/1.1\r\n", 0), 0u);
    EXPECT_EQ(requests[0].find("Proxy-Authorization"), std::string::npos);
    EXPECT_NE(requests[1].find(credentials), std::string::npos);

    // A SOCKS proxy that is switched on is refused rather than gone around, whatever its version
    // (one outside the known ones included).
    for (const int version : {0, 3, 7}) {
        SCOPED_TRACE(version);
        settings.SetValue(key::AutoUpdateSOCKSProxy, true);
        settings.SetValue(key::AutoUpdateSOCKSVersion, version);
        Update->LoadSettings();
        Log.clear();
        Update->CheckForUpdate();
        EXPECT_TRUE(Has("message: A SOCKS proxy is switched on, and SOCKS proxies are not "
                        "supported; no connection was made."))
            << Dump();
        EXPECT_EQ(Log.back(),
                  "message: Error downloading AutoUpdate information, please check internet "
                  "connection.");
        EXPECT_EQ(Server.Requests().size(), 2u);
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST(UpdateComponent, ConstructionAndSettings) {
    TOrbAutoUpdate u;
    EXPECT_FALSE(u.Active());
    EXPECT_TRUE(u.Enabled());
    EXPECT_EQ(u.MonitorIntervalHours(), 0);
    EXPECT_EQ(u.UpdateURL(), "http://update.sundown.invalid");
    EXPECT_EQ(u.ApplicationName(), "sundown");
    EXPECT_EQ(u.Connection().HTTPPort, 0);
    EXPECT_EQ(u.Connection().SocksVersion, svNoSocks);
    EXPECT_FALSE(u.AutoUpdate());

    EXPECT_EQ(support::MessageOf<Exception>([&] { u.LoadSettings(); }),
              "Property ProgramSettings has not been assigned.");

    TProgramSettings settings;
    RegisterAutoUpdateSettings(settings);
    settings.SetValue(key::AutoUpdateEnabled, false);
    settings.SetValue(key::AutoUpdateApplication, "App");
    settings.SetValue(key::AutoUpdateHTTPUsername, "user");
    settings.SetValue(key::AutoUpdateSOCKSUsername, "socks user");
    settings.SetValue(key::AutoUpdateHTTPPassword, "secret");
    settings.SetValue(key::AutoUpdateSOCKSVersion, 7);
    settings.SetValue(key::AutoUpdateInterval, 3);
    settings.SetValue(key::AutoUpdateAutomatic, true);
    settings.SetValue(key::AutoUpdateHTTPPort, 8080);
    u.SetProgramSettings(&settings);
    u.LoadSettings();
    EXPECT_FALSE(u.Enabled());
    EXPECT_EQ(u.ApplicationName(), "App");
    EXPECT_EQ(u.Connection().HTTPUserName, "user");
    EXPECT_EQ(u.Connection().SocksUserName, "socks user");
    EXPECT_EQ(u.Connection().HTTPPassword, "secret");
    EXPECT_EQ(u.Connection().SocksVersion, svNoSocks); // out of range
    EXPECT_EQ(u.MonitorIntervalHours(), 3);
    EXPECT_EQ(u.Connection().HTTPPort, 8080);
    EXPECT_EQ(u.Connection().SocksPort, 0); // never loaded: an unassigned value reads 0
    EXPECT_TRUE(u.AutoUpdate());
    // Disabled: switching on starts nothing.
    u.SetActive(true);
    EXPECT_FALSE(u.Active());

    // A key missing from the store: the keys before it are read, the rest kept.
    TProgramSettings partial;
    partial.Add(key::AutoUpdateEnabled, vtBoolean, true);
    partial.Add(key::AutoUpdateApplication, vtString, "");
    partial.SetValue(key::AutoUpdateEnabled, true);
    partial.SetValue(key::AutoUpdateApplication, "Partial");
    u.SetProgramSettings(&partial);
    EXPECT_THROW(u.LoadSettings(), EProgramSettingError);
    EXPECT_TRUE(u.Enabled());
    EXPECT_EQ(u.ApplicationName(), "Partial");
    EXPECT_TRUE(u.AutoUpdate()); // not reached
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "update/OrbAutoUpdate.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <vector>

#include "gui/Application.h"
#include "base/Convert.h"
#include "base/DateTime.h"
#include "base/Exception.h"
#include "base/FileStream.h"
#include "base/Handles.h"
#include "base/IniFile.h"
#include "base/ScopeExit.h"
#include "base/SystemError.h"
#include "base/WideText.h"
#include "system/OrbCommon.h"
#include "system/OrbSystemInfo.h"

namespace {

// The timer thread's hand-over of a due check to the main thread.
const UINT WM_TIMERTHREAD_SYNC = WM_APP + 0x51;
// Its answers: the check ran, raised (the thread's loop ends), or must wait for a later step.
enum : LRESULT { SyncDone = 0, SyncRaised = 1, SyncDeferred = 2 };

std::string Quoted(const std::string& S) {
    return "\"" + S + "\"";
}

bool FileExists(const std::string& Name) {
    const DWORD attributes = GetFileAttributesA(Name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The section holds at least one key.
bool SectionHasKeys(const std::string& File, const std::string& Section) {
    std::vector<char> buffer(4096);
    for (;;) {
        const DWORD n = GetPrivateProfileStringA(Section.c_str(), nullptr, "", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), File.c_str());
        if (n < buffer.size() - 2)
            return n > 0;
        buffer.resize(buffer.size() * 2);
    }
}

// A number written as decimal, or as hexadecimal with "$", "0x" or "x", signed or not.
bool LooksNumeric(const std::string& Text) {
    size_t i = Text.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    if (Text[i] == '+' || Text[i] == '-')
        ++i;
    const char* digits = "0123456789";
    for (const char* prefix : {"$", "0x", "0X", "x", "X"})
        if (Text.compare(i, strlen(prefix), prefix) == 0) {
            i += strlen(prefix);
            digits = "0123456789abcdefABCDEF";
            break;
        }
    return i < Text.size() && Text.find_first_not_of(digits, i) == std::string::npos;
}

// One version part of the description: text that is no number reads as 0; false for a number
// outside 0 to 65535 (one too large to convert included).
bool ReadVersionPart(const std::string& Text, uint16_t& Part) {
    int32_t value = 0;
    if (!TryStrToInt(Text, value)) {
        Part = 0;
        return !LooksNumeric(Text);
    }
    if (value < 0 || value > 65535)
        return false;
    Part = static_cast<uint16_t>(value);
    return true;
}

// Deletes the file when it goes, unless released.
class TTemporaryFile {
public:
    explicit TTemporaryFile(std::string Name) : FName(std::move(Name)) {}
    ~TTemporaryFile() {
        if (!FName.empty())
            DeleteFileA(FName.c_str());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    const std::string& Name() const { return FName; }
    void Release() { FName.clear(); }

private:
    std::string FName;
};

// Suspends the timer thread for the length of a check; resumes it only if it is still the
// component's thread (the check may have switched the component off).
class TThreadPause {
public:
    explicit TThreadPause(const std::unique_ptr<TTimerThread>& Slot)
        : FSlot(Slot), FThread(Slot.get()) {
        if (FThread)
            FThread->Suspend();
    }
    ~TThreadPause() {
        if (FThread && FSlot.get() == FThread)
            FThread->Resume();
    }
    TThreadPause(const TThreadPause&) = delete;
    TThreadPause& operator=(const TThreadPause&) = delete;

private:
    const std::unique_ptr<TTimerThread>& FSlot;
    TTimerThread* FThread;
};

// The timer thread's "ended" event (manual reset, not set). Raises when the system gives none: the
// thread's destructor waits on it and could never tell that the thread has ended.
KernelHandle NewDoneEvent() {
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        throw Exception("Cannot create the update timer's event. " +
                        SysErrorMessage(GetLastError()));
    return event;
}

} // namespace

// --- Settings

void RegisterAutoUpdateSettings(TProgramSettings& Settings) {
    Settings.Add("AutoUpdateEnabled", vtBoolean, true);
    Settings.Add("AutoUpdateApplication", vtString, GetDefaultApplicationName());
    Settings.Add("AutoUpdateURL", vtString, DefaultUpdateURL);
    Settings.Add("AutoUpdateHTTPProxy", vtBoolean, false);
    Settings.Add("AutoUpdateHTTPHost", vtString, "");
    Settings.Add("AutoUpdateHTTPPort", vtInteger, 8080);
    Settings.Add("AutoUpdateHTTPAuthentication", vtBoolean, false);
    Settings.Add("AutoUpdateHTTPUsername", vtString, "");
    Settings.Add("AutoUpdateHTTPPassword", vtPassword, "");
    Settings.Add("AutoUpdateSOCKSProxy", vtBoolean, false);
    Settings.Add("AutoUpdateSOCKSHost", vtString, "");
    Settings.Add("AutoUpdateSOCKSPort", vtInteger, 1080);
    Settings.Add("AutoUpdateSOCKSAuthentication", vtBoolean, false);
    Settings.Add("AutoUpdateSOCKSUsername", vtString, "");
    Settings.Add("AutoUpdateSOCKSPassword", vtPassword, "");
    Settings.Add("AutoUpdateSOCKSVersion", vtInteger, 0);
    Settings.Add("AutoUpdateAutomatic", vtBoolean, false);
    Settings.Add("AutoUpdateInterval", vtInteger, 12);
}

std::string GetDefaultApplicationName() {
    try {
        TOrbVersionInfo info;
        info.SetActive(true);
        return info.GetItem(8); // ProductName
    } catch (const std::exception&) {
        return Application().Title();
    }
}

TDateTime LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    TDateTime date = 0, time = 0;
    TryEncodeDate(t.wYear, t.wMonth, t.wDay, date);
    TryEncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, time);
    return date + time;
}

// --- Timer thread

struct TTimerThread::TShared {
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Signalled = false; // the sleep's wake-up, used up by one wait
    bool Terminated = false;
    int Suspended = 0;
    TDateTime LastCheck = 0;
    int IntervalHours = 0;
    TTimerClock Clock;
    HWND Window = nullptr;
    KernelHandle Done{NewDoneEvent()};

    TDateTime Now() const { return Clock.Now ? Clock.Now() : LocalNow(); }
};

TTimerThread::TTimerThread(int AIntervalHours, TTimerClock AClock)
    : FShared(std::make_shared<TShared>()), FAlive(std::make_shared<bool>(true)),
      FWindow(
          [this](UINT Msg, WPARAM, LPARAM, LRESULT& Result) { return Synchronized(Msg, Result); }) {
    FShared->IntervalHours = AIntervalHours;
    FShared->Clock = std::move(AClock);
    FShared->Window = FWindow.Handle();
    FThread = std::thread(&TTimerThread::Execute, FShared);
}

TTimerThread::~TTimerThread() {
    {
        std::lock_guard<std::mutex> lock(FShared->Mutex);
        FShared->Terminated = true;
        FShared->Signalled = true;
    }
    FShared->Wake.notify_all();
    if (FInSync) {
        // Destroyed from inside its own hand-over: the thread waits for this very call, so it
        // cannot be waited for here. It ends by itself once the call returns.
        *FAlive = false;
        FThread.detach();
        return;
    }
    // Wait for the thread, running what it hands over meanwhile (a due check still runs).
    HANDLE done = FShared->Done.get();
    for (;;) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) ==
            WAIT_OBJECT_0)
            break;
    }
    FThread.join();
    *FAlive = false;
}

int TTimerThread::IntervalHours() const {
    return FShared->IntervalHours;
}

TDateTime TTimerThread::LastCheck() const {
    std::lock_guard<std::mutex> lock(FShared->Mutex);
    return FShared->LastCheck;
}

bool TTimerThread::Finished() const {
    return WaitForSingleObject(FShared->Done.get(), 0) == WAIT_OBJECT_0;
}

void TTimerThread::Suspend() {
    std::lock_guard<std::mutex> lock(FShared->Mutex);
    ++FShared->Suspended;
}

void TTimerThread::Resume() {
    std::lock_guard<std::mutex> lock(FShared->Mutex);
    if (FShared->Suspended > 0)
        --FShared->Suspended;
}

void TTimerThread::Execute(std::shared_ptr<TShared> Shared) {
    const TScopeExit signalDone([Done = Shared->Done.get()] { SetEvent(Done); });
    try {
        std::unique_lock<std::mutex> lock(Shared->Mutex);
        while (!Shared->Terminated) {
            const TDateTime now = Shared->Now();
            const auto hours = static_cast<int64_t>(std::fabs(now - Shared->LastCheck) * 24);
            if (hours >= Shared->IntervalHours && Shared->Suspended == 0) {
                const TDateTime previous = Shared->LastCheck;
                Shared->LastCheck = Shared->Now();
                lock.unlock();
                // Waits until the main thread has run the check.
                const LRESULT outcome = SendMessageA(Shared->Window, WM_TIMERTHREAD_SYNC, 0, 0);
                lock.lock();
                if (outcome == SyncRaised)
                    break;
                if (outcome == SyncDeferred)
                    Shared->LastCheck = previous; // still due: tried again at the next step
            }
            Shared->Wake.wait_for(lock, std::chrono::milliseconds(Shared->Clock.StepMilliseconds),
                                  [&] { return Shared->Signalled; });
            Shared->Signalled = false;
        }
    } catch (...) {
        // Nothing may leave the thread; its loop simply ends.
    }
}

bool TTimerThread::Synchronized(UINT Msg, LRESULT& Result) {
    if (Msg != WM_TIMERTHREAD_SYNC)
        return false;
    // A check run from inside a modal window's loop would hold that window's end (the countdown's
    // exit among them) until the transfer ends: it waits until no modal window runs.
    if (Application().ModalForm()) {
        Result = SyncDeferred;
        return true;
    }
    const std::shared_ptr<bool> alive = FAlive;
    FInSync = true;
    Result = SyncDone;
    try {
        DoTimer();
    } catch (...) {
        // A check that raised ends the thread's loop; the error is shown like any other.
        Result = SyncRaised;
        Application().HandleException(nullptr);
    }
    if (*alive)
        FInSync = false;
    return true;
}

void TTimerThread::DoTimer() {
    if (OnTimer)
        OnTimer(this);
}

// --- Component

TOrbAutoUpdate::TOrbAutoUpdate(TObject* AOwner) : FOwner(AOwner) {
    FIOHandler = std::make_unique<TIdIOHandlerStack>();
    FHTTP = std::make_unique<TIdHTTP>();
    FHTTP->SetIOHandler(FIOHandler.get());
    FHTTP->OnStatus = [this](TObject* S, TIdStatus St, const std::string& T) {
        HTTPStatus(S, St, T);
    };
    FHTTP->OnWorkBegin = [this](TObject* S, TWorkMode M, int32_t N) { HTTPWorkBegin(S, M, N); };
    FHTTP->OnWork = [this](TObject* S, TWorkMode M, int32_t N) { HTTPWork(S, M, N); };
    FHTTP->OnWorkEnd = [this](TObject* S, TWorkMode M) { HTTPWorkEnd(S, M); };
    FHTTP->OnIdle = [this](TObject* S) { HTTPIdle(S); };
    FEnabled = true;
    FApplicationName = GetDefaultApplicationName();
    FUpdateURL = DefaultUpdateServer;
    FDownloadSize = 0;
    FCancelled = false;
}

TOrbAutoUpdate::~TOrbAutoUpdate() {
    FTimerThread.reset();
    FHTTP.reset();
    FIOHandler.reset();
}

void TOrbAutoUpdate::SetActive(bool Value) {
    if (Value) {
        if (FTimerThread || !FEnabled)
            return;
        FTimerThread = std::make_unique<TTimerThread>(FMonitorIntervalHours, FTimerClock);
        FTimerThread->OnTimer = [this](TObject* Sender) { TimerThreadTimer(Sender); };
    } else if (FTimerThread) {
        // Cleared first: a check run while the thread is waited for sees no thread.
        std::unique_ptr<TTimerThread> thread = std::move(FTimerThread);
        thread.reset();
    }
}

void TOrbAutoUpdate::LoadSettings() {
    if (!FProgramSettings)
        throw Exception("Property ProgramSettings has not been assigned.");
    TProgramSettings& s = *FProgramSettings;
    FEnabled = s.GetValue("AutoUpdateEnabled").AsBoolean();
    FApplicationName = s.GetValue("AutoUpdateApplication").AsString();
    FAutoUpdate = s.GetValue("AutoUpdateAutomatic").AsBoolean();
    FUpdateURL = s.GetValue("AutoUpdateURL").AsString();
    FHTTPProxy = s.GetValue("AutoUpdateHTTPProxy").AsBoolean();
    FHTTPHost = s.GetValue("AutoUpdateHTTPHost").AsString();
    FHTTPPort = s.GetValue("AutoUpdateHTTPPort").AsInteger();
    FHTTPAuthentication = s.GetValue("AutoUpdateHTTPAuthentication").AsBoolean();
    FHTTPUserName = s.GetValue("AutoUpdateHTTPUserName").AsString();
    FHTTPPassword = s.GetValue("AutoUpdateHTTPPassword").AsString();
    FSocksProxy = s.GetValue("AutoUpdateSOCKSProxy").AsBoolean();
    FSocksHost = s.GetValue("AutoUpdateSOCKSHost").AsString();
    FSocksPort = s.GetValue("AutoUpdateSOCKSPort").AsInteger();
    // A stored version outside the enumeration means no SOCKS proxy.
    const int version = s.GetValue("AutoUpdateSOCKSVersion").AsInteger();
    FSocksVersion = version >= svNoSocks && version <= svSocks5
                        ? static_cast<TSocksVersion>(version)
                        : svNoSocks;
    FSocksAuthentication = s.GetValue("AutoUpdateSOCKSAuthentication").AsBoolean();
    FSocksUserName = s.GetValue("AutoUpdateSOCKSUserName").AsString();
    FSocksPassword = s.GetValue("AutoUpdateSOCKSPassword").AsString();
    FMonitorIntervalHours = s.GetValue("AutoUpdateInterval").AsInteger();
}

void TOrbAutoUpdate::TimerThreadTimer(TObject*) {
    CheckForUpdate();
}

void TOrbAutoUpdate::DoMessage(const std::string& AMessage) {
    if (OnMessage)
        OnMessage(this, AMessage);
}

void TOrbAutoUpdate::DoProgress(const std::string& AMessage, int AProgress) {
    if (OnUpdateProgress)
        OnUpdateProgress(this, AMessage, AProgress, FCancelled);
}

void TOrbAutoUpdate::Failed(const std::string& AMessage) {
    if (OnUpdateFailed)
        OnUpdateFailed(this, AMessage);
    DoMessage(AMessage);
}

// --- HTTP events

void TOrbAutoUpdate::HTTPStatus(TObject*, TIdStatus, const std::string& AStatusText) {
    DoMessage(AStatusText);
}

void TOrbAutoUpdate::HTTPWorkBegin(TObject*, TWorkMode AWorkMode, int32_t AWorkCountMax) {
    if (AWorkMode != wmRead)
        return;
    FDownloadSize = AWorkCountMax;
    DoProgress("Starting Download...", 0);
}

void TOrbAutoUpdate::HTTPWork(TObject*, TWorkMode AWorkMode, int32_t AWorkCount) {
    if (AWorkMode != wmRead)
        return;
    if (FDownloadSize < 1) {
        DoProgress("Recieving...", 0);
    } else {
        const auto percent = static_cast<int>(static_cast<int64_t>(AWorkCount) * 100 /
                                              static_cast<int64_t>(FDownloadSize));
        DoProgress(Format("%d%% (%d of %d Bytes)", percent, static_cast<int>(AWorkCount),
                          static_cast<int>(FDownloadSize)),
                   percent);
    }
    if (FCancelled)
        Cancelling();
}

void TOrbAutoUpdate::HTTPIdle(TObject*) {
    // The transfer runs on the main thread: the program lives on only through this while the
    // server is waited for. A silent server sends no work events, so the cancel is looked at here
    // too; and a program that is ending does not wait for a server.
    Application().ProcessMessages();
    if (Application().Terminated())
        FHTTP->Disconnect();
    else if (FCancelled)
        Cancelling();
}

void TOrbAutoUpdate::Cancelling() {
    DoProgress("Cancelling...", 100);
    DoMessage("Cancelling...");
    FHTTP->Disconnect();
}

void TOrbAutoUpdate::HTTPWorkEnd(TObject*, TWorkMode AWorkMode) {
    if (AWorkMode != wmRead)
        return;
    DoProgress("Complete", 100);
    DoMessage("Complete.");
}

// --- The check

std::string TOrbAutoUpdate::ExtractURLFileName(const std::string& URL) {
    const size_t slash = URL.rfind('/');
    return slash == std::string::npos ? URL : URL.substr(slash + 1);
}

bool TOrbAutoUpdate::IsPlainFileName(const std::string& Name) {
    if (Name.empty() || Name.size() > 200 || Name == "." || Name == "..")
        return false;
    for (unsigned char c : Name)
        // "%" too: the shell expands environment references in the path it opens.
        if (c < 0x20 ||
            std::string_view("<>:\"/\\|?*%").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    if (Name.back() == '.' || Name.back() == ' ')
        return false;
    std::string base = Name.substr(0, Name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* d : devices)
        if (base == d)
            return false;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
        base[3] >= '0' && base[3] <= '9')
        return false;
    return true;
}

bool TOrbAutoUpdate::LoadUpdateDetails(const std::string& FileName, TAutoUpdateDetails& Details) {
    TIniFile ini(FileName);
    if (!SectionHasKeys(FileName, FApplicationName))
        return false;
    TAutoUpdateDetails read;
    uint16_t* const parts[] = {&read.MajorVersion, &read.MinorVersion, &read.ReleaseVersion,
                               &read.Build};
    const char* const keys[] = {"MajorVersion", "MinorVersion", "ReleaseVersion", "Build"};
    for (int i = 0; i < 4; ++i) {
        const std::string text = ini.ReadString(FApplicationName, keys[i], "");
        if (!ReadVersionPart(text, *parts[i])) {
            // Cut to 16 bits it would offer another version than the file names.
            DoMessage(std::string(keys[i]) + "=" + text + " is outside 0 to 65535.");
            return false;
        }
    }
    read.Params = Widen(ini.ReadString(FApplicationName, "Params", ""));
    read.URL = Widen(ini.ReadString(FApplicationName, "URL", ""));
    read.Version = Format("%u.%u.%u.%u", read.MajorVersion, read.MinorVersion, read.ReleaseVersion,
                          read.Build);
    Details = std::move(read);
    return true;
}

bool TOrbAutoUpdate::IsNewerVersion(const TOrbVersionInfo& VersionInfo,
                                    const TAutoUpdateDetails& Details) {
    const uint16_t offered[4] = {Details.MajorVersion, Details.MinorVersion, Details.ReleaseVersion,
                                 Details.Build};
    for (int i = 0; i < 4; ++i) {
        const uint16_t running = VersionInfo.GetVersionPart(i);
        if (offered[i] != running)
            return offered[i] > running;
    }
    return false;
}

void TOrbAutoUpdate::ApplyConnectionSettings() {
    TIdProxyConnectionInfo& proxy = FHTTP->ProxyParams();
    proxy = TIdProxyConnectionInfo();
    if (FHTTPProxy && !FHTTPHost.empty()) {
        proxy.ProxyServer = FHTTPHost;
        proxy.ProxyPort =
            FHTTPPort > 0 && FHTTPPort <= 65535 ? static_cast<uint16_t>(FHTTPPort) : 8080;
        proxy.BasicAuthentication = FHTTPAuthentication;
        proxy.ProxyUsername = FHTTPUserName;
        proxy.ProxyPassword = FHTTPPassword;
    }
    // SOCKS is not spoken: a configured SOCKS proxy makes the connection refuse rather than go
    // around it.
    FIOHandler->SetSocksVersion(FSocksProxy ? FSocksVersion : svNoSocks);
}

bool TOrbAutoUpdate::DownloadFile(const std::wstring& URL, const std::string& FileName,
                                  const TDownloadLimits& Limits) {
    const std::string url = Narrow(URL);
    DoMessage("Downloading: " + url + " to " + FileName);
    FCancelled = false;
    FDownloadError.clear();
    bool result = false;
    TTemporaryFile download(GetTempFile("Orb"));
    bool complete = false;
    {
        TFileStream stream(download.Name(), fmCreate);
        ApplyConnectionSettings();
        FHTTP->SetTransferTimeout(Limits.Timeout);
        FHTTP->SetMaxResponseSize(Limits.MaxSize);
        try {
            FHTTP->Get(url, stream);
            complete = true;
        } catch (const std::exception& e) {
            FDownloadError = e.what();
            DoMessage(e.what());
        } catch (...) {
            FDownloadError = "Unknown error";
            DoMessage("Unknown error");
        }
    }
    DoMessage(FHTTP->Response().ResponseText());
    // Only a whole answer counts: a transfer cut short must never stand as the file.
    if (complete && FHTTP->Response().ResponseCode() == 200 && !FCancelled) {
        DoProgress("Download Complete.", 100);
        const bool existed = FileExists(FileName);
        // Replaced in one step: the old file stays until the new one takes its place.
        if (MoveFileExA(download.Name().c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            download.Release();
            if (existed)
                DoMessage("File " + FileName + " has been removed.");
            result = true;
        } else {
            FDownloadError = "Failed to rename temporary file " + download.Name();
            DoMessage(FDownloadError);
        }
    } else {
        if (FDownloadError.empty())
            FDownloadError = FHTTP->Response().ResponseText();
        DoProgress("Download Failed.", 100);
        if (FCancelled) {
            DoProgress("Download cancelled by user.", 100);
            DoMessage("Download cancelled by user.");
        }
    }
    return result;
}

void TOrbAutoUpdate::CheckForUpdate() {
    // A check runs once at a time: a hand-over arriving while one runs is dropped.
    if (FChecking)
        return;
    FChecking = true;
    const TScopeExit checkingEnd([this] { FChecking = false; });
    TThreadPause pause(FTimerThread);

    FDownloadSize = 0;
    FCancelled = false;
    DoMessage("Update Server: " + FUpdateURL);
    DoMessage("Application: " + FApplicationName);
    TOrbVersionInfo info;
    info.SetActive(true);
    const TScopeExit deactivate([&info] { info.SetActive(false); });
    DoProgress("Checking for updates , please wait...", 0);

    // The local copy's name comes from the address: it must not lead out of the temporary folder.
    const std::string descriptionName = ExtractURLFileName(FUpdateURL);
    if (FUpdateURL.empty() || !IsPlainFileName(descriptionName)) {
        Failed("Invalid AutoUpdate URL, please check your settings.");
        return;
    }
    const std::string description = GetTempFolder() + descriptionName;
    if (FileExists(description))
        DeleteFileA(description.c_str());
    if (!DownloadFile(Widen(FUpdateURL), description, FDescriptionLimits)) {
        DoMessage("Error downloading AutoUpdate information, please check internet connection.");
        return;
    }
    const TScopeExit removeDescription([&description] {
        if (FileExists(description))
            DeleteFileA(description.c_str());
    });

    if (!FileExists(description)) {
        if (OnUpdateFailed)
            OnUpdateFailed(this, Quoted(description) + " does not exists.");
        DoMessage(description + " does not exists.");
        return;
    }
    TAutoUpdateDetails details;
    if (!LoadUpdateDetails(description, details)) {
        Failed("Error loading " + Quoted(FApplicationName) + " update details.");
        return;
    }
    const std::string fileVersion = info.GetItem(3);
    DoMessage("Current Version: " + fileVersion + ", New version: " + details.Version);
    if (!IsNewerVersion(info, details)) {
        DoProgress("Already at latest version", 100);
        if (OnUpdateNotRequired)
            OnUpdateNotRequired(this, FApplicationName, fileVersion);
        DoMessage(FApplicationName + " already at latest version.");
        return;
    }
    const std::string installerURL = Narrow(details.URL);
    const std::string installerName = ExtractURLFileName(installerURL);
    const std::string installer = GetTempFolder() + installerName;
    const std::string params = Narrow(details.Params);
    // What the server names is refused before anything is asked or fetched when it cannot be
    // used as given: a name that is not a plain file name, or a command line the system would
    // cut.
    std::string refused;
    if (!IsPlainFileName(installerName))
        refused = "Invalid file name " + Quoted(installerName) + " in the update address.";
    else if (Quoted(installer).size() + 1 + params.size() >= MaxCommandLine)
        refused = "The installer's parameters are too long (" + std::to_string(params.size()) +
                  " characters; the command line holds at most " +
                  std::to_string(MaxCommandLine - 1) + ").";
    if (!FCancelled && !refused.empty()) {
        DoMessage(refused);
        DoProgress("Download failed.", 100);
        Failed("Failed to download update " + Quoted(installerURL) + ": " + refused);
        return;
    }
    bool startUpdate = false;
    if (!FCancelled) {
        DoProgress("Update Available", 100);
        DoMessage("Update available: " + details.Version);
        startUpdate = FAutoUpdate;
        if (OnUpdateAvailable)
            OnUpdateAvailable(this, FApplicationName, details.Version, fileVersion, startUpdate);
    }
    if (FCancelled || !startUpdate) {
        DoProgress("Download cancelled.", 100);
        Failed("Download cancelled.");
        return;
    }
    DoProgress("Download initializing...", 0);
    if (OnUpdateBegin)
        OnUpdateBegin(this);
    FDownloadSize = 0;
    if (DownloadFile(details.URL, installer)) {
        DoProgress("Download complete.", 100);
        if (OnUpdateComplete)
            OnUpdateComplete(this);
        if (FileExists(installer)) {
            const auto r = reinterpret_cast<INT_PTR>(
                ExecuteFile("open", installer, params, GetProgramFolder(), SW_SHOWNORMAL));
            if (r > 32)
                Application().Terminate();
            else
                Failed("Error executing file,  " + Quoted(installer) +
                       ", Error Code: " + std::to_string(r));
        } else {
            Failed("File not found: " + Quoted(installer));
        }
    } else if (!FCancelled) {
        DoProgress("Download failed.", 100);
        Failed("Failed to download update " + Quoted(installerURL) + ": " + FDownloadError);
    } else {
        DoProgress("Download cancelled.", 100);
        Failed("Download cancelled.");
    }
}

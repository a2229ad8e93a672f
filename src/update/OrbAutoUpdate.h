#pragma once
// The automatic-update component: its settings in the program's settings store, the timer thread
// that hands a due check to the main thread, and the check itself (fetch the update description
// over HTTP, compare versions, ask, download the installer, start it, end the program).
//
//   auto update = std::make_unique<TOrbAutoUpdate>(this);
//   update->OnUpdateAvailable = [](TObject*, std::string app, std::string newVer, std::string,
//                                  bool& start) { start = Ask(app, newVer); };
//   update->SetProgramSettings(&settings);
//   update->LoadSettings();
//   update->SetActive(true);     // a check at once, then every MonitorIntervalHours hours
//
// Everything of the component, every event included, runs on the main thread; the timer thread
// only watches the clock. A transfer never holds that thread: between the slices of every wait the
// program's messages are handled and Cancel, or the program's end, stops it. The events fire only
// when assigned.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gui/Classes.h"
#include "base/Variant.h"
#include "net/IdHTTP.h"
#include "settings/OrbProgramSettings.h"
#include "system/OrbVersionInfo.h"
#include "update/TimerThread.h"

// Where the update description is fetched from unless the settings say otherwise. The host is a
// reserved name that never resolves: the program has no update server of its own yet.
inline constexpr const char* DefaultUpdateURL = "http://update.sundown.invalid/autoupdate.ini";
// The same server alone: the component's address before its settings are loaded.
inline constexpr const char* DefaultUpdateServer = "http://update.sundown.invalid";

// Limits of the update description's download: the file is small, and a check must not be held
// by its server. The whole fetch, connection included, in milliseconds; and its size in bytes.
inline constexpr int DescriptionTimeout = 30000;
inline constexpr int64_t DescriptionMaxSize = 1024 * 1024;
// The longest command line the system passes on whole, its terminating NUL included.
inline constexpr size_t MaxCommandLine = 32767;

// The component's eighteen keys (RegisterUpdateKeys), defaulting to the product name in the
// version resource and to DefaultUpdateURL.
void RegisterAutoUpdateSettings(TProgramSettings& Settings);

// The program's product name from its version resource; the application title if reading the
// resource raises.
std::string GetDefaultApplicationName();

// One application's entry of the update description.
struct TAutoUpdateDetails {
    uint16_t MajorVersion = 0;
    uint16_t MinorVersion = 0;
    uint16_t ReleaseVersion = 0;
    uint16_t Build = 0;
    std::string Version; // "1.0.2.7"
    std::string URL;     // the installer's address
    std::string Params;  // the installer's command line
};

using TOnUpdateAvailable =
    std::function<void(TObject* ASender, std::string AApplicationName, std::string ANewVersion,
                       std::string AOldVersion, bool& AStartUpdate)>;
using TOnUpdateNotRequired =
    std::function<void(TObject* ASender, std::string AApplicationName, std::string AFileVersion)>;
using TOnUpdateBegin = std::function<void(TObject* ASender)>;
using TOnUpdateProgress =
    std::function<void(TObject* ASender, std::string AMessage, int AProgress, bool& ACancel)>;
using TOnUpdateComplete = std::function<void(TObject* ASender)>;
using TOnUpdateFailed = std::function<void(TObject* ASender, std::string AMessage)>;
using TOnUpdateMessage = std::function<void(TObject* ASender, std::string AMessage)>;

// Limits of one download; 0: none.
struct TDownloadLimits {
    int Timeout = 0;          // the whole transfer, in milliseconds
    int64_t MaxSize = 0;      // bytes
    bool RefuseEmpty = false; // an answer without a byte is a failed download
};

class TOrbAutoUpdate : public TObject {
public:
    explicit TOrbAutoUpdate(TObject* AOwner = nullptr);
    // Stops the timer thread (waiting for it) if the owner has not.
    ~TOrbAutoUpdate() override;

    TObject* Owner() const { return FOwner; }

    // The timer thread exists.
    bool Active() const { return FTimerThread != nullptr; }
    void SetActive(bool Value);

    const std::string& UpdateURL() const { return FUpdateURL; }
    void SetUpdateURL(const std::string& Value) { FUpdateURL = Value; }
    const std::string& ApplicationName() const { return FApplicationName; }
    void SetApplicationName(const std::string& Value) { FApplicationName = Value; }
    bool AutoUpdate() const { return FAutoUpdate; }
    void SetAutoUpdate(bool Value) { FAutoUpdate = Value; }
    // Borrowed, never freed here.
    TProgramSettings* ProgramSettings() const { return FProgramSettings; }
    void SetProgramSettings(TProgramSettings* Value) { FProgramSettings = Value; }
    // The HTTP and SOCKS proxy settings, as the HTTP client uses them.
    const TIdConnectionSettings& Connection() const { return FHTTP->Connection(); }
    void SetConnection(TIdConnectionSettings Value) { FHTTP->SetConnection(std::move(Value)); }
    // Hours between checks, taken by the timer thread when it starts.
    int MonitorIntervalHours() const { return FMonitorIntervalHours; }
    void SetMonitorIntervalHours(int Value) { FMonitorIntervalHours = Value; }
    // "AutoUpdateEnabled" as loaded: while false, switching on starts nothing.
    bool Enabled() const { return FEnabled; }

    // The eighteen settings into the properties. Raises "Property ProgramSettings has not been
    // assigned." without settings; an unregistered key raises the store's error.
    void LoadSettings();

    // The whole check (normally run by the timer thread on the main thread).
    void CheckForUpdate();
    // Asks the running transfer and check to stop.
    void Cancel() { FCancelled = true; }
    bool Cancelled() const { return FCancelled; }

    // Reads the entry of ApplicationName from the description file; false when the section is
    // missing or empty, or a version part is a number outside 0 to 65535 (Details then
    // untouched; the reason goes to OnMessage).
    bool LoadUpdateDetails(const std::string& FileName, TAutoUpdateDetails& Details);
    // The offered version is greater than the running program's (major, minor, release, build,
    // compared in that order).
    static bool IsNewerVersion(const TOrbVersionInfo& VersionInfo,
                               const TAutoUpdateDetails& Details);
    // Downloads URL into a temporary file and, when the whole answer arrived with status 200 and
    // no cancel (and, with RefuseEmpty, held a byte), puts it in place of FileName. True when
    // FileName now holds the download; otherwise the reason is kept for the failure's text.
    bool DownloadFile(const std::string& URL, const std::string& FileName,
                      const TDownloadLimits& Limits = {});
    // Everything after the last "/" (all of URL when there is none).
    static std::string ExtractURLFileName(const std::string& URL);
    // The name of the local copy of what URL names: the ExtractURLFileName of URL without its
    // fragment, with each %XX escape decoded; to be judged by IsPlainFileName.
    static std::string LocalFileName(const std::string& URL);
    // A name that can only mean a file in the folder it is appended to: not empty, no path
    // separators, drive letters, wildcards, "%" (environment references) or control characters,
    // not "." or "..", no device name.
    static bool IsPlainFileName(const std::string& Name);

    // The reporting of the check: OnMessage, and OnUpdateProgress with the cancel flag.
    void DoMessage(const std::string& AMessage);
    void DoProgress(const std::string& AMessage, int AProgress);

    // The HTTP client's event handlers.
    void HTTPStatus(TObject* ASender, TIdStatus AStatus, const std::string& AStatusText);
    void HTTPWorkBegin(TObject* ASender, TWorkMode AWorkMode, int32_t AWorkCountMax);
    void HTTPWork(TObject* ASender, TWorkMode AWorkMode, int32_t AWorkCount);
    void HTTPWorkEnd(TObject* ASender, TWorkMode AWorkMode);
    void HTTPIdle(TObject* ASender);

    // Seams for tests: the HTTP client (time-outs), the description's limits, the timer thread's
    // clock (taken when the thread starts) and the running thread.
    TIdHTTP& HTTP() { return *FHTTP; }
    void SetDescriptionLimits(TDownloadLimits Value) { FDescriptionLimits = Value; }
    void SetTimerClock(TTimerClock Value) { FTimerClock = std::move(Value); }
    TTimerThread* TimerThread() const { return FTimerThread.get(); }

    TOnUpdateAvailable OnUpdateAvailable;
    TOnUpdateNotRequired OnUpdateNotRequired;
    TOnUpdateBegin OnUpdateBegin;
    TOnUpdateProgress OnUpdateProgress;
    TOnUpdateComplete OnUpdateComplete;
    TOnUpdateFailed OnUpdateFailed;
    TOnUpdateMessage OnMessage;

private:
    struct TOffer;

    void TimerThreadTimer(TObject* Sender);
    // The steps of the check; each reports its own ending and says whether the check goes on.
    std::string FetchDescription();
    bool JudgeOffer(const std::string& Description, const TOrbVersionInfo& Info, TOffer& Offer);
    bool AskAndDownload(const TOffer& Offer);
    void StartInstaller(const TOffer& Offer);
    // The transfer of DownloadFile into File; false with FDownloadError set when it failed.
    bool Transfer(const std::string& URL, const std::string& File, const TDownloadLimits& Limits);
    std::string NewDownloadFile();
    void Failed(const std::string& AMessage);
    void Cancelling();

    TObject* FOwner;
    bool FCancelled = false;
    std::unique_ptr<TIdHTTP> FHTTP;
    std::unique_ptr<TIdIOHandlerStack> FIOHandler;
    std::string FUpdateURL;
    std::string FApplicationName;
    bool FAutoUpdate = false;
    int32_t FDownloadSize = 0;
    std::unique_ptr<TTimerThread> FTimerThread;
    int FMonitorIntervalHours = 0;
    TProgramSettings* FProgramSettings = nullptr;
    bool FEnabled = true;
    bool FChecking = false;
    std::string FDownloadError; // why the last DownloadFile failed
    TDownloadLimits FDescriptionLimits{DescriptionTimeout, DescriptionMaxSize};
    TTimerClock FTimerClock;
};

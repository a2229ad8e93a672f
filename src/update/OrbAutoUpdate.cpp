#include "update/OrbAutoUpdate.h"

#include <cmath>
#include <cctype>
#include <cstring>
#include <exception>
#include <vector>

#include "gui/Application.h"
#include "base/Assert.h"
#include "base/Convert.h"
#include "base/DateTime.h"
#include "base/Exception.h"
#include "base/FileStream.h"
#include "base/Handles.h"
#include "base/IniFile.h"
#include "base/ScopeExit.h"
#include "base/CutText.h"
#include "base/SystemError.h"
#include "base/WideText.h"
#include "settings/ProgramKeys.h"
#include "system/OrbCommon.h"
#include "system/OrbSystemInfo.h"

namespace {

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

} // namespace

// --- Settings

void RegisterAutoUpdateSettings(TProgramSettings& Settings) {
    RegisterUpdateKeys(Settings, GetDefaultApplicationName(), DefaultUpdateURL);
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
    ASSERT(InMainThread());
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
    ASSERT(InMainThread());
    if (!FProgramSettings)
        throw Exception("Property ProgramSettings has not been assigned.");
    TProgramSettings& s = *FProgramSettings;
    FEnabled = s.GetValue(key::AutoUpdateEnabled).AsBoolean();
    FApplicationName = s.GetValue(key::AutoUpdateApplication).AsString();
    FAutoUpdate = s.GetValue(key::AutoUpdateAutomatic).AsBoolean();
    FUpdateURL = s.GetValue(key::AutoUpdateURL).AsString();
    // Read into one value, handed to the HTTP client also when a key raises: the values read
    // before it count.
    TIdConnectionSettings c = FHTTP->Connection();
    const TScopeExit handOver([&] { FHTTP->SetConnection(c); });
    c.HTTPProxy = s.GetValue(key::AutoUpdateHTTPProxy).AsBoolean();
    c.HTTPHost = s.GetValue(key::AutoUpdateHTTPHost).AsString();
    c.HTTPPort = s.GetValue(key::AutoUpdateHTTPPort).AsInteger();
    c.HTTPAuthentication = s.GetValue(key::AutoUpdateHTTPAuthentication).AsBoolean();
    c.HTTPUserName = s.GetValue(key::AutoUpdateHTTPUsername).AsString();
    c.HTTPPassword = s.GetValue(key::AutoUpdateHTTPPassword).AsString();
    c.SocksProxy = s.GetValue(key::AutoUpdateSOCKSProxy).AsBoolean();
    c.SocksHost = s.GetValue(key::AutoUpdateSOCKSHost).AsString();
    c.SocksPort = s.GetValue(key::AutoUpdateSOCKSPort).AsInteger();
    // A stored version outside the enumeration means no SOCKS proxy.
    const int version = s.GetValue(key::AutoUpdateSOCKSVersion).AsInteger();
    c.SocksVersion = version >= svNoSocks && version <= svSocks5
                         ? static_cast<TSocksVersion>(version)
                         : svNoSocks;
    c.SocksAuthentication = s.GetValue(key::AutoUpdateSOCKSAuthentication).AsBoolean();
    c.SocksUserName = s.GetValue(key::AutoUpdateSOCKSUsername).AsString();
    c.SocksPassword = s.GetValue(key::AutoUpdateSOCKSPassword).AsString();
    FMonitorIntervalHours = s.GetValue(key::AutoUpdateInterval).AsInteger();
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

std::string TOrbAutoUpdate::LocalFileName(const std::string& URL) {
    // The fragment names a place inside what is fetched, and is never sent.
    const std::string name = ExtractURLFileName(URL.substr(0, URL.find('#')));
    std::string decoded;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() &&
            isxdigit(static_cast<unsigned char>(name[i + 1])) &&
            isxdigit(static_cast<unsigned char>(name[i + 2]))) {
            decoded += static_cast<char>(std::stoi(name.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += name[i];
        }
    }
    return decoded;
}

bool TOrbAutoUpdate::IsPlainFileName(const std::string& Name) {
    if (Name.empty() || Name.size() > 200 || Name == "." || Name == "..")
        return false;
    for (unsigned char c : Name)
        // "%" too (one left after decoding): the shell expands environment references in the
        // path it opens.
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
    // COM and LPT with a digit, the superscripts ¹ ² ³ included (the system takes the name as text
    // of the ANSI code page).
    if (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) {
        const std::wstring digit = Widen(base.substr(3));
        if (digit.size() == 1 && ((digit[0] >= L'0' && digit[0] <= L'9') || digit[0] == L'\u00B9' ||
                                  digit[0] == L'\u00B2' || digit[0] == L'\u00B3'))
            return false;
    }
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
            DoMessage(std::string(keys[i]) + "=" + CutText(text) + " is outside 0 to 65535.");
            return false;
        }
    }
    read.Params = ini.ReadString(FApplicationName, "Params", "");
    read.URL = ini.ReadString(FApplicationName, "URL", "");
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

bool TOrbAutoUpdate::Transfer(const std::string& URL, const std::string& File,
                              const TDownloadLimits& Limits) {
    bool complete = false;
    int64_t size = 0;
    {
        TFileStream stream(File, fmCreate);
        FHTTP->SetTransferTimeout(Limits.Timeout);
        FHTTP->SetMaxResponseSize(Limits.MaxSize);
        try {
            FHTTP->Get(URL, stream);
            complete = true;
        } catch (const std::exception& e) {
            FDownloadError = e.what();
            DoMessage(e.what());
        } catch (...) {
            FDownloadError = "Unknown error";
            DoMessage("Unknown error");
        }
        size = stream.Size();
    }
    DoMessage(FHTTP->Response().ResponseText());
    // Only a whole answer counts: a transfer cut short must never stand as the file.
    if (!complete || FHTTP->Response().ResponseCode() != 200) {
        if (FDownloadError.empty())
            FDownloadError = FHTTP->Response().ResponseText();
        return false;
    }
    if (Limits.RefuseEmpty && size == 0) {
        FDownloadError = "The server sent an empty file.";
        DoMessage(FDownloadError);
        return false;
    }
    return true;
}

bool TOrbAutoUpdate::DownloadFile(const std::string& URL, const std::string& FileName,
                                  const TDownloadLimits& Limits) {
    DoMessage("Downloading: " + CutText(URL) + " to " + FileName);
    FCancelled = false;
    FDownloadError.clear();
    TTemporaryFile download(NewDownloadFile());
    if (download.Name().empty() || !Transfer(URL, download.Name(), Limits) || FCancelled) {
        DoProgress("Download Failed.", 100);
        if (FCancelled) {
            DoProgress("Download cancelled by user.", 100);
            DoMessage("Download cancelled by user.");
        }
        return false;
    }
    DoProgress("Download Complete.", 100);
    const bool existed = FileExists(FileName);
    // Replaced in one step: the old file stays until the new one takes its place.
    if (!MoveFileExA(download.Name().c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = GetLastError();
        FDownloadError =
            "Failed to rename temporary file " + download.Name() + ": " + SysErrorMessage(error);
        DoMessage(FDownloadError);
        return false;
    }
    download.Release();
    if (existed)
        DoMessage("File " + FileName + " has been removed.");
    return true;
}

// A new empty file in the temporary folder for a download; empty, with the reason kept, when the
// folder takes none (missing, read-only, or gone since the check began).
std::string TOrbAutoUpdate::NewDownloadFile() {
    std::string folder;
    try {
        folder = GetTempFolder();
        return GetTempFile("Orb");
    } catch (const std::exception& e) {
        if (folder.size() > 1 && folder.back() == '\\')
            folder.pop_back();
        FDownloadError = "cannot create a temporary file in " + folder + ": " + e.what();
        DoMessage(FDownloadError);
        return {};
    }
}

// What the description offers, once judged usable.
struct TOrbAutoUpdate::TOffer {
    TAutoUpdateDetails Details;
    std::string FileVersion; // the running program's
    std::string Installer;   // the local copy of the installer
};

void TOrbAutoUpdate::CheckForUpdate() {
    ASSERT(InMainThread()); // the timer thread hands checks over, never runs one
    // A check runs once at a time: a hand-over arriving while one runs is dropped.
    if (FChecking)
        return;
    FChecking = true;
    const TScopeExit checkingEnd([this] { FChecking = false; });
    TThreadPause pause(FTimerThread);

    FDownloadSize = 0;
    FCancelled = false;
    DoMessage("Update Server: " + CutText(FUpdateURL));
    DoMessage("Application: " + FApplicationName);
    TOrbVersionInfo info;
    info.SetActive(true);
    const TScopeExit deactivate([&info] { info.SetActive(false); });
    DoProgress("Checking for updates , please wait...", 0);

    const std::string description = FetchDescription();
    if (description.empty())
        return;
    const TScopeExit removeDescription([&description] {
        if (FileExists(description))
            DeleteFileA(description.c_str());
    });
    TOffer offer;
    if (JudgeOffer(description, info, offer) && AskAndDownload(offer))
        StartInstaller(offer);
}

// Downloads the update description; its local name, or empty when the check ends here.
std::string TOrbAutoUpdate::FetchDescription() {
    // The local copy's name comes from the address: it must not lead out of the temporary folder.
    const std::string name = LocalFileName(FUpdateURL);
    if (FUpdateURL.empty() || !IsPlainFileName(name)) {
        Failed("Invalid AutoUpdate URL, please check your settings.");
        return {};
    }
    const std::string description = GetTempFolder() + name;
    if (FileExists(description))
        DeleteFileA(description.c_str());
    if (!DownloadFile(FUpdateURL, description, FDescriptionLimits)) {
        DoMessage("Error downloading AutoUpdate information, please check internet connection.");
        return {};
    }
    return description;
}

// Reads the entry and compares versions; true when a newer version is offered and what the server
// names can be used as given (or a cancel stands, which the next step reports).
bool TOrbAutoUpdate::JudgeOffer(const std::string& Description, const TOrbVersionInfo& Info,
                                TOffer& Offer) {
    if (!FileExists(Description)) {
        if (OnUpdateFailed)
            OnUpdateFailed(this, Quoted(Description) + " does not exists.");
        DoMessage(Description + " does not exists.");
        return false;
    }
    if (!LoadUpdateDetails(Description, Offer.Details)) {
        Failed("Error loading " + Quoted(FApplicationName) + " update details.");
        return false;
    }
    Offer.FileVersion = Info.GetItem(3);
    DoMessage("Current Version: " + Offer.FileVersion + ", New version: " + Offer.Details.Version);
    if (!IsNewerVersion(Info, Offer.Details)) {
        DoProgress("Already at latest version", 100);
        if (OnUpdateNotRequired)
            OnUpdateNotRequired(this, FApplicationName, Offer.FileVersion);
        DoMessage(FApplicationName + " already at latest version.");
        return false;
    }
    const std::string name = LocalFileName(Offer.Details.URL);
    Offer.Installer = GetTempFolder() + name;
    // Refused before anything is asked or fetched: a name that is not a plain file name once
    // decoded, or a command line the system would cut.
    std::string refused;
    if (!IsPlainFileName(name))
        refused = "Invalid file name " + Quoted(CutText(ExtractURLFileName(Offer.Details.URL))) +
                  " in the update address.";
    else if (Quoted(Offer.Installer).size() + 1 + Offer.Details.Params.size() >= MaxCommandLine)
        refused = "The installer's parameters are too long (" +
                  std::to_string(Offer.Details.Params.size()) +
                  " characters; the command line holds at most " +
                  std::to_string(MaxCommandLine - 1) + ").";
    if (!FCancelled && !refused.empty()) {
        DoMessage(refused);
        DoProgress("Download failed.", 100);
        Failed("Failed to download update " + Quoted(CutText(Offer.Details.URL)) + ": " + refused);
        return false;
    }
    return true;
}

// Asks whether to update and downloads the installer; true when it stands in the temporary folder.
bool TOrbAutoUpdate::AskAndDownload(const TOffer& Offer) {
    bool startUpdate = false;
    if (!FCancelled) {
        DoProgress("Update Available", 100);
        DoMessage("Update available: " + Offer.Details.Version);
        startUpdate = FAutoUpdate;
        if (OnUpdateAvailable)
            OnUpdateAvailable(this, FApplicationName, Offer.Details.Version, Offer.FileVersion,
                              startUpdate);
    }
    if (FCancelled || !startUpdate) {
        DoProgress("Download cancelled.", 100);
        Failed("Download cancelled.");
        return false;
    }
    DoProgress("Download initializing...", 0);
    if (OnUpdateBegin)
        OnUpdateBegin(this);
    FDownloadSize = 0;
    // An empty installer is never handed to the shell.
    TDownloadLimits limits;
    limits.RefuseEmpty = true;
    if (DownloadFile(Offer.Details.URL, Offer.Installer, limits)) {
        DoProgress("Download complete.", 100);
        if (OnUpdateComplete)
            OnUpdateComplete(this);
        return true;
    }
    if (!FCancelled) {
        DoProgress("Download failed.", 100);
        Failed("Failed to download update " + Quoted(CutText(Offer.Details.URL)) + ": " +
               FDownloadError);
    } else {
        DoProgress("Download cancelled.", 100);
        Failed("Download cancelled.");
    }
    return false;
}

// Starts the installer; the program ends once the check is back in the message loop.
void TOrbAutoUpdate::StartInstaller(const TOffer& Offer) {
    if (!FileExists(Offer.Installer)) {
        Failed("File not found: " + Quoted(Offer.Installer));
        return;
    }
    const auto r = reinterpret_cast<INT_PTR>(ExecuteFile(
        "open", Offer.Installer, Offer.Details.Params, GetProgramFolder(), SW_SHOWNORMAL));
    if (r > 32)
        Application().Terminate();
    else
        Failed("Error executing file,  " + Quoted(Offer.Installer) +
               ", Error Code: " + std::to_string(r));
}

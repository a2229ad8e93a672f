#include "about/frmAboutU.h"

#include <richedit.h>

#include "resource.h"
#include "gui/Application.h"
#include "base/Exception.h"
#include "gui/DragMove.h"
#include "base/Assert.h"
#include "base/FormatDateTime.h"
#include "base/ScopeExit.h"
#include "system/OrbCommon.h"
#include "system/OrbSystemInfo.h"
#include "widgets/JvProgressDialog.h"

TfrmAbout* frmAbout = nullptr;

namespace {

// The version reader's string items the window shows.
constexpr int ItemCompanyName = 1;
constexpr int ItemFileVersion = 3;
constexpr int ItemLegalCopyright = 5;
constexpr int ItemProductName = 8;

const char* const ReportFont = "Arial";

const std::vector<std::string> Credits = {
    "Sundown",
    "-------",
    "",
    "Development",
    "---",
    "Orb Software Workshop : Design and Programming",
    "",
    "Artwork",
    "---",
    "Orb Software Workshop : Pictures and Icons",
    "",
    "Built With",
    "---",
    "www.mingw-w64.org",
    "www.winehq.org",
    "www.imagemagick.org",
    "cmake.org",
    "github.com/google/googletest",
};

std::string CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0)
        return std::string();
    std::string folder(size, '\0');
    const DWORD n = GetCurrentDirectoryA(size, folder.data());
    folder.resize(n < size ? n : 0);
    return folder;
}

// A temporary folder the system refuses (a TMP longer than a path) leaves its line empty rather
// than ending the report there.
std::string TempFolderOrEmpty() {
    try {
        return GetTempFolder();
    } catch (const Exception&) {
        return std::string();
    }
}

} // namespace

void AddRichText(TRichEdit& RichEdit, const std::string& Text, const std::string& FontName,
                 TColor Color, TFontStyle Style, int Size, bool NewLine) {
    const std::string text = NewLine ? Text + "\r\n" : Text;
    // The length counts each paragraph break twice, so it may lie past the end: the control
    // takes that as its end.
    RichEdit.SetSelStart(RichEdit.GetTextLen());
    RichEdit.SetSelLength(0);
    TTextAttributes& attributes = RichEdit.SelAttributes();
    attributes.SetName(FontName);
    attributes.SetColor(Color);
    attributes.SetStyle(Style);
    attributes.SetSize(Size);
    RichEdit.SetSelText(text);
}

// The windows (with the rich-edit library) are made when the window first shows, with everything
// set here.
TfrmAbout::TfrmAbout() : TForm("TfrmAbout") {
    SetCaption("About");
    SetBorderStyle(bsNone);
    SetFont(TFont("Arial", -11));
    SetColor(clBtnFace);
    SetPosition(poDesktopCenter);
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnShow = [this](TObject* Sender) { FormShow(Sender); };

    PageControlMain.SetStyle(tsFlatButtons);
    PageControlMain.SetImages(&ImageListAbout);
    PageControlMain.OnChange = [this](TObject* Sender) { PageControlMainChange(Sender); };
    tabAbout.SetCaption("About");
    tabAbout.SetImageIndex(0);
    tabVersionHistory.SetCaption("Version History");
    tabVersionHistory.SetImageIndex(1);
    tabSystemInformation.SetCaption("System Information");
    tabSystemInformation.SetImageIndex(2);

    lblVersionDetails.SetAutoSize(false);
    lblVersionDetails.SetAlignment(taRightJustify);
    lblVersionDetails.SetTransparent(true);
    lblVersionDetails.SetFont(TFont("Arial", -11));
    lblVersionDetails.SetCaption("0.0.0.0");
    ScrollText.SetFont(TFont("Arial", -11));

    VersionHistory.SetAlignment(taCenter);
    VersionHistory.SetReadOnly(true);
    VersionHistory.SetScrollBars(ssVertical);
    VersionHistory.SetWordWrap(true);
    SystemInformation.SetAlignment(taCenter);
    SystemInformation.SetReadOnly(true);
    SystemInformation.SetScrollBars(ssVertical);
    SystemInformation.SetWordWrap(false);

    SetClientSize(389, 435);

    pnlMain.SetAlign(alClient);
    pnlMain.SetBevelInner(bvLowered);
    pnlMain.SetBorderWidth(5);
    pnlMain.OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                 int Y) { imgAboutMouseDown(Sender, Button, Shift, X, Y); };

    pnlBottom.SetAlign(alBottom);
    pnlBottom.SetHeight(36);
    pnlBottom.SetBevelOuter(bvNone);

    Bevel.SetAlign(alTop);
    Bevel.SetHeight(9);
    Bevel.SetShape(bsTopLine);

    OKBtn.SetBounds(286, 8, 75, 25);
    OKBtn.SetCaption("OK");
    OKBtn.SetDefault(true);
    OKBtn.SetModalResult(mrOk);
    OKBtn.OnClick = [this](TObject* Sender) { OKBtnClick(Sender); };

    PageControlMain.SetAlign(alClient);

    imgAbout.SetBounds(8, 8, 350, 350);
    imgAbout.SetAutoSize(true);
    imgAbout.OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                  int Y) { imgAboutMouseDown(Sender, Button, Shift, X, Y); };

    lblVersionDetails.SetBounds(244, 84, 108, 14);

    ScrollText.SetBounds(8, 280, 350, 65);
    ScrollText.SetAlignment(taCenter);
    ScrollText.SetBackgroundColor(clWhite);
    ScrollText.SetWordWrap(false);
    ScrollText.SetItems(Credits);

    VersionHistory.SetAlign(alClient);
    VersionHistory.SetText("Version 1.0.1.1\r\n---\r\nFirst Release");

    SystemInformation.SetAlign(alClient);
}

// The pictures come with the window; only a window has a place among its siblings.
void TfrmAbout::WindowsCreated() {
    VERIFY(ImageListAbout.AddResourceBitmap(IDB_ABOUTPAGES, RGB(255, 0, 255)) >= 0);
    VERIFY(imgAbout.LoadFromResource(IDB_ABOUT));
    // The picture is the page's background: the label and the credits lie over it.
    SetWindowPos(imgAbout.Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TfrmAbout::~TfrmAbout() {
    // The image list goes before the page control's window.
    PageControlMain.SetImages(nullptr);
}

void TfrmAbout::FormCreate(TObject*) {
    PageControlMain.SetActivePage(&tabAbout);
    const TScopeExit release([this] { FVersionInfo.reset(); });
    FVersionInfo = std::make_unique<TOrbVersionInfo>();
    FVersionInfo->SetActive(true);
    lblVersionDetails.SetCaption(FVersionInfo->GetItem(ItemFileVersion));
    FVersionInfo->SetActive(false);
}

void TfrmAbout::FormShow(TObject*) {
    ScrollText.SetActive(true);
    PageControlMain.SetActivePage(&tabAbout);
}

void TfrmAbout::OKBtnClick(TObject*) {
    SetModalResult(mrOk);
}

void TfrmAbout::imgAboutMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button != mbLeft)
        return;
    DragMove(Handle());
}

void TfrmAbout::PageControlMainChange(TObject*) {
    if (PageControlMain.ActivePage() == &tabSystemInformation)
        GatherSystemInformation();
}

void TfrmAbout::GatherSystemInformation() {
    // The build handles messages on its way, so the page can be selected again meanwhile: that
    // selection finds the report under way and leaves it to finish.
    if (FGathering)
        return;
    FGathering = true;
    const TScopeExit gatheringEnd([this] { FGathering = false; });

    TJvProgressDialog dialog(this);
    dialog.SetShowCancel(false);
    dialog.SetCaption("System Information");
    dialog.SetSmooth(true);
    dialog.SetText("Gathering System Information...");
    dialog.Show();
    Application().ProcessMessages();
    Sleep(1000);
    const TScopeExit dialogClose([&dialog] { dialog.Hide(); });

    TRichEdit& report = SystemInformation;
    auto title = [&](const std::string& Text) {
        AddRichText(report, Text, ReportFont, clRed, fsBold, 14, true);
    };
    auto heading = [&](const std::string& Text) {
        AddRichText(report, Text, ReportFont, clNavy, fsBold, 12, true);
    };
    auto body = [&](const std::string& Text) {
        AddRichText(report, Text, ReportFont, clWindowText, fsNone, 8, true);
    };

    report.Clear();
    dialog.SetPosition(5);

    title("System Information");
    body("");
    heading("Application Details");
    body("---");
    {
        TOrbVersionInfo versionInfo;
        versionInfo.SetActive(true);
        body("Program Folder: " + GetProgramFolder());
        body("Working Folder: " + CurrentDirectory());
        body("Product: " + versionInfo.GetItem(ItemProductName));
        body("Company: " + versionInfo.GetItem(ItemCompanyName));
        body("Version: " + versionInfo.GetItem(ItemFileVersion));
        body("Copyright: " + versionInfo.GetItem(ItemLegalCopyright));
        versionInfo.SetActive(false);
    }
    body("");

    dialog.SetPosition(10);
    heading("System Details");
    body("---");
    const std::string vendor = GetCPUVendor();
    const std::string identifier = GetCPUIdentifier();
    const std::string speed = GetCPUSpeed();
    body("CPU: " + vendor + " " + identifier + " " + speed);
    body("OS: " + GetOSName());
    body("IE: " + GetIEVersion());
    body("Uptime: " + GetUptime());
    body("System Date: " + FormatDateTime("ddd dd, mmmm, yyyy", Now()));
    body("System Time: " + FormatDateTime("hh:nn:ss AM/PM", Now()));
    body("Default Language: " + GetDefaultLanguage());
    body("Memory Load: " + GetMemoryLoad() + "%");
    body("Total Physical Memory: " + GetTotalPhysicalMemory() + "Mb");
    body("Free Physical Memory: " + GetFreePhysicalMemory() + "Mb");
    body("Total Page File Memory: " + GetTotalPageFileMemory() + "Mb");
    body("Free Page File Memory: " + GetFreePageFileMemory() + "Mb");
    body("Total Virtual Memory: " + GetTotalVirtualMemory() + "Mb");
    body("Free Virtual Memory: " + GetFreeVirtualMemory() + "Mb");
    body("Windows Folder: " + GetWindowsFolder());
    body("System Folder: " + GetSystemFolder());
    body("Temp Folder: " + TempFolderOrEmpty());
    body(std::string("Network: ") + (HasNetwork() ? "True" : "False"));
    body(std::string("Sound Card: ") + (HasSoundCard() ? "True" : "False"));
    body("");

    // Each list is asked for only once its heading stands in the report.
    auto listBlock = [&](int Progress, const std::string& Name, bool Dashes, auto List) {
        dialog.SetPosition(Progress);
        heading(Name);
        if (Dashes)
            body("---");
        body(List().Text());
        body("");
    };
    listBlock(20, "Shell Folders", false, [] { return GetShellFolders(); });
    listBlock(30, "Drive Details", true, [] { return GetDriveList(); });
    listBlock(40, "Printer Details", true, []() -> const TStringList& { return GetPrinterList(); });
    listBlock(50, "Modem Details", true, [] { return GetModemList(); });
    listBlock(60, "Active Processes", true, [] { return GetWindowList(true); });
    listBlock(70, "Installed Software", true, [] { return GetInstalledSoftware(); });

    dialog.SetPosition(90);
    report.SetSelStart(0);
    report.SetSelLength(0);
    report.Perform(EM_SCROLLCARET, 0, 0);
    dialog.SetPosition(100);
}

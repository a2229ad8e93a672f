#include "update/frmAutoUpdateU.h"

#include "resource.h"
#include "gui/Application.h"
#include "gui/Dialogs.h"
#include "base/Assert.h"
#include "base/Exception.h"

// The windows are made when an update first shows the window; everything set here reaches them
// then, and a caller's values set meanwhile are kept.
TfrmAutoUpdate::TfrmAutoUpdate(TForm* AOwner) : TForm("TfrmAutoUpdate"), FOwner(AOwner) {
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetCaption("Autoupdate");
    SetPosition(poOwnerFormCenter);
    SetColor(clBtnFace);
    SetFont(TFont("Arial", -11));
    lblCopyright.SetFont(TFont("Small Fonts", -8));

    ActionCancel.SetCaption("Cancel");
    ActionCancel.OnExecute = [this](TObject* Sender) { ActionCancelExecute(Sender); };

    SetClientSize(264, 128);

    pnlMain.SetAlign(alClient);
    pnlMain.SetBevelInner(bvRaised);
    pnlMain.SetBevelOuter(bvLowered);
    pnlMain.SetBevelKind(bkTile);

    lblStatus.SetBounds(14, 35, 0, 0);
    lblStatus.SetCaption("Please Wait...");

    imgMain.SetAlign(alTop);
    imgMain.SetAutoSize(true);

    lblCopyright.SetBounds(14, 93, 0, 0);
    lblCopyright.SetCaption("(c) The Sundown authors");

    btnCancel.SetBounds(162, 83, 75, 25);
    btnCancel.SetAction(&ActionCancel);
    btnCancel.SetTabOrder(0);

    ProgressBar.SetBounds(14, 55, 220, 17);
    ProgressBar.SetSmooth(true);
    ProgressBar.SetTabOrder(1);

    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    DoCreate();
}

// The pictures come with the window.
void TfrmAutoUpdate::WindowsCreated() {
    VERIFY(imgMain.LoadFromResource(IDB_AUTOUPDATE));
    VERIFY(btnCancel.LoadGlyphFromResource(IDB_AUTOUPDATECANCEL));
}

TfrmAutoUpdate::~TfrmAutoUpdate() {
    if (FAutoUpdate)
        DoDestroy();
}

void TfrmAutoUpdate::FormCreate(TObject*) {
    if (FAutoUpdate)
        return; // already created (the form may be made through the application as well)
    FAutoUpdate = std::make_unique<TOrbAutoUpdate>(this);
    TOrbAutoUpdate& u = *FAutoUpdate;
    u.OnUpdateAvailable = [this](TObject* S, std::string App, std::string NewVersion,
                                 std::string OldVersion, bool& Start) {
        AutoUpdateUpdateAvailable(S, App, NewVersion, OldVersion, Start);
    };
    u.OnUpdateBegin = [this](TObject* S) { AutoUpdateUpdateBegin(S); };
    u.OnUpdateProgress = [this](TObject* S, std::string Message, int Progress, bool& Cancel) {
        AutoUpdateUpdateProgress(S, Message, Progress, Cancel);
    };
    u.OnUpdateComplete = [this](TObject* S) { AutoUpdateUpdateComplete(S); };
    u.OnUpdateFailed = [this](TObject* S, std::string Message) {
        AutoUpdateUpdateFailed(S, Message);
    };
    u.OnMessage = [this](TObject* S, std::string Message) { AutoUpdateMessage(S, Message); };
}

void TfrmAutoUpdate::FormDestroy(TObject*) {
    if (!FAutoUpdate)
        return;
    FAutoUpdate->SetActive(false);
    std::unique_ptr<TOrbAutoUpdate> component = std::move(FAutoUpdate);
    component.reset();
}

bool TfrmAutoUpdate::AutoUpdateEnabled() const {
    return FAutoUpdate && FAutoUpdate->Active();
}

void TfrmAutoUpdate::SetAutoUpdateEnabled(bool Value) {
    if (!FProgramSettings)
        throw Exception("TfrmAutoUpdate: Property \"ProgramSettings\" has not been assigned.");
    if (!FAutoUpdate || Value == FAutoUpdate->Active())
        return;
    if (Value) {
        FAutoUpdate->SetProgramSettings(FProgramSettings);
        FAutoUpdate->LoadSettings();
        FAutoUpdate->SetActive(true);
    } else {
        FAutoUpdate->SetActive(false);
        FAutoUpdate->SetProgramSettings(nullptr);
    }
}

void TfrmAutoUpdate::ActionCancelExecute(TObject*) {
    if (FAutoUpdate)
        FAutoUpdate->Cancel();
}

void TfrmAutoUpdate::AutoUpdateUpdateAvailable(TObject*, const std::string& AApplicationName,
                                               const std::string& ANewVersion, const std::string&,
                                               bool& AStartUpdate) {
    // A program that is ending asks nothing: a box would hold it up.
    if (Application().Terminated()) {
        AStartUpdate = false;
        return;
    }
    const std::string text = "Version " + ANewVersion + " of \"" + AApplicationName +
                             "\" is available, would you like to update now?";
    AStartUpdate = MessageDlg(text, mtInformation, mbYes | mbNo, 0) == mrYes;
}

void TfrmAutoUpdate::AutoUpdateUpdateBegin(TObject*) {
    Show();
    BringToFront();
}

void TfrmAutoUpdate::AutoUpdateUpdateProgress(TObject*, const std::string& AMessage, int AProgress,
                                              bool& ACancel) {
    UpdateStatus(AMessage, AProgress, ACancel);
}

void TfrmAutoUpdate::AutoUpdateUpdateComplete(TObject*) {
    Hide();
}

void TfrmAutoUpdate::AutoUpdateUpdateFailed(TObject*, const std::string& AMessage) {
    Hide();
    if (!Application().Terminated())
        MessageDlg(AMessage, mtError, mbOK, 0);
}

void TfrmAutoUpdate::AutoUpdateMessage(TObject* ASender, const std::string& AMessage) {
    if (OnUpdateMessage)
        OnUpdateMessage(ASender, AMessage);
}

void TfrmAutoUpdate::UpdateStatus(const std::string& AMessage, int AProgress, bool&) {
    lblStatus.SetCaption(AMessage);
    ProgressBar.SetPosition(AProgress);
    // The transfer runs on this thread: the window (and its Cancel) live only through this.
    Application().ProcessMessages();
}

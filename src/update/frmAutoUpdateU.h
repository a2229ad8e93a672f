#pragma once
// TfrmAutoUpdate: the update's small borderless progress window, owner of the update component.
// It asks Yes/No when a newer version is offered, shows itself with a status line, a progress
// bar and Cancel while the installer downloads, and shows failures in an error box.
//
//   frmAutoUpdate = std::make_unique<TfrmAutoUpdate>(this);   // hidden, component inactive
//   frmAutoUpdate->SetProgramSettings(FSettings.get());
//   frmAutoUpdate->SetAutoUpdateEnabled(true);                // loads the settings, starts
#include <memory>

#include "gui/Action.h"
#include "gui/BitBtn.h"
#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/Label.h"
#include "gui/Panel.h"
#include "gui/ProgressBar.h"
#include "update/OrbAutoUpdate.h"

class TfrmAutoUpdate : public TForm {
public:
    // Builds the window (hidden) and runs FormCreate; AOwner: the window it is centred over.
    explicit TfrmAutoUpdate(TForm* AOwner = nullptr);
    // Runs FormDestroy when it has not run yet.
    ~TfrmAutoUpdate() override;

    TForm* Owner() const { return FOwner; }

    // The component's Active. Setting it raises when ProgramSettings is not assigned.
    bool AutoUpdateEnabled() const;
    void SetAutoUpdateEnabled(bool Value);
    // Borrowed from the main window; never freed here.
    TProgramSettings* ProgramSettings() const { return FProgramSettings; }
    void SetProgramSettings(TProgramSettings* Value) { FProgramSettings = Value; }
    // Every log line of the component, with the component as sender.
    TOnUpdateMessage OnUpdateMessage;

    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void ActionCancelExecute(TObject* Sender);

    // The component (tests).
    TOrbAutoUpdate* Updater() const { return FAutoUpdate.get(); }

    TPanel pnlMain{this};
    TLabel lblStatus{&pnlMain};
    TImage imgMain{&pnlMain};
    TLabel lblCopyright{&pnlMain};
    TBitBtn btnCancel{&pnlMain};
    TProgressBar ProgressBar{&pnlMain};
    TActionList ActionListMain;
    TAction ActionCancel{&ActionListMain};

protected:
    void WindowsCreated() override;

private:
    void AutoUpdateUpdateAvailable(TObject* ASender, const std::string& AApplicationName,
                                   const std::string& ANewVersion, const std::string& AOldVersion,
                                   bool& AStartUpdate);
    void AutoUpdateUpdateBegin(TObject* ASender);
    void AutoUpdateUpdateProgress(TObject* ASender, const std::string& AMessage, int AProgress,
                                  bool& ACancel);
    void AutoUpdateUpdateComplete(TObject* ASender);
    void AutoUpdateUpdateFailed(TObject* ASender, const std::string& AMessage);
    void AutoUpdateMessage(TObject* ASender, const std::string& AMessage);
    void UpdateStatus(const std::string& AMessage, int AProgress, bool& ACancel);

    TForm* FOwner;
    std::unique_ptr<TOrbAutoUpdate> FAutoUpdate;
    TProgramSettings* FProgramSettings = nullptr;
};

#pragma once
// TfrmAbout: the About box. A borderless window, centred on the desktop, whose pages are chosen
// by flat buttons: "About" (picture, file version, credits scrolling upward without end),
// "Version History" (fixed text) and "System Information" (a report of the program and the
// machine, built anew each time the user selects that page).
//
//   Application().CreateForm(frmAbout);   // once, after the options window
//   frmAbout->ShowModal();                // the About action; OK ends the run with mrOk
//
// Each showing opens on the About page and starts the credits from below their lower edge; the
// last report stays until the page is selected again. A press of the left button on the picture
// or on the frame around the pages drags the window.
#include <memory>
#include <string>

#include "gui/Bevel.h"
#include "gui/Button.h"
#include "gui/Form.h"
#include "gui/Image.h"
#include "gui/ImageList.h"
#include "gui/Label.h"
#include "gui/PageControl.h"
#include "gui/Panel.h"
#include "gui/RichEdit.h"
#include "system/OrbVersionInfo.h"
#include "widgets/JvScrollText.h"

class TfrmAbout : public TForm {
public:
    TfrmAbout();
    ~TfrmAbout() override;

    void PageControlMainChange(TObject* Sender);
    void OKBtnClick(TObject* Sender);
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void imgAboutMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    TPanel pnlMain{this};
    TPanel pnlBottom{&pnlMain};
    TPageControl PageControlMain{&pnlMain};
    TTabSheet tabAbout{&PageControlMain};
    TTabSheet tabVersionHistory{&PageControlMain};
    TImage imgAbout{&tabAbout};
    TLabel lblVersionDetails{&tabAbout};
    TJvScrollText ScrollText{&tabAbout};
    TButton OKBtn{&pnlBottom};
    TRichEdit VersionHistory{&tabVersionHistory};
    TBevel Bevel{&pnlBottom};
    TImageList ImageListAbout{20, 20};
    TTabSheet tabSystemInformation{&PageControlMain};
    TRichEdit SystemInformation{&tabSystemInformation};

    // True while the report is being built.
    bool Gathering() const { return FGathering; }

protected:
    void WindowsCreated() override;

private:
    void GatherSystemInformation();

    // Holds a version reader only while FormCreate runs.
    std::unique_ptr<TOrbVersionInfo> FVersionInfo;
    bool FGathering = false;
};

extern TfrmAbout* frmAbout;

// Appends Text (and CR LF when NewLine) at the end of RichEdit in the given face, colour,
// styles and size (points); the paragraphs keep the control's alignment.
void AddRichText(TRichEdit& RichEdit, const std::string& Text, const std::string& FontName,
                 TColor Color, TFontStyle Style, int Size, bool NewLine);

// Shows the About window for a look by hand or a screenshot:
//   about_preview.exe [page [seconds]]     page 0 About, 1 Version History, 2 System Information
// The page is selected as the user does it (so page 2 builds the report); the window closes
// by itself after the given seconds (default 10).
#include <windows.h>

#include <cstdlib>

#include "about/frmAboutU.h"
#include "gui/Application.h"
#include "gui/Timer.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int page = __argc > 1 ? std::atoi(__argv[1]) : 0;
    const int seconds = __argc > 2 ? std::atoi(__argv[2]) : 10;
    Application().SetTitle("Sundown");
    TForm* mainForm = nullptr;
    Application().CreateForm(mainForm, "TfrmSundown");
    Application().CreateForm(frmAbout);
    TTimer select;
    select.SetInterval(300);
    select.OnTimer = [&](TObject*) {
        select.SetEnabled(false);
        if (TTabSheet* sheet = frmAbout->PageControlMain.Pages(page); sheet && page > 0) {
            const RECT r = frmAbout->PageControlMain.TabRect(page);
            const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            PostMessageA(frmAbout->PageControlMain.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageA(frmAbout->PageControlMain.Handle(), WM_LBUTTONUP, 0, at);
        }
    };
    TTimer close;
    close.SetInterval(static_cast<unsigned>(seconds) * 1000);
    close.OnTimer = [&](TObject*) { frmAbout->SetModalResult(mrOk); };
    frmAbout->ShowModal();
    Application().DestroyForms();
    return 0;
}

// The program's entry: one copy per session, the windows in their order, the message loop.
#include <windows.h>

#include "about/frmAboutU.h"
#include "base/Handles.h"
#include "gui/Application.h"
#include "scheduler/frmExitConfimU.h"
#include "scheduler/frmOptionsU.h"
#include "scheduler/frmSundownU.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The name exists as long as this copy runs: held until the program ends.
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, "Sundown"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another copy runs (hidden in the tray, too): have it show its window, and end.
        SendMessageA(FindWindowA("TfrmSundown", nullptr), WM_INSTANCECOMMAND, icShow, 0);
        return 0;
    }

    Application().SetTitle("Sundown");
    // A failure while the windows are made, or one that escapes the loop, is shown and ends the
    // program with a failure code.
    return Application().RunGuarded([] {
        Application().CreateForm(frmSundown);
        Application().CreateForm(frmExitConfirm);
        Application().CreateForm(frmOptions);
        Application().CreateForm(frmAbout);
        Application().Run();
        Application().DestroyForms();
    });
}

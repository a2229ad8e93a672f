// The program's entry: one copy per session, the windows in their order, the message loop.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "about/frmAboutU.h"
#include "gui/Application.h"
#include "scheduler/frmExitConfimU.h"
#include "scheduler/frmOptionsU.h"
#include "scheduler/frmSundownU.h"

namespace {

struct THandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using TMutexHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, THandleCloser>;

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The name exists as long as this copy runs: held until the program ends.
    TMutexHandle mutex(CreateMutexA(nullptr, FALSE, "Sundown"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another copy runs (hidden in the tray, too): have it show its window, and end.
        SendMessageA(FindWindowA("TfrmSundown", nullptr), WM_INSTANCECOMMAND, icShow, 0);
        return 0;
    }

    Application().SetTitle("Sundown");
    Application().CreateForm(frmSundown);
    Application().CreateForm(frmExitConfirm);
    Application().CreateForm(frmOptions);
    Application().CreateForm(frmAbout);
    Application().Run();
    Application().DestroyForms();
    return 0;
}

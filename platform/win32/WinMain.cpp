// The program's entry point: runs the application object that static initialisation built.
#include <windows.h>

#include "platform/Framework.h"
#include "platform/win32/SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Run elevated from a folder anyone may write to, the program must never load a DLL from
    // there.
    RestrictDllSearch();
    CWinApp* app = CWinApp::Current();
    if (app == nullptr) {
        return 1;
    }
    // The whole program runs inside InitInstance; its FALSE only says there is no message loop
    // to run afterwards.
    app->InitInstance();
    return app->GetExitCode();
}

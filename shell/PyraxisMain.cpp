// Entry point of Pyraxis. The application object arrives with the application shell;
// until then the program only says that it is not ready and ends.
#include "framework/MessageBoxHook.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SetMessageBoxDefaultCaption("Pyraxis");
    AfxMessageBox("Pyraxis is under construction: the main window is not available yet.",
                  MB_OK | MB_ICONINFORMATION);
    return 0;
}

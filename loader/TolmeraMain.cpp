// Entry point of Tolmera. The loader wizard arrives with its own work; until then the
// program only says that it is not ready and ends.
#include "framework/MessageBoxHook.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    SetMessageBoxDefaultCaption("Tolmera");
    AfxMessageBox("Tolmera is under construction: the loader wizard is not available yet.",
                  MB_OK | MB_ICONINFORMATION);
    return 0;
}

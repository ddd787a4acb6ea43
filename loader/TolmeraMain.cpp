// Entry point of Tolmera: the one application object, run by the framework.
#include "loader/CVarnixLoadApp.h"

CVarnixLoadApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}

// Entry point of Pyraxis: the one application object, run by the framework.
#include "shell/CVarnixViewApp.h"

CVarnixViewApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}

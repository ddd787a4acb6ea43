// Every text of both programs' windows fits its control: each dialog, property page and
// wizard page of pyraxis.exe and tolmera.exe opened from the programs' own resources, with
// its texts measured in the control's font; then the texts that only the running program
// puts in (port names, the question before programming, the Ostrel's channel summaries)
// in the windows that show them. A screenshot of every window goes to build/screenshots
// (texts_fit_*).
#include <gtest/gtest.h>

#include "tests/support/ControlTextFit.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testing_support;


namespace {

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

BOOL CALLBACK AddDialogId(HMODULE, LPCSTR, LPSTR name, LONG_PTR user)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<WORD>*>(user)->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// A visible top-level window that holds a page template as the sheet holds it.
class Host
{
public:
    Host()
    {
        WNDCLASSA type = {};
        type.lpfnWndProc = ::DefWindowProcA;
        type.hInstance = ::GetModuleHandleA(nullptr);
        type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        type.lpszClassName = "TextsFitHost";
        ::RegisterClassA(&type);
        m_window = ::CreateWindowExA(0, "TextsFitHost", "Texts fit", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                     nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }
    ~Host() { ::DestroyWindow(m_window); }
    HWND Window() const { return m_window; }

private:
    HWND m_window = nullptr;
};

void Pump()
{
    MSG message;
    for (int i = 0; i < 1000 && ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// Opens every dialog template of the program, checks its texts and saves its picture;
// returns what did not fit, each line named by the program and the template's id.
std::vector<std::string> CutTextsOfEveryDialog(const std::string& program, int* opened)
{
    std::vector<std::string> cut;
    HMODULE module = ::LoadLibraryExA(BuildPath(program + ".exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return {program + ".exe: not loaded, error " + std::to_string(::GetLastError())};
    std::vector<WORD> ids;
    ::EnumResourceNamesA(module, RT_DIALOG, AddDialogId, reinterpret_cast<LONG_PTR>(&ids));
    Host host;
    for (WORD id : ids)
    {
        const std::string name = program + " dialog " + std::to_string(id);
        HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
        const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(module, found)));
        HWND dialog = ::CreateDialogIndirectParamA(module, dialogTemplate, host.Window(), QuietDialog, 0);
        if (dialog == nullptr)
        {
            cut.push_back(name + ": not opened, error " + std::to_string(::GetLastError()));
            continue;
        }
        ++*opened;
        HWND shown = dialog;
        if (::GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD)
        {
            // A page: the host takes its size, as the sheet's page area does.
            RECT rect = {};
            ::GetWindowRect(dialog, &rect);
            ::SetWindowPos(host.Window(), HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_SHOWWINDOW);
            ::SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            shown = host.Window();
        }
        else
        {
            ::SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        }
        ::EnableWindow(dialog, TRUE);
        ::ShowWindow(dialog, SW_SHOW);
        ::UpdateWindow(shown);
        Pump();
        for (const std::string& line : CutTexts(dialog))
            cut.push_back(name + ": " + line);
        Screenshot::OfWindow(shown).Save("texts_fit_" + program + "_" + std::to_string(id));
        ::DestroyWindow(dialog);
    }
    ::FreeLibrary(module);
    return cut;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

TEST(TextsFit, EveryDialogOfBothProgramsFromTheirResources)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&controls));
    for (const std::string program : {"pyraxis", "tolmera"})
    {
        int opened = 0;
        const std::vector<std::string> cut = CutTextsOfEveryDialog(program, &opened);
        EXPECT_TRUE(cut.empty()) << Lines(cut);
        // Both programs have dialogs: a resource listing that found none would pass anything.
        EXPECT_LT(0, opened) << program;
    }
}

} // namespace

#include "framework/MessageBoxHook.h"

#include "framework/CString.h"

#include <atomic>
#include <string>

namespace {

int RealMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return ::MessageBoxA(owner, text, caption, type);
}

std::atomic<MessageBoxHandler> g_handler{&RealMessageBox};
std::string g_defaultCaption;

std::string ModuleFileTitle()
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

} // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return g_handler.exchange(handler ? handler : &RealMessageBox);
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return g_handler.load()(owner, text ? text : "", caption ? caption : GetMessageBoxDefaultCaption(), type);
}

void SetMessageBoxDefaultCaption(const char* caption)
{
    g_defaultCaption = caption ? caption : "";
}

const char* GetMessageBoxDefaultCaption()
{
    if (g_defaultCaption.empty())
        g_defaultCaption = ModuleFileTitle();
    return g_defaultCaption.c_str();
}

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/)
{
    // Owned by the active window of this thread, as a modal box of the application.
    HWND owner = ::GetActiveWindow();
    return ShowMessageBox(owner, text, nullptr, type);
}

int AfxMessageBox(UINT idPrompt, UINT type, UINT helpId)
{
    CString text;
    text.LoadString(idPrompt);
    return AfxMessageBox(text, type, helpId == (UINT)-1 ? idPrompt : helpId);
}

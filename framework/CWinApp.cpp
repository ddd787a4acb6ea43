#include <winsock2.h>

#include "framework/CWinApp.h"
#include "framework/CCmdUI.h"
#include "framework/CDC.h"
#include "framework/CDocManager.h"
#include "framework/CException.h"
#include "framework/CGdiObject.h"
#include "framework/CImageList.h"
#include "framework/CMenu.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageBoxHook.h"
#include "framework/ResourceHandle.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
END_MESSAGE_MAP()

namespace
{
CWinApp* g_application = nullptr;

char* DuplicateText(const char* text)
{
    return text != nullptr ? _strdup(text) : nullptr;
}

// The copy is made first: the new text may be the old one or a part of it.
void ReplaceText(LPCTSTR& member, const char* text)
{
    char* copy = DuplicateText(text);
    std::free(const_cast<char*>(member));
    member = copy;
}

void ReportUncaught(const char* where, const char* what)
{
    char text[512];
    std::snprintf(text, sizeof text, "%s stopped an exception: %s\n", where, what);
    ::OutputDebugStringA(text);
}

// Splits a command line into words at blanks outside double quotes; the quotes go.
std::vector<std::string> SplitCommandLine(const char* commandLine)
{
    std::vector<std::string> words;
    std::string word;
    bool inQuotes = false;
    bool inWord = false;
    for (const char* p = commandLine; *p != '\0'; ++p)
    {
        if (*p == '"')
        {
            inQuotes = !inQuotes;
            inWord = true;
        }
        else if ((*p == ' ' || *p == '\t') && !inQuotes)
        {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        }
        else
        {
            word += *p;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

std::string ToHex(const BYTE* data, UINT size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (UINT index = 0; index < size; ++index)
    {
        text += digits[data[index] >> 4];
        text += digits[data[index] & 0x0F];
    }
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
}  // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    g_application = this;
    m_bAutoDelete = FALSE;  // a static object, never deleted by the framework
    m_pszAppName = DuplicateText(lpszAppName);
    m_hInstance = ::GetModuleHandle(nullptr);
    SetCurrentHandles();
}

CWinApp::~CWinApp()
{
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    for (LPCTSTR* text : { &m_pszAppName, &m_pszExeName, &m_pszHelpFilePath, &m_pszProfileName,
                           &m_pszRegistryKey })
        ReplaceText(*text, nullptr);
    if (g_application == this)
        g_application = nullptr;
}

void CWinApp::SetCurrentHandles()
{
    char modulePath[MAX_PATH] = "";
    ::GetModuleFileNameA(m_hInstance, modulePath, MAX_PATH);
    const char* fileName = std::strrchr(modulePath, '\\');
    fileName = fileName != nullptr ? fileName + 1 : modulePath;
    std::string title = fileName;
    const size_t dot = title.rfind('.');
    if (dot != std::string::npos)
        title.erase(dot);

    if (m_pszExeName == nullptr)
        m_pszExeName = DuplicateText(title.c_str());
    if (m_pszHelpFilePath == nullptr)
    {
        std::string help = modulePath;
        const size_t helpDot = help.rfind('.');
        if (helpDot != std::string::npos && helpDot > help.rfind('\\'))
            help.erase(helpDot);
        help += ".HLP";
        m_pszHelpFilePath = DuplicateText(help.c_str());
    }
    if (m_pszAppName == nullptr)
    {
        CString name;
        if (name.LoadString(AFX_IDS_APP_TITLE) && !name.IsEmpty())
            m_pszAppName = DuplicateText(name);
        else
            m_pszAppName = DuplicateText(m_pszExeName);
    }
    if (m_pszProfileName == nullptr)
        m_pszProfileName = DuplicateText((std::string(m_pszExeName) + ".INI").c_str());
}

// --- Run -------------------------------------------------------------------------------

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

BOOL CWinApp::PumpMessage()
{
    if (!::GetMessage(&m_msgCur, nullptr, 0, 0))
        return FALSE;   // WM_QUIT
    BOOL translated = FALSE;
    try
    {
        translated = PreTranslateMessage(&m_msgCur);
    }
    catch (CException* e)
    {
        char text[256] = "framework exception";
        e->GetErrorMessage(text, sizeof text);
        ReportUncaught("Message translation", text);
        e->Delete();
        translated = TRUE;
    }
    catch (const std::exception& e)
    {
        ReportUncaught("Message translation", e.what());
        translated = TRUE;
    }
    if (!translated)
    {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessage(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinApp::IsIdleMessage(const MSG* pMsg)
{
    // Mouse moves that do not move, paints and the caret's blink timer come all the
    // time; they must not restart the idle work.
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE)
    {
        const bool same = pMsg->message == m_lastIdleCheck.message && pMsg->pt.x == m_lastIdleCheck.pt.x &&
                          pMsg->pt.y == m_lastIdleCheck.pt.y;
        m_lastIdleCheck = *pMsg;
        return !same;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118 /* the caret's system timer */;
}

namespace {
// The system makes WM_PAINT only once no posted message waits; a look for paints alone
// takes them out ahead of those. A range filter alone would not do: Wine then hands out a
// pending WM_QUIT too, and the loop would never end. Bounded, as a window that never
// validates itself is painted again.
void PaintWaitingWindows()
{
    MSG paint;
    for (int painted = 0; painted < 256 && ::PeekMessage(&paint, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT);
         ++painted) {
        if (paint.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(paint.wParam));
            return;
        }
        ::DispatchMessage(&paint);
    }
}
} // namespace

int CWinApp::Run()
{
    BOOL idle = TRUE;
    LONG idleCount = 0;
    for (;;)
    {
        while (idle && !::PeekMessage(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(idleCount++))
                idle = FALSE;
        }
        DWORD busySince = ::GetTickCount();
        do
        {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur))
            {
                idle = TRUE;
                idleCount = 0;
            }
            if (::GetTickCount() - busySince >= kPaintTurnMs)
            {
                PaintWaitingWindows();
                busySince = ::GetTickCount();
            }
        } while (::PeekMessage(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

int CWinApp::ExitInstance()
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->WriteList();
    return static_cast<int>(m_msgCur.message == WM_QUIT ? m_msgCur.wParam : 0);
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount <= 0)
    {
        CWnd* mainWnd = m_pMainWnd;
        if (mainWnd != nullptr && mainWnd->m_hWnd != nullptr)
        {
            mainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
            mainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
        }
        return TRUE;    // once more, to free the temporary objects
    }
    if (lCount == 1)
    {
        CWnd::DeleteTempMap();
        CMenu::DeleteTempMap();
        CDC::DeleteTempMap();
        CGdiObject::DeleteTempMap();
        CImageList::DeleteTempMap();
    }
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    CWnd* mainWnd = AfxGetMainWnd();
    HWND mainHandle = mainWnd != nullptr ? mainWnd->m_hWnd : nullptr;
    if (CWnd::WalkPreTranslateTree(mainHandle, pMsg))
        return TRUE;
    // A window outside the main window's family (a modeless popup) still lets the main
    // window see its keys (accelerators).
    if (mainHandle != nullptr && pMsg->hwnd != nullptr && pMsg->hwnd != mainHandle &&
        !::IsChild(mainHandle, pMsg->hwnd))
        return mainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

// --- Profile ---------------------------------------------------------------------------

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
    ReplaceText(m_pszRegistryKey, lpszRegistryKey);
    ReplaceText(m_pszProfileName, m_pszAppName);
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    CString key;
    if (key.LoadString(nIDRegistryKey))
        SetRegistryKey(static_cast<const char*>(key));
}

HKEY CWinApp::GetAppRegistryKey()
{
    if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr)
        return nullptr;
    const std::string path = std::string("Software\\") + m_pszRegistryKey + "\\" + m_pszProfileName;
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CWinApp::GetSectionKey(LPCTSTR lpszSection)
{
    HKEY appKey = GetAppRegistryKey();
    if (appKey == nullptr)
        return nullptr;
    HKEY sectionKey = nullptr;
    // A section with backslashes is a path of keys below the application's key.
    if (::RegCreateKeyExA(appKey, lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, &sectionKey, nullptr) != ERROR_SUCCESS)
        sectionKey = nullptr;
    ::RegCloseKey(appKey);
    return sectionKey;
}

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault)
{
    if (m_pszRegistryKey == nullptr)
        return ::GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, m_pszProfileName);

    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return static_cast<UINT>(nDefault);
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    const LONG status = ::RegQueryValueExA(key, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return static_cast<UINT>(nDefault);
    return value;
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue)
{
    if (m_pszRegistryKey == nullptr)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%d", nValue);
        return ::WritePrivateProfileStringA(lpszSection, lpszEntry, text, m_pszProfileName);
    }
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    const DWORD value = static_cast<DWORD>(nValue);
    const LONG status = ::RegSetValueExA(key, lpszEntry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                         sizeof value);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault)
{
    const char* fallback = lpszDefault != nullptr ? lpszDefault : "";
    if (m_pszRegistryKey == nullptr)
    {
        // The INI reader truncates silently: grow until the text fits.
        std::vector<char> buffer(256);
        for (;;)
        {
            const DWORD length = ::GetPrivateProfileStringA(lpszSection, lpszEntry, fallback, buffer.data(),
                                                           static_cast<DWORD>(buffer.size()), m_pszProfileName);
            if (length + 1 < buffer.size() || buffer.size() >= 1u << 20)
                return CString(buffer.data());
            buffer.resize(buffer.size() * 4);
        }
    }

    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return CString(fallback);
    DWORD type = 0;
    DWORD size = 0;
    CString result = fallback;
    if (::RegQueryValueExA(key, lpszEntry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ)
    {
        std::vector<char> buffer(size + 1, '\0');
        if (::RegQueryValueExA(key, lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS)
            result = buffer.data();
    }
    ::RegCloseKey(key);
    return result;
}

BOOL CWinApp::WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue)
{
    if (m_pszRegistryKey == nullptr)
        return ::WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, m_pszProfileName);

    if (lpszEntry == nullptr)
    {
        HKEY appKey = GetAppRegistryKey();
        if (appKey == nullptr)
            return FALSE;
        const LONG status = ::RegDeleteTreeA(appKey, lpszSection);
        ::RegCloseKey(appKey);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    LONG status;
    if (lpszValue == nullptr)
    {
        status = ::RegDeleteValueA(key, lpszEntry);
        if (status == ERROR_FILE_NOT_FOUND)
            status = ERROR_SUCCESS;
    }
    else
    {
        status = ::RegSetValueExA(key, lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                                  static_cast<DWORD>(std::strlen(lpszValue) + 1));
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

BOOL CWinApp::GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes)
{
    *ppData = nullptr;
    *pBytes = 0;
    if (m_pszRegistryKey == nullptr)
    {
        const CString text = GetProfileString(lpszSection, lpszEntry, "");
        const int length = text.GetLength();
        if (length == 0 || length % 2 != 0)
            return FALSE;
        std::vector<BYTE> data(static_cast<size_t>(length / 2));
        for (size_t index = 0; index < data.size(); ++index)
        {
            const int high = HexDigit(text[static_cast<int>(2 * index)]);
            const int low = HexDigit(text[static_cast<int>(2 * index + 1)]);
            if (high < 0 || low < 0)
                return FALSE;
            data[index] = static_cast<BYTE>(high << 4 | low);
        }
        *ppData = new BYTE[data.size()];
        std::memcpy(*ppData, data.data(), data.size());
        *pBytes = static_cast<UINT>(data.size());
        return TRUE;
    }

    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    DWORD type = 0;
    DWORD size = 0;
    BOOL found = FALSE;
    if (::RegQueryValueExA(key, lpszEntry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY)
    {
        *ppData = new BYTE[size > 0 ? size : 1];
        if (::RegQueryValueExA(key, lpszEntry, nullptr, &type, *ppData, &size) == ERROR_SUCCESS)
        {
            *pBytes = size;
            found = TRUE;
        }
        else
        {
            delete[] *ppData;
            *ppData = nullptr;
        }
    }
    ::RegCloseKey(key);
    return found;
}

BOOL CWinApp::WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes)
{
    if (m_pszRegistryKey == nullptr)
        return WriteProfileString(lpszSection, lpszEntry, ToHex(pData, nBytes).c_str());
    HKEY key = GetSectionKey(lpszSection);
    if (key == nullptr)
        return FALSE;
    const LONG status = ::RegSetValueExA(key, lpszEntry, 0, REG_BINARY, pData, nBytes);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (nMaxMRU == 0)
        return;
    const UINT maxEntries = ID_FILE_MRU_FILE16 - ID_FILE_MRU_FILE1 + 1;
    m_pRecentFileList = new CRecentFileList(ID_FILE_MRU_FILE1, "Recent File List", "File%d",
                                            static_cast<int>(nMaxMRU < maxEntries ? nMaxMRU : maxEntries));
    m_pRecentFileList->ReadList();
}

void CWinApp::AddToRecentFileList(LPCTSTR lpszPathName)
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->Add(lpszPathName);
}

// --- Command line and documents --------------------------------------------------------

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    std::vector<std::string> words;
    if (m_lpCmdLine != nullptr)
    {
        words = SplitCommandLine(m_lpCmdLine);
    }
    else
    {
        // Without a command line of its own the object reads the process's.
        for (int index = 1; index < __argc; ++index)
            words.push_back(__argv[index]);
    }
    for (size_t index = 0; index < words.size(); ++index)
    {
        const char* word = words[index].c_str();
        const BOOL flag = (word[0] == '-' || word[0] == '/');
        rCmdInfo.ParseParam(flag ? word + 1 : word, flag, index + 1 == words.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    switch (rCmdInfo.m_nShellCommand)
    {
    case CCommandLineInfo::FileNew:
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr))
            OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        // Printing from the command line needs documents; opening is the part done here.
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::AppRegister:
    case CCommandLineInfo::AppUnregister:
        // Nothing to register; the program ends.
        return FALSE;
    case CCommandLineInfo::FileDDE:
    case CCommandLineInfo::FileNothing:
        return TRUE;
    }
    return TRUE;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    if (pTemplate != nullptr)
        m_templateList.AddTail(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const
{
    return m_templateList.GetHeadPosition();
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const
{
    return static_cast<CDocTemplate*>(m_templateList.GetNext(pos));
}

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName)
{
    return CDocManager::OpenDocumentFile(*this, lpszFileName);
}

BOOL CWinApp::SaveAllModified()
{
    return CDocManager::SaveAllModified(*this);
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    CDocManager::CloseAllDocuments(*this, bEndSession);
}

void CWinApp::OnFileNew()
{
    CDocManager::OnFileNew(*this);
}

void CWinApp::OnFileOpen()
{
    CDocManager::OnFileOpen(*this);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr)
        m_pMainWnd->SendMessage(WM_CLOSE);
    else
        ::PostQuitMessage(0);
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    if (m_pRecentFileList == nullptr)
        pCmdUI->Enable(FALSE);
    else
        m_pRecentFileList->UpdateMenu(pCmdUI);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID)
{
    if (m_pRecentFileList == nullptr)
        return FALSE;
    const int index = static_cast<int>(nID - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_pRecentFileList->GetSize())
        return FALSE;
    if (OpenDocumentFile((*m_pRecentFileList)[index]) == nullptr)
        m_pRecentFileList->Remove(index);
    return TRUE;
}

// --- Help and resources ----------------------------------------------------------------

void CWinApp::EnableHtmlHelp()
{
    m_eHelpType = afxHTMLHelp;
}

void CWinApp::SetHelpFilePath(LPCTSTR lpszHelpFilePath)
{
    ReplaceText(m_pszHelpFilePath, lpszHelpFilePath);
}

void CWinApp::HtmlHelp(DWORD_PTR dwData, UINT nCmd)
{
    typedef HWND(WINAPI * HtmlHelpFunction)(HWND, LPCSTR, UINT, DWORD_PTR);
    static HMODULE helpModule = ::LoadLibraryA("hhctrl.ocx");
    if (helpModule == nullptr || m_pszHelpFilePath == nullptr)
        return;
    HtmlHelpFunction htmlHelp =
        reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(::GetProcAddress(helpModule, "HtmlHelpA")));
    if (htmlHelp == nullptr)
        return;
    CWnd* mainWnd = AfxGetMainWnd();
    // A failure (no help file, no popups under some systems) is not reported.
    htmlHelp(mainWnd != nullptr ? mainWnd->m_hWnd : nullptr, m_pszHelpFilePath, nCmd, dwData);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource));
}

HICON CWinApp::LoadIcon(LPCTSTR lpszResourceName) const
{
    return ::LoadIcon(AfxGetResourceHandle(), lpszResourceName);
}

HICON CWinApp::LoadStandardIcon(LPCTSTR lpszIconName) const
{
    return ::LoadIcon(nullptr, lpszIconName);
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const
{
    return ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource));
}

HCURSOR CWinApp::LoadStandardCursor(LPCTSTR lpszCursorName) const
{
    return ::LoadCursor(nullptr, lpszCursorName);
}

// --- Globals ---------------------------------------------------------------------------

CWinApp* AfxGetApp()
{
    return g_application;
}

CWnd* AfxGetMainWnd()
{
    CWinThread* thread = AfxGetThread();
    if (thread != nullptr && thread->m_pMainWnd != nullptr)
        return thread->m_pMainWnd;
    return g_application != nullptr ? g_application->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_application != nullptr ? g_application->m_hInstance : ::GetModuleHandle(nullptr);
}

BOOL AfxSocketInit(WSADATA* lpwsaData)
{
    static std::once_flag once;
    static WSADATA data = {};
    static BOOL started = FALSE;
    std::call_once(once, [] {
        started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        if (started)
            std::atexit([] { ::WSACleanup(); });
    });
    if (started && lpwsaData != nullptr)
        *lpwsaData = data;
    return started;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPTSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    SetMessageBoxDefaultCaption(app->m_pszAppName);

    INITCOMMONCONTROLSEX controls = { sizeof controls, ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES };
    ::InitCommonControlsEx(&controls);

    int result = -1;
    try
    {
        result = app->InitInstance() ? app->Run() : app->ExitInstance();
    }
    catch (CException* e)
    {
        char text[256] = "framework exception";
        e->GetErrorMessage(text, sizeof text);
        ReportUncaught("The application", text);
        e->Delete();
    }
    catch (const std::exception& e)
    {
        ReportUncaught("The application", e.what());
    }
    catch (...)
    {
        ReportUncaught("The application", "unknown exception");
    }
    CWnd::DeleteTempMap();
    CMenu::DeleteTempMap();
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    CImageList::DeleteTempMap();
    return result;
}

#include "shell/ProgramFolders.h"

#include <objbase.h>

namespace {

// FOLDERID_LocalAppData, spelt out so that no known-folder header is needed.
const GUID LocalAppDataFolderId = {
    0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
const DWORD CreateKnownFolderFlag = 0x8000;

typedef HRESULT(WINAPI* KnownFolderPathFunction)(const GUID&, DWORD, HANDLE, PWSTR*);

std::wstring SystemShellLibraryPath()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        return std::wstring();
    std::wstring path(folder, length);
    if (path.back() != L'\\')
        path += L'\\';
    return path + L"SHELL32.DLL";
}

// The user's local application-data folder; false when it cannot be found.
bool FindLocalAppData(const std::wstring& shellLibraryPath, std::wstring& folder)
{
    if (shellLibraryPath.empty())
        return false;
    HMODULE library = LoadLibraryW(shellLibraryPath.c_str());
    if (library == nullptr)
        return false;
    bool found = false;
    const auto knownFolderPath = reinterpret_cast<KnownFolderPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "SHGetKnownFolderPath")));
    if (knownFolderPath != nullptr) {
        PWSTR path = nullptr;
        if (SUCCEEDED(knownFolderPath(LocalAppDataFolderId, CreateKnownFolderFlag, nullptr,
                                      &path)) && path != nullptr) {
            folder = path;
            found = true;
        }
        CoTaskMemFree(path);
    }
    FreeLibrary(library);
    return found;
}

}  // namespace

std::wstring CProgramFolders::ProgramFolderFromCommandLine(const std::wstring& commandLine)
{
    // The first word ends at a blank outside double quotes; the quotes stay in the word.
    std::wstring word;
    bool insideQuotes = false;
    for (wchar_t character : commandLine) {
        if (character == L' ' && !insideQuotes)
            break;
        if (character == L'"')
            insideQuotes = !insideQuotes;
        word += character;
    }
    const size_t first = word.find_first_not_of(L'"');
    const size_t last = word.find_last_not_of(L'"');
    word = first == std::wstring::npos ? std::wstring() : word.substr(first, last - first + 1);

    const size_t lastBackslash = word.rfind(L'\\');
    if (lastBackslash != std::wstring::npos)
        word.erase(lastBackslash);
    return word.empty() ? L"." : word;
}

std::wstring CProgramFolders::ProgramFolderFromModulePath(const std::wstring& modulePath)
{
    const size_t lastBackslash = modulePath.rfind(L'\\');
    const std::wstring folder = lastBackslash != std::wstring::npos ? modulePath.substr(0, lastBackslash) : L"";
    return folder.empty() ? L"." : folder;
}

void CProgramFolders::SetProgramFolderFromProcess()
{
    // The program's own file, not the command line: a program started by its bare name
    // (or by a path with blanks and no quotes) has no folder in its first word.
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        m_programFolder = ProgramFolderFromCommandLine(GetCommandLineW());
        return;
    }
    path.resize(length);
    m_programFolder = ProgramFolderFromModulePath(path);
}

std::wstring CProgramFolders::GetDevicesXmlPath() const
{
    return m_programFolder + L"\\devices.xml";
}

std::wstring CProgramFolders::GetLogFolder() const
{
    return GetLogFolderUsing(SystemShellLibraryPath());
}

std::wstring CProgramFolders::GetLogFolderUsing(const std::wstring& shellLibraryPath) const
{
    std::wstring localAppData;
    if (FindLocalAppData(shellLibraryPath, localAppData))
        return localAppData + L"\\Quorvant Corporation\\logs";
    return m_programFolder + L"\\logs";
}

CProgramFolders& GetProgramFolders()
{
    static CProgramFolders folders = [] {
        CProgramFolders fromProcess;
        fromProcess.SetProgramFolderFromProcess();
        return fromProcess;
    }();
    return folders;
}

#include "documents/FileHelpers.h"
#include "documents/XmlNesting.h"

#include <direct.h>
#include <io.h>

#include <cerrno>

bool IsFileReadable(const std::wstring& path)
{
    const int readPermission = 4;
    return _waccess(path.c_str(), readPermission) == 0;
}

bool FileExists(const std::wstring& path)
{
    _wfinddata64i32_t found;
    const intptr_t search = _wfindfirst64i32(path.c_str(), &found);
    if (search == -1)
        return false;
    _findclose(search);
    return true;
}

FILE* OpenFileWide(const std::wstring& path, const std::wstring& mode)
{
    FILE* stream = nullptr;
    if (_wfopen_s(&stream, path.c_str(), mode.c_str()) != 0)
        return nullptr;
    return stream;
}

bool LoadXmlFileWide(TiXmlDocument& document, const std::wstring& path, TiXmlEncoding encoding)
{
    document.SetValue("");
    FILE* stream = OpenFileWide(path, L"rb");
    if (stream == nullptr) {
        document.SetError(TiXmlBase::TIXML_ERROR_OPENING_FILE, nullptr, nullptr, encoding);
        return false;
    }
    // Refused before parsing: the parser would recurse once per level.
    std::string text;
    char chunk[65536];
    for (size_t got; (got = fread(chunk, 1, sizeof(chunk), stream)) > 0;)
        text.append(chunk, got);
    if (XmlNestsTooDeep(text)) {
        fclose(stream);
        document.SetError(TiXmlBase::TIXML_ERROR_PARSING_ELEMENT, nullptr, nullptr, encoding);
        return false;
    }
    rewind(stream);
    const bool loaded = document.LoadFile(stream, encoding);
    fclose(stream);
    return loaded;
}

int MakeDirectoryPath(const wchar_t* path)
{
    if (path == nullptr)
        return EINVAL;
    std::wstring folder(path);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    // Every prefix that ends before a backslash, shortest first, then the whole path.
    size_t end = 0;
    while (end != std::wstring::npos) {
        end = folder.find(L'\\', end + 1);
        const std::wstring prefix = folder.substr(0, end);
        if (prefix.empty() || GetFileAttributesW(prefix.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        // Another writer may make the same folder at the same moment.
        if (_wmkdir(prefix.c_str()) != 0) {
            const int error = errno;
            if (error != EEXIST)
                return error;
        }
    }
    return 0;
}

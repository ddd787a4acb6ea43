#include "documents/FileHelpers.h"

#include <io.h>

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
    const bool loaded = document.LoadFile(stream, encoding);
    fclose(stream);
    return loaded;
}

#include "framework/OleTextConversion.h"

#include "framework/CMemoryException.h"

#include <climits>
#include <cstring>
#include <string>

BSTR AllocBstrFromNarrow(const char* text)
{
    if (text == nullptr)
        return nullptr;
    const size_t length = std::strlen(text);
    if (length > static_cast<size_t>(INT_MAX))
        AfxThrowMemoryException();
    const int narrowLength = static_cast<int>(length);
    const int wideLength =
        narrowLength == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text, narrowLength, nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength));
    if (result == nullptr)
        AfxThrowMemoryException();
    if (wideLength > 0)
        MultiByteToWideChar(CP_ACP, 0, text, narrowLength, result, wideLength);
    result[wideLength] = L'\0';
    return result;
}

CString NarrowFromBstr(BSTR text)
{
    const UINT wideLength = SysStringLen(text);
    if (text == nullptr || wideLength == 0)
        return CString();
    const int length = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(wideLength), nullptr,
                                           0, nullptr, nullptr);
    if (length <= 0)
        return CString();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(wideLength), &narrow[0], length, nullptr,
                        nullptr);
    return CString(narrow);
}

#include "documents/TextHelpers.h"

#include <system_error>
#include <vector>

#include "framework/MessageBoxHook.h"

std::string WideToNarrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
    std::string narrow(size, '\0');
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, &narrow[0], size, nullptr,
                            nullptr) != size)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
    return narrow;
}

std::wstring NarrowToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), int(text.size()), &wide[0], length);
    return wide;
}

int ShowMessageBoxWide(const std::wstring& text, UINT type, UINT helpId)
{
    return AfxMessageBox(WideToNarrow(text).c_str(), type, helpId);
}

std::string EscapeQuotes(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char character : text) {
        if (character == '"' || character == '\\')
            escaped += '\\';
        escaped += character;
    }
    return escaped;
}

float DegreesToRadians(float degrees)
{
    return degrees * 6.2831855f / 360.0f;
}

std::string UpperCaseAnsi(const std::string& text)
{
    std::vector<char> buffer(text.begin(), text.end());
    if (!buffer.empty())
        CharUpperBuffA(buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::string(buffer.begin(), buffer.end());
}

bool HoldsControlCharacter(const std::string& text)
{
    for (char ch : text)
        if (static_cast<unsigned char>(ch) < 0x20)
            return true;
    return false;
}

bool CanBeFilePath(const std::string& text)
{
    return !text.empty() && !HoldsControlCharacter(text);
}

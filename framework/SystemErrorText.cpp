#include "framework/SystemErrorText.h"

std::string SystemErrorText(DWORD error)
{
    char text[256] = "";
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ' ||
                          text[length - 1] == '.'))
        --length;
    return length > 0 ? std::string(text, length) : "error " + std::to_string(error);
}

std::string DiskErrorText(DWORD error)
{
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? "the disk is full" : SystemErrorText(error);
}

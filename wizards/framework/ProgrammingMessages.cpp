#include "wizards/framework/ProgrammingMessages.h"

#include <cstring>

void PostProgrammingText(HWND page, const char* text)
{
    const char* line = text ? text : "";
    const size_t length = std::strlen(line) + 1;
    char* copy = new char[length];
    std::memcpy(copy, line, length);
    if (!::PostMessageA(page, WM_APP_PROG_TEXT, reinterpret_cast<WPARAM>(copy), static_cast<LPARAM>(length)))
        delete[] copy;
}

void FreeProgrammingText(WPARAM buffer)
{
    delete[] reinterpret_cast<char*>(buffer);
}

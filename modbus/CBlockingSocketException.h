// Error of the blocking socket: a Windows Sockets error code and a text that names
// the failed step.
#pragma once
#include "framework/FrameworkBase.h"

#include <exception>
#include <string>

class CBlockingSocketException : public std::exception
{
public:
    // Takes the calling thread's last socket error as the code.
    explicit CBlockingSocketException(const char* text);
    CBlockingSocketException(const char* text, int code);

    int GetErrorCode() const { return m_code; }
    const char* what() const noexcept override { return m_text.c_str(); }

private:
    int m_code;
    std::string m_text;
};

// Failure of a Modbus operation: its result code and a formatted text.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

#include <exception>

class CModbusException : public std::exception
{
public:
    // "<text> error #<code>", or "<text> error" when the code is 0.
    CModbusException(const char* text, int code);

    int GetCode() const { return m_code; }
    const CString& GetText() const { return m_text; }
    const char* what() const noexcept override { return m_text.GetString(); }

private:
    int m_code;
    CString m_text;
};

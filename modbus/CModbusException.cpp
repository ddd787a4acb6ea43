#include "modbus/CModbusException.h"

CModbusException::CModbusException(const char* text, int code) : m_code(code)
{
    if (code != 0)
        m_text.Format("%s error #%u", text ? text : "", static_cast<unsigned>(code));
    else
        m_text.Format("%s error", text ? text : "");
}

#include "modbus/ModbusSearchJob.h"

ModbusSearchJob_t::ModbusSearchJob_t(HWND window, UINT message, int portOrSocket, bool ownsSocket)
    : window(window), message(message), portOrSocket(portOrSocket),
      stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), ownsSocket(ownsSocket)
{
}

ModbusSearchJob_t::~ModbusSearchJob_t()
{
    if (thread != nullptr)
        ::CloseHandle(thread);
    if (stopEvent != nullptr)
        ::CloseHandle(stopEvent);
}

bool ModbusSearchJob_t::IsStopRequested() const
{
    return ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

bool ModbusSearchJob_t::Post(WPARAM wParam, LPARAM lParam) const
{
    if (abandoned)
        return false;
    return ::PostMessageA(window, message, wParam, lParam) != FALSE;
}

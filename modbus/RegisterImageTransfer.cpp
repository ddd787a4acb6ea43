#include "modbus/RegisterImageTransfer.h"

#include "framework/CWordArray.h"
#include "modbus/CModbus.h"
#include "modbus/CModbusException.h"
#include "wizards/framework/IFunctor1.h"

#include <cstdio>

namespace
{
const int kAddressSpace = 65536;
const int kMaxRunLength = 125;
}

void ReadRegisterImage(CModbus* link, int unit, const BYTE* flags, WORD* image,
                       IFunctor1* progress, int progressBase)
{
    // One buffer for every request: the run never exceeds its size.
    CWordArray words;
    words.SetSize(kMaxRunLength);
    int total = 0;
    int start = 0;
    while (start < kAddressSpace)
    {
        if (!flags[start])
        {
            ++start;
            continue;
        }
        int length = 1;
        while (length < kMaxRunLength && start + length < kAddressSpace && flags[start + length])
            ++length;

        const int code = link->ReadInputRegisters(unit, start, static_cast<WORD>(length), words);
        if (code != 0)
        {
            char text[64];
            std::snprintf(text, sizeof text, "unable to read Modbus PDU 0x%04x for length %d: ",
                          start, length);
            throw CModbusException(CString(text) + link->GetErrorText(code), code);
        }
        for (int i = 0; i < length; ++i)
            image[start + i] = words[i];
        total += length;
        if (progress)
            (*progress)(progressBase + total);
        start += length;
    }
}

void WriteRegisterImage(CModbus* link, int unit, const BYTE* flags, const WORD* image,
                        IFunctor1* progress, int progressBase)
{
    int written = 0;
    for (int address = 0; address < kAddressSpace; ++address)
    {
        if (!flags[address])
            continue;
        const int code = link->WriteSingleRegister(unit, address, image[address]);
        if (code != 0)
        {
            char text[48];
            std::snprintf(text, sizeof text, "unable to write Modbus PDU 0x%04x: ", address);
            throw CModbusException(CString(text) + link->GetErrorText(code), code);
        }
        ++written;
        if (progress)
            (*progress)(progressBase + written);
    }
}

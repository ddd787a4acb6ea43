// The one settings record of a programming run: the wizard pages fill it, the
// programming thread takes a copy of it when it starts.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "loader/FirmwareRecord.h"

#include <deque>

class ProgrammingSettings
{
public:
    // Name of a product id as the loader shows it ("device" for unknown ids).
    static CString GetProductName(int productId);
    // Meters are reached through their controller's pass-through.
    static bool IsMeter(int productId) { return productId == 2 || productId == 7; }

    CString GetProductName() const { return GetProductName(productId); }
    bool IsMeter() const { return IsMeter(productId); }

    // A controller answers at 1..247: 0 is the broadcast address, the rest are reserved.
    static const int LowestControllerAddress = 1;
    static const int HighestControllerAddress = 247;
    static bool IsControllerAddress(int address)
    {
        return address >= LowestControllerAddress && address <= HighestControllerAddress;
    }
    // The box for an address outside that range, from the port page or the command line.
    static CString AddressRangeMessage();

    CString programVersion;             // "major.minor.build" of the program
    CString firmwarePath;
    int comPort = 1;                    // "COM%i"
    int baud = 9600;                    // pass-through request and byte protocol alike
    int productId = 0;                  // from the firmware file
    int passThroughAddress = 0;         // controller carrying a meter; 0: no pass-through
    CString headerText;                 // the firmware file's header text
    std::deque<FirmwareRecord> records; // in file order
    int attentionResponseCount = 1;     // response bytes needed before programming starts
};

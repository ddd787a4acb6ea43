// The bus addresses a controller's setpoints give it, each with the one range the pages,
// the setpoint files and the programming runs hold it to, and the texts that say so. A
// controller answers Modbus at 1..247: 0 is the broadcast address, after which it answers
// at none. Its Skelder address is 1..15.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

#include <string>

struct ControllerAddress_t
{
    const char* name;   // as the pages and their messages call it
    int lowest;
    int highest;

    bool Holds(long long value) const { return value >= lowest && value <= highest; }
    // "Error: invalid Modbus Address.  It must be a number."
    CString NotANumberText() const;
    // "Error: invalid Modbus Address.  It must be in the range 1 to 247."
    CString OutOfRangeText() const;
    // What refuses a file's or a run's value: "Modbus Address 0 is not in the range 1 to 247".
    std::string Refusal(long long value) const;
    // A page's entry: a whole decimal number in the range. False, with the page's box
    // text in *error, otherwise.
    bool ParseEntry(const char* text, int* value, CString* error) const;
};

extern const ControllerAddress_t MODBUS_ADDRESS;
extern const ControllerAddress_t SKELDER_ADDRESS;

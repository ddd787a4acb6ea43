#include "wizards/framework/ControllerAddress.h"

#include "wizards/framework/SettingText.h"

const ControllerAddress_t MODBUS_ADDRESS = {"Modbus Address", 1, 247};
const ControllerAddress_t SKELDER_ADDRESS = {"Skelder Address", 1, 15};

CString ControllerAddress_t::NotANumberText() const
{
    CString text;
    text.Format("Error: invalid %s.  It must be a number.", name);
    return text;
}

CString ControllerAddress_t::OutOfRangeText() const
{
    CString text;
    text.Format("Error: invalid %s.  It must be in the range %i to %i.", name, lowest, highest);
    return text;
}

std::string ControllerAddress_t::Refusal(long long value) const
{
    return std::string(name) + " " + std::to_string(value) + " is not in the range " + std::to_string(lowest) +
           " to " + std::to_string(highest);
}

bool ControllerAddress_t::ParseEntry(const char* text, int* value, CString* error) const
{
    int number = 0;
    if (!ParseDecimalInteger(text, &number))
    {
        *error = NotANumberText();
        return false;
    }
    if (!Holds(number))
    {
        *error = OutOfRangeText();
        return false;
    }
    *value = number;
    return true;
}

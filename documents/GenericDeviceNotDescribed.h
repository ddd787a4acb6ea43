// Thrown when devices.xml, read without a fault, holds no description of the device asked
// for, so that a caller can tell the user which of its own files names that device.
#pragma once
#include <stdexcept>
#include <string>

class GenericDeviceNotDescribed : public std::runtime_error
{
public:
    explicit GenericDeviceNotDescribed(const std::string& text) : std::runtime_error(text) {}
};

// One described value of a generic device, or one field of its logged records.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/COleVariant.h"

#include <map>
#include <string>

struct GenericVariable_t
{
    int id = -1;
    int addressLow = -1;
    int addressHigh = -1;   // -1 for a one-register value
    std::string name;
    std::string description;
    std::string units;
    double scaling = 1.0;
    double min = 0.0;       // below 0 makes the raw value signed
    double max = 65535.0;
    bool hasTranslations = false;
    bool bitfield = false;
    std::map<unsigned int, std::string> translations;
    std::string defaultTranslation;
    int presentIf = -1;
    int size = -1;
    bool invalidIfOutOfRange = false;

    // Where the value sits in a Skelder frame.
    int skelderId = -1;
    double skelderScaling = 0.0;
    int skelderFrameId = 0;
    int skelderFirstByte = 0;
    int skelderWidth = 0;
    int skelderBitLsb = 0;
    bool skelderSigned = false;

    // The value of a raw register content: scaled (an integer when the scale is whole,
    // else a single-precision real) or its translation text.
    COleVariant RawToVariant(int raw) const;
    // One register's word, taken as signed when min is below 0.
    COleVariant RawToVariant16(WORD word) const;
    // The register word for a value or translation text the user typed; an unknown
    // translation throws std::runtime_error.
    WORD TextToRaw(const std::string& text) const;
};

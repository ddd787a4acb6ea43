// Register words to values and back, and the hardware-information texts built from words.
#include <gtest/gtest.h>

#include "documents/GenericHardwareInfo_t.h"
#include "documents/GenericVariable_t.h"
#include "tests/documents/GenericDeviceFixtures.h"

#include <stdexcept>
#include <string>
#include <vector>

using generic_device_testing::VariantText;

namespace {

GenericVariable_t Scaled(double scaling, double min)
{
    GenericVariable_t variable;
    variable.scaling = scaling;
    variable.min = min;
    return variable;
}

GenericVariable_t Translated(bool bitfield, const std::map<unsigned, std::string>& entries)
{
    GenericVariable_t variable;
    variable.hasTranslations = true;
    variable.bitfield = bitfield;
    variable.translations = entries;
    variable.defaultTranslation = "none";
    return variable;
}

// "I4 n" or "R4 x", so that a check names type and value at once.
std::string Typed(const COleVariant& value)
{
    if (value.vt == VT_I4)
        return "I4 " + std::to_string(value.lVal);
    if (value.vt == VT_R4)
        return "R4 " + std::to_string(value.fltVal);
    return "type " + std::to_string(value.vt);
}

std::string TextToRawError(const GenericVariable_t& variable, const std::string& text)
{
    try {
        variable.TextToRaw(text);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

// Reads an entry's registers as the connection does: in order, until the text is complete.
std::string ReadEntry(int format, const std::vector<WORD>& words)
{
    GenericHardwareInfo_t entry;
    entry.width = static_cast<int>(words.size());
    entry.format = format;
    std::string text;
    for (WORD word : words)
        if (!entry.AppendReadByte(text, word))
            break;
    return text;
}

} // namespace

TEST(GenericValues, ScalingSignAndRounding)
{
    EXPECT_EQ("I4 -1", Typed(Scaled(1.0, -10.0).RawToVariant16(0xFFFF)));
    EXPECT_EQ("I4 65535", Typed(Scaled(1.0, 0.0).RawToVariant16(0xFFFF)));
    EXPECT_EQ("I4 -6", Typed(Scaled(2.0, -1.0).RawToVariant(-3)));
    EXPECT_EQ("I4 70", Typed(Scaled(10.0, 0.0).RawToVariant(7)));
    EXPECT_EQ(Typed(COleVariant(12.3f)), Typed(Scaled(0.1, 0.0).RawToVariant(123)));
    EXPECT_EQ("R4 1.500000", Typed(Scaled(0.5, 0.0).RawToVariant(3)));
    // A 32-bit raw value with the top bit set is a large count unless the minimum is negative.
    EXPECT_EQ("R4 1073741824.000000", Typed(Scaled(0.5, 0.0).RawToVariant(static_cast<int>(0x80000000u))));
    EXPECT_EQ("R4 -1073741824.000000", Typed(Scaled(0.5, -1.0).RawToVariant(static_cast<int>(0x80000000u))));
    // Within a hundred-thousandth of a whole number a scale is whole; halves go away from zero.
    EXPECT_EQ("I4 200001", Typed(Scaled(1.000004, -1.0).RawToVariant(200000)));
    EXPECT_EQ("I4 -200001", Typed(Scaled(1.000004, -1.0).RawToVariant(-200000)));
    EXPECT_EQ("I4 100000", Typed(Scaled(1.000004, -1.0).RawToVariant(100000)));
    EXPECT_EQ(Typed(COleVariant(100001.2f)), Typed(Scaled(1.000012, 0.0).RawToVariant(100000)));
}

TEST(GenericValues, TranslationsAndBitFields)
{
    const GenericVariable_t state = Translated(false, {{0, "Start"}, {7, "Float"}});
    EXPECT_EQ("Float", VariantText(state.RawToVariant(7)));
    EXPECT_EQ("none", VariantText(state.RawToVariant16(3)));

    const GenericVariable_t alarms = Translated(true, {{1, "A"}, {2, "B"}, {4, "C"}, {0x10000, "High"}});
    EXPECT_EQ("A, C", VariantText(alarms.RawToVariant(5)));
    EXPECT_EQ("none", VariantText(alarms.RawToVariant(0)));
    EXPECT_EQ("none", VariantText(alarms.RawToVariant(8)));
    EXPECT_EQ("B, High", VariantText(alarms.RawToVariant(0x10002)));
    // A mask of several bits names the value only when all of them are set.
    const GenericVariable_t modes = Translated(true, {{1, "One"}, {3, "Both"}});
    EXPECT_EQ("One", VariantText(modes.RawToVariant(1)));
    EXPECT_EQ("One, Both", VariantText(modes.RawToVariant(3)));
}

TEST(GenericValues, TextToRaw)
{
    EXPECT_EQ(1234, Scaled(0.01, 0.0).TextToRaw("12.34"));
    EXPECT_EQ(0xFFFF, Scaled(1.0, -5.0).TextToRaw("-1"));
    EXPECT_EQ(3, Scaled(1.0, 0.0).TextToRaw("2.5"));
    EXPECT_EQ(0xFFFD, Scaled(1.0, -5.0).TextToRaw("-2.5"));
    EXPECT_EQ(70000 & 0xFFFF, Scaled(1.0, 0.0).TextToRaw("70000"));
    EXPECT_EQ(0, Scaled(0.1, 0.0).TextToRaw("volts"));
    EXPECT_EQ(40, Scaled(0.5, 0.0).TextToRaw("  20 V"));

    const GenericVariable_t state = Translated(false, {{0, "Start"}, {7, "Float"}, {9, "float"}});
    EXPECT_EQ(7, state.TextToRaw("FLOAT"));
    EXPECT_EQ("no translation for 'none'", TextToRawError(state, "none"));

    const GenericVariable_t bits = Translated(true, {{1, "A"}, {2, "B"}, {4, "C"}});
    EXPECT_EQ(5, bits.TextToRaw("a, c"));
    EXPECT_EQ(4, bits.TextToRaw("c"));
    EXPECT_EQ(3, bits.TextToRaw("B,A"));
    EXPECT_EQ("no translation for 'D'", TextToRawError(bits, "A, D"));
    EXPECT_EQ("no translation for ''", TextToRawError(bits, "A,"));
}

TEST(GenericValues, BitNamesOfSeveralWordsReadBackWhatIsShown)
{
    const GenericVariable_t alarms =
        Translated(true, {{1, "RTS open"}, {0x40, "Current limit"}, {0x8000, "High temperature current limit"}});
    for (unsigned raw : {0x1u, 0x41u, 0x8040u, 0x8041u}) {
        const std::string shown = VariantText(alarms.RawToVariant(static_cast<int>(raw)));
        EXPECT_EQ(raw, alarms.TextToRaw(shown)) << shown;
    }
}

TEST(HardwareInfo, EachFormatOverItsRegisters)
{
    const int ascii = GenericHardwareInfo_t::FORMAT_ASCII;
    // A zero byte ends the text and the reading; bytes that cannot be shown become points.
    EXPECT_EQ("QVA", ReadEntry(ascii, {'Q' | 'V' << 8, 0x0041, 'B' | 'C' << 8, 0}));
    EXPECT_EQ("QV12", ReadEntry(ascii, {'Q' | 'V' << 8, '1' | '2' << 8, 0x0000, 'X'}));
    EXPECT_EQ("ABCDEFGH", ReadEntry(ascii, {'A' | 'B' << 8, 'C' | 'D' << 8, 'E' | 'F' << 8, 'G' | 'H' << 8}));
    EXPECT_EQ("a.", ReadEntry(ascii, {'a' | 0x07 << 8, 0x7F00}));
    EXPECT_EQ("", ReadEntry(ascii, {0x4100}));

    EXPECT_EQ("10.20.30.40", ReadEntry(GenericHardwareInfo_t::FORMAT_IP, {10 | 20 << 8, 30 | 40 << 8}));
    EXPECT_EQ("0a1b00ff", ReadEntry(GenericHardwareInfo_t::FORMAT_HEXASCII, {0x1B0A, 0xFF00}));
    EXPECT_EQ("true", ReadEntry(GenericHardwareInfo_t::FORMAT_BOOLEAN, {5}));
    EXPECT_EQ("false", ReadEntry(GenericHardwareInfo_t::FORMAT_BOOLEAN, {1, 0}));
    try {
        ReadEntry(7, {1});
        FAIL() << "format 7 accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("GenericHardwareInfo_t::AppendReadByte bad format type", error.what());
    }
}

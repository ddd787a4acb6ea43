// Typed Modbus variables: text conversion and validation of every kind, the XML form,
// the register image and cloning.
#include <gtest/gtest.h>

#include "modbus/CModbusVariable.h"
#include "modbus/CModbusVariableScaled.h"
#include "modbus/CModbusVariable_Cstring.h"
#include "modbus/CModbusVariable_Cstring_writeonly.h"
#include "modbus/CModbusVariable_IP.h"
#include "modbus/CModbusVariable_Time.h"
#include "modbus/CModbusVariable_Translated.h"
#include "modbus/CModbusVariable_flag.h"
#include "modbus/CModbusVariable_int8.h"
#include "modbus/CModbusVariable_uint16.h"

#include <tinyxml.h>

#include <stdexcept>
#include <utility>
#include <string>
#include <vector>

namespace {

// The text of the range error that FromString raises, or "" when it accepted the text.
std::string Refusal(CModbusVariable& variable, const char* text)
{
    try {
        variable.FromString(text);
    } catch (const std::range_error& error) {
        return error.what();
    }
    return "";
}

std::vector<WORD> Words(const CModbusVariable& variable)
{
    std::vector<WORD> words;
    for (const ModbusRegister_t& reg : variable.GetRegisters())
        words.push_back(reg.value);
    return words;
}

const ModbusTranslation_t kModes[] = {{0, "off"}, {3, "charge"}, {7, "wind"}};

} // namespace

TEST(ModbusVariableUint16, ConvertsWholeNumbersWithinItsLimits)
{
    CModbusVariable_uint16 variable(0x2000, "Count", "d", "pcs", false, 10, 20, 15);
    EXPECT_EQ("15", variable.ToString());
    EXPECT_EQ("pcs", variable.GetUnits());
    EXPECT_EQ("", Refusal(variable, "  20"));
    EXPECT_EQ(20.0, variable.AsDouble());
    EXPECT_EQ("", Refusal(variable, "10 "));
    EXPECT_EQ("10", variable.ToString());
    EXPECT_EQ(0x2000u, variable.GetRegisters().front().address);
    EXPECT_EQ("Count is too low (must be at least 10)", Refusal(variable, "9"));
    EXPECT_EQ("Count is too low (must be at least 10)", Refusal(variable, "0"));
    EXPECT_EQ("Count is too high (must be no more than 20)", Refusal(variable, "21"));
    EXPECT_EQ("Count is too high (must be no more than 20)", Refusal(variable, "65535"));
    EXPECT_EQ("10", variable.ToString());

    // A word that means something below the limits is taken, and only that one.
    CModbusVariable_uint16 source(0x1536, "Source", "", "", false, 1, 255, 0);
    source.AcceptAlso(0);
    EXPECT_EQ("", Refusal(source, "255"));
    EXPECT_EQ("", Refusal(source, "0"));
    EXPECT_EQ("Source is too high (must be no more than 255)", Refusal(source, "256"));
    source.CheckLimits();
}

TEST(ModbusVariableUint16, RefusesBadTextBeforeStoringAnything)
{
    CModbusVariable_uint16 variable(1, "Count", "", "", false, 0, 65535, 42);
    EXPECT_EQ("Count has extra characters after the number", Refusal(variable, "12abc"));
    EXPECT_EQ("42", variable.ToString());
    EXPECT_EQ("Count is not a number", Refusal(variable, "-1"));
    EXPECT_EQ("Count is not a number", Refusal(variable, " -0"));
    EXPECT_EQ("Count is not a number", Refusal(variable, "65536"));
    EXPECT_EQ("Count is not a number", Refusal(variable, "abc"));
    EXPECT_EQ("Count is not a number", Refusal(variable, ""));
    EXPECT_EQ("42", variable.ToString());
}

TEST(ModbusVariableInt8, StoresSignExtendedAndChecksEveryBound)
{
    CModbusVariable_int8 variable(5, "Offset", "", "C", false, -10, 100, -3);
    EXPECT_EQ(std::vector<WORD>{0xFFFD}, Words(variable));
    EXPECT_EQ("-3", variable.ToString());
    EXPECT_EQ(-3.0, variable.AsDouble());

    EXPECT_EQ("Offset is too low (must be at least -10)", Refusal(variable, "-11"));
    EXPECT_EQ("Offset is too high (must be no more than 100)", Refusal(variable, "101"));
    EXPECT_EQ("Offset is too small for a single byte (can be no less than -128)",
              Refusal(variable, "-129"));
    EXPECT_EQ("Offset is too large for a single byte (can be no greater than 127)",
              Refusal(variable, "128"));
    EXPECT_EQ("Offset is not a number", Refusal(variable, "x"));
    EXPECT_EQ("Offset has extra characters after the number", Refusal(variable, "5 5"));
    EXPECT_EQ("-3", variable.ToString());

    EXPECT_EQ("", Refusal(variable, "-10"));
    EXPECT_EQ(std::vector<WORD>{0xFFF6}, Words(variable));
    EXPECT_EQ("", Refusal(variable, "100"));
    EXPECT_EQ(100.0, variable.AsDouble());
}

TEST(ModbusVariableScaled, RoundsHalfAwayFromZeroAndFormatsWithItsPrecision)
{
    CModbusVariableScaled variable(7, "Voltage", "", "V", false, 0.0, 20.0, 12.0, 1, 0.1);
    EXPECT_EQ(std::vector<WORD>{120}, Words(variable));
    EXPECT_EQ("", Refusal(variable, "13.66"));
    EXPECT_EQ(std::vector<WORD>{137}, Words(variable));
    EXPECT_EQ("13.7", variable.ToString());
    EXPECT_EQ("27.4", variable.ToString(2.0));
    EXPECT_NEAR(13.7, variable.AsDouble(), 1e-9);
    EXPECT_EQ("", Refusal(variable, "0.05"));
    EXPECT_EQ(std::vector<WORD>{1}, Words(variable));

    EXPECT_EQ("Voltage is too low (must be at least 0.0)", Refusal(variable, "-0.1"));
    EXPECT_EQ("Voltage is too high (must be no more than 20.0)", Refusal(variable, "20.01"));
    EXPECT_EQ("Voltage is not a number", Refusal(variable, "volts"));
    EXPECT_EQ("Voltage has extra characters after the number", Refusal(variable, "1.5V"));
    EXPECT_EQ(std::vector<WORD>{1}, Words(variable));

    // Another kind's multiplier form is its plain text.
    CModbusVariable_uint16 plain(1, "n", "", "", false, 0, 9, 4);
    EXPECT_EQ("4", plain.ToString(4.0));
}

TEST(ModbusVariableScaled, RefusesADefaultOutsideItsLimits)
{
    EXPECT_THROW(CModbusVariableScaled(1, std::string("V"), std::string(""), std::string("V"),
                                       false, 0.0, 10.0, 10.5, 2, 0.01),
                 std::range_error);
    CModbusVariableScaled negative(1, "T", "", "", false, -5.0, 5.0, -1.5, 1, 1.0);
    EXPECT_EQ(std::vector<WORD>{0xFFFE}, Words(negative));   // -2: half away from zero
    EXPECT_EQ("2.00", CModbusVariableScaled::FormatFixed(1.999, 2));
}

TEST(ModbusVariableCstring, PacksTwoCharactersARegisterWithRoomForTheTerminator)
{
    CModbusVariable_Cstring seven(0x100, 7, "Name", "", false, "");
    ASSERT_EQ(4u, seven.GetRegisters().size());
    EXPECT_EQ(0x103u, seven.GetRegisters().back().address);
    EXPECT_EQ("", Refusal(seven, "ABCDEFG"));
    EXPECT_EQ("ABCDEFG", seven.ToString());
    EXPECT_EQ("Name is too long", Refusal(seven, "ABCDEFGH"));
    EXPECT_EQ("ABCDEFG", seven.ToString());

    CModbusVariable_Cstring two(0, 3, "Tag", "", false, "ABC");
    EXPECT_EQ((std::vector<WORD>{0x4241, 0x0043}), Words(two));
    EXPECT_EQ("", Refusal(two, "Z"));
    EXPECT_EQ((std::vector<WORD>{0x005A, 0x0000}), Words(two));
    EXPECT_EQ("", two.GetUnits());
    EXPECT_THROW(two.AsDouble(), std::logic_error);

    CModbusVariable_Cstring empty(0, 0, "E", "", false, "");
    EXPECT_EQ(1u, empty.GetRegisters().size());
    EXPECT_THROW(CModbusVariable_Cstring(0, 3, "D", "", false, "toolong"), std::range_error);
}

TEST(ModbusVariableCstring, ReadsUpToTheFirstZeroByteOrTheLastRegister)
{
    CModbusVariable_Cstring text(10, 4, "T", "", false, "");
    std::vector<WORD> image(65536, 0);
    image[10] = 0x6968;   // "hi"
    image[11] = 0x2121;   // "!!", no terminator in the registers
    image[12] = 0x4141;   // not the variable's
    text.SetFromRegisterImage(image.data());
    EXPECT_EQ("hi!!", text.ToString());
    image[10] = 0x0068;
    text.SetFromRegisterImage(image.data());
    EXPECT_EQ("h", text.ToString());
}

TEST(ModbusVariableCstringWriteOnly, HasAValueOnlyAfterOneWasSet)
{
    CModbusVariable_Cstring_writeonly password(0x300, 8, "Password", "", "secret");
    EXPECT_TRUE(password.IsWriteOnly());
    EXPECT_FALSE(password.HasValue());
    EXPECT_EQ("Password is too long", Refusal(password, "12345678"));
    EXPECT_FALSE(password.HasValue());
    EXPECT_EQ("", Refusal(password, "pass"));
    EXPECT_TRUE(password.HasValue());
    EXPECT_EQ("pass", password.ToString());
    EXPECT_TRUE(password.Clone()->HasValue());
    password.ClearValue();
    EXPECT_FALSE(password.HasValue());

    CModbusVariable_uint16 plain(1, "n", "", "", false, 0, 9, 4);
    EXPECT_FALSE(plain.IsWriteOnly());
    plain.ClearValue();
    EXPECT_TRUE(plain.HasValue());
}

TEST(ModbusVariableIP, StoresOctetPairsLowByteFirst)
{
    CModbusVariable_IP address(0x400, "Gateway", "", false, false, "10.1.2.3");
    EXPECT_EQ((std::vector<WORD>{1 * 256 + 10, 3 * 256 + 2}), Words(address));
    EXPECT_EQ("10.1.2.3", address.ToString());
    EXPECT_EQ(0x401u, address.GetRegisters().back().address);
    EXPECT_THROW(address.AsDouble(), std::logic_error);
    EXPECT_EQ("", Refusal(address, "0.0.0.0"));
    EXPECT_EQ("", Refusal(address, "241.1.1.1"));
    EXPECT_EQ("241.1.1.1", address.ToString());
}

TEST(ModbusVariableIP, RefusesReservedRangesUnlessAllowed)
{
    CModbusVariable_IP strict(0, "IP", "", false, false, "192.168.1.1");
    const struct { const char* text; const char* message; } cases[] = {
        {"127.0.0.1", "IP cannot be 127.b.c.d; they are reserved"},
        {"128.0.5.5", "IP cannot be 128.0.c.d; they are reserved"},
        {"191.255.1.1", "IP cannot be 191.255.c.d; they are reserved"},
        {"192.0.0.9", "IP cannot be 192.0.0.d; they are reserved"},
        {"192.0.2.9", "IP cannot be cannot be 192.0.2.d; they are reserved"},
        {"223.255.255.1", "IP cannot be 223.255.255.d; they are reserved"},
        {"224.0.0.1", "IP cannot be a multicast address; they are reserved"},
        {"239.1.1.1", "IP cannot be a multicast address; they are reserved"},
        {"240.1.1.1", "IP cannot be 240.b.c.d; they are reserved"},
        {"255.255.255.255", "IP is not a valid IP address"},
        {"not.an.address", "IP is not a valid IP address"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.message, Refusal(strict, c.text)) << c.text;
    EXPECT_EQ("192.168.1.1", strict.ToString());
    EXPECT_EQ("", Refusal(strict, "128.1.0.0"));
    EXPECT_EQ("", Refusal(strict, "192.0.1.1"));

    CModbusVariable_IP lenient(0, "IP", "", true, false, "127.0.0.1");
    EXPECT_EQ("127.0.0.1", lenient.ToString());
    EXPECT_EQ("", Refusal(lenient, "239.1.1.1"));
    EXPECT_EQ("IP is not a valid IP address", Refusal(lenient, "255.255.255.255"));
}

TEST(ModbusVariableTime, ConvertsHoursMinutesAndSeconds)
{
    CModbusVariable_Time time(0x500, "Delay", "", false, 0, 65535, 3599);
    EXPECT_EQ("h:m:s", time.GetUnits());
    EXPECT_EQ("59:59", time.ToString());
    EXPECT_EQ("", Refusal(time, "1:00:00"));
    EXPECT_EQ(3600.0, time.AsDouble());
    EXPECT_EQ("1:00:00", time.ToString());
    EXPECT_EQ("", Refusal(time, "2:03:04"));
    EXPECT_EQ(2u, time.GetHours());
    EXPECT_EQ(3u, time.GetMinutes());
    EXPECT_EQ(4u, time.GetSeconds());
    EXPECT_EQ("2:03:04", time.ToString());
    EXPECT_EQ("", Refusal(time, "18:12:15"));
    EXPECT_EQ(65535.0, time.AsDouble());
}

TEST(ModbusVariableTime, ReadsBackWhatItWritesUnderAnHour)
{
    CModbusVariable_Time time(1, "Delay", "", false, 0, 7200, 0);
    for (WORD seconds : {0, 5, 61, 3599}) {
        CModbusVariable_Time shown(1, "Delay", "", false, 0, 7200, seconds);
        EXPECT_EQ("", Refusal(time, shown.ToString().c_str())) << shown.ToString();
        EXPECT_EQ(seconds, time.AsDouble());
    }
    EXPECT_EQ("", Refusal(time, " 7:30 "));
    EXPECT_EQ(450.0, time.AsDouble());
    // The short form must be whole and valid on its own.
    EXPECT_EQ("Delay is not of the form HH:MM:SS", Refusal(time, "7:30x"));
    EXPECT_EQ("Delay is not of the form HH:MM:SS", Refusal(time, "1:00:"));
    EXPECT_EQ("Delay minutes and seconds must be less than 60", Refusal(time, "60:00"));
    EXPECT_EQ(450.0, time.AsDouble());
}

TEST(ModbusVariableTime, RefusesMalformedAndOutOfRangeTimes)
{
    CModbusVariable_Time time(1, "Delay", "", false, 60, 3600, 120);
    EXPECT_EQ("Delay is not of the form HH:MM:SS", Refusal(time, "soon"));
    EXPECT_EQ("Delay is not of the form HH:MM:SS", Refusal(time, "90"));
    EXPECT_EQ("Delay is not of the form HH:MM:SS", Refusal(time, ""));
    EXPECT_EQ("Delay minutes and seconds must be less than 60", Refusal(time, "0:60:00"));
    EXPECT_EQ("Delay minutes and seconds must be less than 60", Refusal(time, "0:00:60"));
    EXPECT_EQ("Delay is too big (must be no more than 18:12:15)", Refusal(time, "18:12:16"));
    EXPECT_EQ("Delay is too small (must be no less than 1:00)", Refusal(time, "0:00:59"));
    EXPECT_EQ("Delay is too big (must be no more than 1:00:00)", Refusal(time, "1:00:01"));
    // An hour count that would wrap a 32-bit total round into range.
    EXPECT_EQ("Delay is too big (must be no more than 18:12:15)",
              Refusal(time, "1193047:00:00"));
    EXPECT_EQ("Delay is too big (must be no more than 18:12:15)", Refusal(time, "-1:00:00"));
    EXPECT_EQ(120.0, time.AsDouble());
}

TEST(ModbusVariableFlag, SetsOnlyItsBitInvertedWhenAsked)
{
    CModbusVariable_flag flag(0x600, 3, "Enable", "", false, false, true);
    EXPECT_EQ(std::vector<WORD>{0x0008}, Words(flag));
    EXPECT_EQ("true", flag.ToString());
    EXPECT_EQ(1.0, flag.AsDouble());
    EXPECT_EQ("", Refusal(flag, "FALSE"));
    EXPECT_EQ(std::vector<WORD>{0x0000}, Words(flag));
    EXPECT_EQ("", Refusal(flag, "1"));
    EXPECT_EQ("", Refusal(flag, "True"));
    EXPECT_EQ("Enable is neither true/1 nor false/0", Refusal(flag, "yes"));
    EXPECT_EQ("Enable is neither true/1 nor false/0", Refusal(flag, " 1"));
    EXPECT_EQ("true", flag.ToString());

    CModbusVariable_flag inverted(0x600, 3, "Disable", "", true, false, false);
    EXPECT_EQ(std::vector<WORD>{0x0008}, Words(inverted));
    EXPECT_EQ("", Refusal(inverted, "true"));
    EXPECT_EQ(std::vector<WORD>{0x0000}, Words(inverted));
    EXPECT_EQ("true", inverted.ToString());
    EXPECT_EQ(1.0, inverted.AsDouble());
}

TEST(ModbusVariableFlag, KeepsOnlyItsBitFromTheImage)
{
    std::vector<WORD> image(65536, 0);
    image[0x600] = 0xFFF7;   // every bit but 3
    CModbusVariable_flag flag(0x600, 3, "Enable", "", false, false, true);
    flag.SetFromRegisterImage(image.data());
    EXPECT_EQ(std::vector<WORD>{0x0000}, Words(flag));
    EXPECT_EQ("false", flag.ToString());
    image[0x600] = 0x0008;
    flag.SetFromRegisterImage(image.data());
    EXPECT_EQ("true", flag.ToString());
}

TEST(ModbusVariableTranslated, MapsTextsToTheirValues)
{
    CModbusVariable_Translated mode(0x700, "Mode", "", "", false, kModes, 3, "charge");
    EXPECT_EQ(std::vector<WORD>{3}, Words(mode));
    EXPECT_EQ("charge", mode.ToString());
    EXPECT_EQ("", Refusal(mode, "wind"));
    EXPECT_EQ(7.0, mode.AsDouble());
    EXPECT_EQ("Mode value is out of range (no translation)", Refusal(mode, "Wind"));
    EXPECT_EQ("Mode value is out of range (no translation)", Refusal(mode, "wind "));
    EXPECT_EQ(7.0, mode.AsDouble());
    EXPECT_EQ(3u, mode.GetTranslations().size());
    EXPECT_EQ("off", mode.GetTranslations().at(0));

    std::vector<WORD> image(65536, 0);
    image[0x700] = 5;
    mode.SetFromRegisterImage(image.data());
    EXPECT_EQ("unknown", mode.ToString());
    EXPECT_THROW(CModbusVariable_Translated(0, "M", "", "", false, kModes, 3, "nope"),
                 std::range_error);
}

// A read of an odd controller: a one-byte register means its low byte, sign-extended; a
// value outside its limits is kept and shown, and CheckLimits names it with the message
// its text would have got.
TEST(ModbusVariableImage, OneByteRegistersTakeTheirLowByteAndOddValuesAreNamed)
{
    std::vector<WORD> image(65536, 0);
    auto checked = [](const CModbusVariable& variable) -> std::string {
        try {
            variable.CheckLimits();
        } catch (const std::range_error& error) {
            return error.what();
        }
        return "";
    };

    CModbusVariable_int8 temperature(0xE011, "Max. Compensation Temp.", "", "deg C", false, -128, 127, 80);
    const struct { WORD word; const char* shown; WORD stored; } bytes[] = {
        {500, "-12", 0xFFF4}, {0x017F, "127", 0x007F}, {0x0080, "-128", 0xFF80}, {0xFFD8, "-40", 0xFFD8},
        {0x1234, "52", 0x0034}};
    for (const auto& b : bytes) {
        image[0xE011] = b.word;
        temperature.SetFromRegisterImage(image.data());
        EXPECT_EQ(b.shown, temperature.ToString()) << b.word;
        EXPECT_EQ(std::vector<WORD>{b.stored}, Words(temperature)) << b.word;
        EXPECT_EQ("", checked(temperature)) << b.word;
    }
    CModbusVariable_int8 offset(0xE012, "Offset", "", "C", false, -10, 100, 0);
    image[0xE012] = 0x01F4;
    offset.SetFromRegisterImage(image.data());
    EXPECT_EQ("Offset is too low (must be at least -10)", checked(offset));

    CModbusVariable_uint16 id(0xE019, "Modbus ID", "", "", false, 1, 247, 1);
    for (WORD word : {0, 248, 300, 65535}) {
        image[0xE019] = word;
        id.SetFromRegisterImage(image.data());
        EXPECT_EQ(std::to_string(word), id.ToString());
        EXPECT_EQ(word == 0 ? "Modbus ID is too low (must be at least 1)"
                            : "Modbus ID is too high (must be no more than 247)",
                  checked(id));
    }
    image[0xE019] = 247;
    id.SetFromRegisterImage(image.data());
    EXPECT_EQ("", checked(id));

    // 0..100 V at 180/32768 V a count: words up to 18204 (100 V rounds there).
    CModbusVariableScaled voltage(0xE000, "Regulation Voltage", "", "V", false, 0.0, 100.0, 14.1, 2, 180.0 / 32768.0);
    image[0xE000] = 40000;
    voltage.SetFromRegisterImage(image.data());
    EXPECT_EQ("219.73", voltage.ToString());
    EXPECT_EQ("Regulation Voltage is too high (must be no more than 100.00)", checked(voltage));
    image[0xE000] = 18204;
    voltage.SetFromRegisterImage(image.data());
    EXPECT_EQ("", checked(voltage));
    image[0xE000] = 18205;
    voltage.SetFromRegisterImage(image.data());
    EXPECT_NE("", checked(voltage));
    // A negative scale turns the words round: -1..0 V/degC are words 0..364.
    CModbusVariableScaled compensation(0xE00D, "Temperature Compensation", "", "V/degC", false, -1.0, 0.0, -0.03, 3,
                                       -90.0 / 32768.0);
    for (const auto& c : std::vector<std::pair<WORD, std::string>>{
             {0, ""}, {364, ""}, {365, "Temperature Compensation is too low (must be at least -1.000)"},
             {0xFFFF, "Temperature Compensation is too low (must be at least -1.000)"}}) {
        image[0xE00D] = c.first;
        compensation.SetFromRegisterImage(image.data());
        EXPECT_EQ(c.second, checked(compensation)) << c.first;
    }
    // A range below zero: its counts are two's complement words.
    CModbusVariableScaled signedTrim(10, "Offset", "", "V", false, -5.0, 5.0, -1.5, 1, 1.0);
    EXPECT_EQ("", checked(signedTrim));
    for (const auto& c : std::vector<std::pair<WORD, std::string>>{
             {0xFFFB, ""}, {5, ""}, {0xFFFA, "Offset is too low (must be at least -5.0)"},
             {6, "Offset is too high (must be no more than 5.0)"}}) {
        image[10] = c.first;
        signedTrim.SetFromRegisterImage(image.data());
        EXPECT_EQ(c.second, checked(signedTrim)) << c.first;
    }
    CModbusVariableScaled offsetVolts(9, "Trim", "", "V", false, 1.0, 2.0, 1.5, 1, 0.1);
    image[9] = 9;
    offsetVolts.SetFromRegisterImage(image.data());
    EXPECT_EQ("Trim is too low (must be at least 1.0)", checked(offsetVolts));

    CModbusVariable_Time time(0xE002, "Absorption Time", "", false, 60, 3600, 600);
    image[0xE002] = 3601;
    time.SetFromRegisterImage(image.data());
    EXPECT_EQ("1:00:01", time.ToString());
    EXPECT_EQ("Absorption Time is too big (must be no more than 1:00:00)", checked(time));
    image[0xE002] = 59;
    time.SetFromRegisterImage(image.data());
    EXPECT_EQ("Absorption Time is too small (must be no less than 1:00)", checked(time));

    CModbusVariable_Translated mode(0x30, "Mode", "", "", false, kModes, 3, "off");
    image[0x30] = 5;
    mode.SetFromRegisterImage(image.data());
    EXPECT_EQ("unknown", mode.ToString());
    EXPECT_EQ("Mode value is out of range (no translation)", checked(mode));
    image[0x30] = 7;
    mode.SetFromRegisterImage(image.data());
    EXPECT_EQ("", checked(mode));

    // Kinds without limits take any word.
    CModbusVariable_IP address(0x20, "IP", "", false, false, "0.0.0.0");
    image[0x20] = 0xFFFF;
    address.SetFromRegisterImage(image.data());
    EXPECT_EQ("", checked(address));
}

TEST(ModbusVariableImage, TakesEachRegisterFromItsAddress)
{
    std::vector<WORD> image(65536, 0);
    image[0xFFFF] = 0x1234;
    CModbusVariable_uint16 last(0xFFFF, "Last", "", "", false, 0, 65535, 0);
    last.SetFromRegisterImage(image.data());
    EXPECT_EQ("4660", last.ToString());

    image[0x20] = 0xFFFF;
    image[0x21] = 0xFFFF;
    CModbusVariable_IP address(0x20, "IP", "", true, false, "0.0.0.0");
    EXPECT_TRUE(address.AllRegistersZero());
    EXPECT_FALSE(address.AllRegistersFFFF());
    address.SetFromRegisterImage(image.data());
    EXPECT_TRUE(address.AllRegistersFFFF());
    EXPECT_FALSE(address.AllRegistersZero());
    image[0x21] = 0;
    address.SetFromRegisterImage(image.data());
    EXPECT_FALSE(address.AllRegistersFFFF());
    EXPECT_FALSE(address.AllRegistersZero());
}

TEST(ModbusVariableClone, CopiesKindAndValueAndSharesNothing)
{
    CModbusVariable_Time time(9, "Delay", "desc", false, 0, 100, 42);
    boost::shared_ptr<CModbusVariable> copy = time.Clone();
    ASSERT_NE(nullptr, dynamic_cast<CModbusVariable_Time*>(copy.get()));
    EXPECT_EQ("0:42", copy->ToString());
    EXPECT_EQ("Delay", copy->GetName());
    EXPECT_EQ("desc", copy->GetDescription());
    // Limits came along, and the copy changes alone.
    EXPECT_EQ("Delay is too big (must be no more than 1:40)", Refusal(*copy, "0:02:00"));
    copy->FromString("0:10");
    EXPECT_EQ("0:10", copy->ToString());
    EXPECT_EQ("0:42", time.ToString());

    CModbusVariable_Translated mode(1, "Mode", "", "", false, kModes, 3, "off");
    boost::shared_ptr<CModbusVariable> modeCopy = mode.Clone();
    modeCopy->FromString("wind");
    EXPECT_EQ("wind", modeCopy->ToString());
    EXPECT_EQ("off", mode.ToString());

    CModbusVariable_flag flag(1, 4, "F", "", true, false, true);
    EXPECT_EQ("true", flag.Clone()->ToString());
    CModbusVariableScaled scaled(1, "S", "", "A", false, 0, 10, 2.5, 2, 0.01);
    EXPECT_EQ("5.00", scaled.Clone()->ToString(2.0));
}

TEST(ModbusVariableXml, WritesOneValueElementPerRegisterAndReadsItBack)
{
    CModbusVariable_Cstring text(0x100, 5, "Site", "", false, "Lake");
    TiXmlElement parent("variable");
    text.WriteXml(&parent);

    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    parent.Accept(&printer);
    EXPECT_EQ("<variable><value addr=\"256\">24908</value><value addr=\"257\">25963</value>"
              "<value addr=\"258\">0</value></variable>",
              std::string(printer.CStr()));

    CModbusVariable_Cstring other(0x100, 5, "Site", "", false, "");
    other.ReadXml(&parent);
    EXPECT_EQ("Lake", other.ToString());

    // A flag keeps only its own bit of the stored word: flags that share a register are
    // merged when they are programmed.
    TiXmlDocument document;
    document.Parse("<v><value addr=\"8\"> 65535</value></v>");
    CModbusVariable_flag flag(8, 3, "F", "", false, false, false);
    flag.ReadXml(document.RootElement());
    EXPECT_EQ(std::vector<WORD>{0x0008}, Words(flag));
}

TEST(ModbusVariableXml, ValuesTheirRegistersCannotHoldAreRefused)
{
    auto read = [](CModbusVariable& variable, const std::string& xml) -> std::string {
        TiXmlDocument document;
        document.Parse(xml.c_str());
        if (document.Error())
            return "unparsed";
        try {
            variable.ReadXml(document.RootElement());
        } catch (const std::range_error& error) {
            return error.what();
        }
        return "";
    };
    const std::string tooLarge = " value does not fit its register";

    // A one-register word: 70000 would otherwise be programmed as 4464.
    CModbusVariable_uint16 port(0x151E, "Port", "", "", false, 0, 65535, 162);
    for (const char* text : {"65536", "70000", "4294967296", "18446744073709551615"})
        EXPECT_EQ("Port" + tooLarge, read(port, std::string("<v><value addr=\"5406\">") + text + "</value></v>"))
            << text;
    EXPECT_EQ(std::vector<WORD>{162}, Words(port));
    EXPECT_EQ("", read(port, "<v><value addr=\"5406\">65535</value></v>"));
    EXPECT_EQ(std::vector<WORD>{0xFFFF}, Words(port));
    EXPECT_EQ("", read(port, "<v><value addr=\"5406\">0</value></v>"));
    EXPECT_EQ(std::vector<WORD>{0}, Words(port));

    // A word the register holds but the setting's limits refuse, with the message its
    // text would get; the variable keeps its value.
    CModbusVariable_uint16 id(0xE019, "Modbus ID", "", "", false, 1, 247, 1);
    EXPECT_EQ("Modbus ID is too high (must be no more than 247)", read(id, "<v><value addr=\"57369\">300</value></v>"));
    EXPECT_EQ("Modbus ID is too low (must be at least 1)", read(id, "<v><value addr=\"57369\">0</value></v>"));
    EXPECT_EQ(std::vector<WORD>{1}, Words(id));
    EXPECT_EQ("", read(id, "<v><value addr=\"57369\">247</value></v>"));
    EXPECT_EQ(std::vector<WORD>{247}, Words(id));
    CModbusVariableScaled voltage(0xE000, "Regulation Voltage", "", "V", false, 0.0, 100.0, 14.1, 2, 180.0 / 32768.0);
    EXPECT_EQ("Regulation Voltage is too high (must be no more than 100.00)",
              read(voltage, "<v><value addr=\"57344\">40000</value></v>"));
    EXPECT_EQ("14.10", voltage.ToString());
    CModbusVariable_Time time(2, "Delay", "", false, 0, 100, 42);
    EXPECT_EQ("Delay is too big (must be no more than 1:40)", read(time, "<v><value addr=\"2\">101</value></v>"));
    CModbusVariable_Translated mode(3, "Mode", "", "", false, kModes, 3, "wind");
    EXPECT_EQ("Mode value is out of range (no translation)", read(mode, "<v><value addr=\"3\">4</value></v>"));
    EXPECT_EQ("wind", mode.ToString());
    CModbusVariable_int8 limited(4, "Limited", "", "", false, -10, 100, 5);
    EXPECT_EQ("Limited is too high (must be no more than 100)", read(limited, "<v><value addr=\"4\">101</value></v>"));
    EXPECT_EQ("Limited is too low (must be at least -10)", read(limited, "<v><value addr=\"4\">65525</value></v>"));
    EXPECT_EQ("5", limited.ToString());

    // A flag refuses the number before it picks its bit: 65544 is 0x10008.
    CModbusVariable_flag flag(8, 3, "F", "", false, false, false);
    EXPECT_EQ("F" + tooLarge, read(flag, "<v><value addr=\"8\">65544</value></v>"));
    EXPECT_EQ(std::vector<WORD>{0}, Words(flag));

    // A two-register value takes a word a register; its whole 32-bit number in one of
    // them is refused, and the register read before the fault keeps its word.
    CModbusVariable_IP address(20, "IP", "", true, false, "1.2.3.4");
    EXPECT_EQ("IP" + tooLarge, read(address, "<v><value addr=\"20\">16909060</value></v>"));
    EXPECT_EQ("1.2.3.4", address.ToString());
    EXPECT_EQ("IP" + tooLarge,
              read(address, "<v><value addr=\"20\">2826</value><value addr=\"21\">65536</value></v>"));
    EXPECT_EQ("10.11.3.4", address.ToString());
    EXPECT_EQ("", read(address, "<v><value addr=\"20\">65535</value><value addr=\"21\">0</value></v>"));
    EXPECT_EQ("255.255.0.0", address.ToString());

    // A signed byte: its sign-extended word, or the byte alone as a device may give it;
    // words beyond a byte either way are refused.
    CModbusVariable_int8 offset(0xE012, "Offset", "", "C", false, -128, 127, -40);
    for (const char* text : {"256", "32768", "65407", "65536"})
        EXPECT_EQ("Offset" + tooLarge, read(offset, std::string("<v><value addr=\"57362\">") + text + "</value></v>"))
            << text;
    EXPECT_EQ("-40", offset.ToString());
    const struct { const char* text; const char* shown; } bytes[] = {
        {"0", "0"}, {"127", "127"}, {"65408", "-128"}, {"65535", "-1"}, {"216", "-40"}, {"128", "-128"}};
    for (const auto& b : bytes) {
        EXPECT_EQ("", read(offset, std::string("<v><value addr=\"57362\">") + b.text + "</value></v>")) << b.text;
        EXPECT_EQ(b.shown, offset.ToString()) << b.text;
    }
}

TEST(ModbusVariableXml, RefusesBrokenElementsAndKeepsEarlierOnes)
{
    const struct { const char* xml; const char* message; } cases[] = {
        {"<v><value>1</value></v>", "Pair missing 'addr' attribute"},
        {"<v><value addr=\"20\"/></v>", "Pair no text value for variable"},
        {"<v><value addr=\"20\">abc</value></v>", "Pair bad value"},
        {"<v><value addr=\"20\">-1</value></v>", "Pair bad value"},
        {"<v><value addr=\"22\">1</value></v>", "Pair had bad (unmatched) address"},
        {"<v><value addr=\"x\">1</value></v>", "Pair had bad (unmatched) address"},
    };
    for (const auto& c : cases) {
        CModbusVariable_IP pair(20, "Pair", "", true, false, "1.2.3.4");
        TiXmlDocument document;
        document.Parse(c.xml);
        ASSERT_FALSE(document.Error()) << c.xml;
        try {
            pair.ReadXml(document.RootElement());
            ADD_FAILURE() << "accepted " << c.xml;
        } catch (const std::range_error& error) {
            EXPECT_EQ(c.message, std::string(error.what())) << c.xml;
        }
        EXPECT_EQ("1.2.3.4", pair.ToString()) << c.xml;
    }

    CModbusVariable_IP pair(20, "Pair", "", true, false, "1.2.3.4");
    TiXmlDocument document;
    document.Parse("<v><value addr=\"21\">1285</value><value addr=\"99\">0</value></v>");
    EXPECT_THROW(pair.ReadXml(document.RootElement()), std::range_error);
    EXPECT_EQ("1.2.5.5", pair.ToString());

    TiXmlDocument noValues;
    noValues.Parse("<v><other addr=\"20\">0</other></v>");
    pair.ReadXml(noValues.RootElement());
    EXPECT_EQ("1.2.5.5", pair.ToString());
}

// The debug console's text rules: number and address input, tokens, strings packed into
// registers, and the lines the output list shows.
#include <gtest/gtest.h>

#include "modbus/CDialogModbusDebug.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
typedef CDialogModbusDebug Console;

// The text of the error the call throws; "" when it throws none.
std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

std::string NumberError(const std::string& text)
{
    return ErrorOf([&] { Console::ParseNumber(text, 16, false); });
}
} // namespace

TEST(ModbusDebugText, NumbersAreHexadecimalUnlessMarkedAndAtMostSixteenBits)
{
    EXPECT_EQ(0x12u, Console::ParseNumber("12", 16, false));
    EXPECT_EQ(0x10u, Console::ParseNumber("0x10", 16, false));
    EXPECT_EQ(5u, Console::ParseNumber("b.101", 16, false));
    EXPECT_EQ(0xFFFFu, Console::ParseNumber("ffff", 16, false));
    EXPECT_EQ(0x1Fu, Console::ParseNumber("  1f", 16, false));
    // "0" leads to octal only where the caller allows it.
    EXPECT_EQ(0x17u, Console::ParseNumber("017", 16, false));
    EXPECT_EQ(15u, Console::ParseNumber("017", 16, true));
    EXPECT_EQ(17u, Console::ParseNumber("17", 10, false));
    EXPECT_EQ(6u, Console::ParseNumber("110", 2, false));
    EXPECT_EQ(0u, Console::ParseNumber("b.", 16, false));

    EXPECT_EQ("empty value", NumberError(""));
    EXPECT_EQ("value too large (must be <= 0xFFFF)", NumberError("0x10000"));
    EXPECT_EQ("value too large (must be <= 0xFFFF)", NumberError("-1"));
    EXPECT_EQ("value has illegal characters in it", NumberError("12 "));
    EXPECT_EQ("value has illegal characters in it", NumberError("12g"));
    EXPECT_EQ("couldn't convert value to a number", NumberError("g"));
    EXPECT_EQ("couldn't convert value to a number", NumberError("0x"));
    EXPECT_EQ("invalid digit in binary string (must be 0 or 1)", NumberError("b.102"));
    EXPECT_EQ("binary string is too long (max 32 bits)", NumberError("b." + std::string(33, '1')));
    EXPECT_EQ("value too large (must be <= 0xFFFF)", NumberError("b." + std::string(17, '1')));
}

TEST(ModbusDebugText, AddressRangesAreOrderedPairsOfProtocolAddresses)
{
    unsigned first = 0, last = 0;
    EXPECT_FALSE(Console::ParsePduRange("10", first, last));
    EXPECT_EQ(0x10u, first);
    EXPECT_EQ(0x10u, last);
    EXPECT_TRUE(Console::ParsePduRange("10-12", first, last));
    EXPECT_EQ(0x10u, first);
    EXPECT_EQ(0x12u, last);
    EXPECT_TRUE(Console::ParsePduRange("0-1F3", first, last));
    EXPECT_EQ(499u, last);
    EXPECT_EQ("starting PDU address is greater than ending PDU address",
              ErrorOf([&] { Console::ParsePduRange("12-10", first, last); }));
    EXPECT_EQ("empty value", ErrorOf([&] { Console::ParsePduRange("10-", first, last); }));
    EXPECT_EQ("value has illegal characters in it", ErrorOf([&] { Console::ParsePduRange("1-2-3", first, last); }));
}

TEST(ModbusDebugText, TokensSplitAtSeparatorsOutsideQuotesAndTakeEscapedCharacters)
{
    std::vector<std::string> tokens;
    EXPECT_EQ(0, Console::Tokenize("", ',', '\0', tokens));
    EXPECT_TRUE(tokens.empty());
    EXPECT_EQ(2, Console::Tokenize("a,", ',', '\0', tokens));
    EXPECT_EQ((std::vector<std::string>{"a", ""}), tokens);
    EXPECT_EQ(3, Console::Tokenize("1,3,,", ',', '\0', tokens) - 1);
    EXPECT_EQ(2, Console::Tokenize("x\\,y,z", ',', '\0', tokens));
    EXPECT_EQ((std::vector<std::string>{"x,y", "z"}), tokens);
    EXPECT_EQ(2, Console::Tokenize("'a,b',c", ',', '\'', tokens));
    EXPECT_EQ((std::vector<std::string>{"a,b", "c"}), tokens);
    // Without a quote character quotes are ordinary characters.
    EXPECT_EQ(2, Console::Tokenize("'a,b'", ',', '\0', tokens));
    EXPECT_EQ((std::vector<std::string>{"'a", "b'"}), tokens);
}

TEST(ModbusDebugText, StringsFillRegistersLowByteFirstAndKeepTheTrailingNul)
{
    std::vector<WORD> registers(3, 0xFFFF);
    Console::StringToRegisters("AB", registers);
    EXPECT_EQ((std::vector<WORD>{0x4241, 0x0000, 0x0000}), registers);
    Console::StringToRegisters("ABCD", registers);
    EXPECT_EQ((std::vector<WORD>{0x4241, 0x4443, 0x0000}), registers);
    Console::StringToRegisters("ABC", registers);
    EXPECT_EQ((std::vector<WORD>{0x4241, 0x0043, 0x0000}), registers);
    EXPECT_EQ("string is too long to fit in the given number of registers: would overwrite trailing nul",
              ErrorOf([&] { Console::StringToRegisters("ABCDE", registers); }));

    // Escapes: the named ones, two hexadecimal digits, any other character as it is; a
    // broken hexadecimal escape is dropped and the character after it kept.
    std::vector<WORD> wide(8, 0);
    Console::StringToRegisters("\\n\\r\\t\\0\\x41\\xfF\\q\\\\", wide);
    EXPECT_EQ((std::vector<WORD>{0x0D0A, 0x0009, 0xFF41, 0x5C71, 0, 0, 0, 0}), wide);
    Console::StringToRegisters("\\xg\\x4h", wide);
    EXPECT_EQ((std::vector<WORD>{0x6867, 0, 0, 0, 0, 0, 0, 0}), wide);

    std::vector<WORD> none;
    EXPECT_EQ("string is too long to fit in the given number of registers",
              ErrorOf([&] { Console::StringToRegisters("A", none); }));
    Console::StringToRegisters("", none);
}

TEST(ModbusDebugText, OutputLinesShowHexDecimalAndEscapedCharacters)
{
    EXPECT_EQ("0x0010: 0x4142, 16706, \"BA\"", Console::FormatRegisterLine(0x10, 0x4142));
    EXPECT_EQ("0x0000: 0x0000,     0, \"\\0x00\\0x00\"", Console::FormatRegisterLine(0, 0));
    EXPECT_EQ("0xffff: 0x0a22,  2594, \"\\\"\\n\"", Console::FormatRegisterLine(0xFFFF, 0x0A22));
    EXPECT_EQ("\\t", Console::EscapeChar('\t'));
    EXPECT_EQ("\\r", Console::EscapeChar('\r'));
    EXPECT_EQ("\\\\", Console::EscapeChar('\\'));
    EXPECT_EQ("~", Console::EscapeChar('~'));
    EXPECT_EQ("\\0x7f", Console::EscapeChar(0x7F));
    EXPECT_EQ("\\0xe9", Console::EscapeChar(0xE9));

    EXPECT_EQ("\"BA\\0x00\\0x00\"", Console::RegistersToQuotedString({0x4142, 0}));
    EXPECT_EQ("\"\\0x01\\0x03\"", Console::BytesToQuotedString({1, 3}));

    // A quoted line of 40 registers (82 characters and more) goes out in pieces of 50.
    const std::string quoted = Console::RegistersToQuotedString(std::vector<WORD>(40, 0x4241));
    ASSERT_EQ(82u, quoted.size());
    const std::vector<std::string> pieces = Console::SplitOutputText(quoted);
    ASSERT_EQ(2u, pieces.size());
    EXPECT_EQ(50u, pieces[0].size());
    EXPECT_EQ(32u, pieces[1].size());
    EXPECT_EQ(quoted, pieces[0] + pieces[1]);
    EXPECT_TRUE(Console::SplitOutputText("").empty());
}

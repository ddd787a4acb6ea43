#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "documents/logfiles/LogValueNumber.h"

namespace {

// A log value is a number when strtod reads the whole text, and it is strtod's number.
void ExpectStrtodReading(const std::string& text)
{
    char* end = nullptr;
    double expected = std::strtod(text.c_str(), &end);
    const bool whole = !text.empty() && end == text.c_str() + text.size();
    if (!whole)
        expected = 0;
    double value = -1;
    ASSERT_EQ(whole, ParseWholeNumber(text, value)) << '"' << text << '"';
    // Bit for bit: a NaN or the sign of a zero counts too.
    ASSERT_EQ(0, std::memcmp(&expected, &value, sizeof value)) << '"' << text << '"';
}

}  // namespace

TEST(LogValueNumber, PlainDecimalsReadToStrtodsDoubleBitForBit)
{
    std::mt19937 random(20240911);
    char text[96];
    for (int i = 0; i < 200000; ++i) {
        // Mantissas of 1 to 25 digits, some with a point, exponents up to the ends of the range.
        std::string digits;
        const int count = 1 + static_cast<int>(random() % 25);
        for (int d = 0; d < count; ++d)
            digits += static_cast<char>('0' + random() % 10);
        if (random() % 2)
            digits.insert(random() % (digits.size() + 1), ".");
        const char* sign = random() % 3 == 0 ? "-" : "";
        switch (random() % 3) {
        case 0: std::snprintf(text, sizeof text, "%s%s", sign, digits.c_str()); break;
        case 1:
            std::snprintf(text, sizeof text, "%s%se%d", sign, digits.c_str(), static_cast<int>(random() % 700) - 350);
            break;
        default:
            std::snprintf(text, sizeof text, "%s%sE+%d", sign, digits.c_str(), static_cast<int>(random() % 40));
            break;
        }
        ASSERT_NO_FATAL_FAILURE(ExpectStrtodReading(text));
    }
    // Values printed back at full precision, as the logger writes some of them.
    for (int i = 0; i < 20000; ++i) {
        double original = 0;
        const unsigned long long bits = (static_cast<unsigned long long>(random()) << 32) | random();
        std::memcpy(&original, &bits, sizeof original);
        std::snprintf(text, sizeof text, random() % 2 ? "%.17g" : "%.6f", original);
        ASSERT_NO_FATAL_FAILURE(ExpectStrtodReading(text));
    }
}

TEST(LogValueNumber, EveryOtherFormIsStrtodsToDecide)
{
    const char* const texts[] = {
        "", "-", ".", "-.", "+", "e5", ".e5", "1e", "1e+", "1.5.2", "12abc", "13.25 ", " 13.25", "\t7",
        "+5", "+.5", "--5", "0x10", "0X1p3", "-0x1.8p1", "0x", "inf", "-inf", "INF", "infinity", "Infinity",
        "nan", "NaN", "-nan", "nan(123)", "in", "Float", "Bulk", "a,b", "1e999", "-1e999", "1e-400",
        "4.9e-324", "2.2250738585072011e-308", "1.7976931348623157e308", "1.7976931348623159e308", "-0",
        "0.000", "00012", "1,5", "1 000", "C:\\logs", "Say \"done\""};
    for (const char* text : texts)
        ASSERT_NO_FATAL_FAILURE(ExpectStrtodReading(text));
}

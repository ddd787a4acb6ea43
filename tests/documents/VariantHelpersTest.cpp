#include <gtest/gtest.h>

#include <cstdlib>

#include "documents/VariantHelpers.h"
#include "framework/COleCurrency.h"
#include "framework/COleDateTime.h"
#include "framework/COleVariant.h"

namespace {

VARIANT Typed(VARTYPE type)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    return value;
}

COleVariant UnsignedLong(ULONG number)
{
    COleVariant value;
    value.vt = VT_UI4;
    value.ulVal = number;
    return value;
}

COleVariant SmallInteger(VARTYPE type, int number)
{
    COleVariant value;
    value.vt = type;
    if (type == VT_I1)
        value.cVal = static_cast<CHAR>(number);
    else if (type == VT_UI1)
        value.bVal = static_cast<BYTE>(number);
    else
        value.uiVal = static_cast<USHORT>(number);
    return value;
}

// A date variant cannot carry a status: an invalid one is a day outside the calendar.
VARIANT InvalidDate()
{
    VARIANT value = Typed(VT_DATE);
    value.date = 1e10;
    return value;
}

}  // namespace

TEST(VariantFormat, DefaultFormatsPerType)
{
    EXPECT_EQ("%i", DefaultVariantFormat(VT_I2));
    EXPECT_EQ("%i", DefaultVariantFormat(VT_BOOL));
    EXPECT_EQ("%i", DefaultVariantFormat(VT_I1));
    EXPECT_EQ("%i", DefaultVariantFormat(VT_I8));
    EXPECT_EQ("%i", DefaultVariantFormat(VT_INT));
    EXPECT_EQ("%li", DefaultVariantFormat(VT_I4));
    EXPECT_EQ("%.2f", DefaultVariantFormat(VT_R4));
    EXPECT_EQ("%.4lf", DefaultVariantFormat(VT_R8));
    EXPECT_EQ("%s", DefaultVariantFormat(VT_BSTR));
    EXPECT_EQ("%u", DefaultVariantFormat(VT_UI1));
    EXPECT_EQ("%u", DefaultVariantFormat(VT_UI2));
    EXPECT_EQ("%u", DefaultVariantFormat(VT_UI8));
    EXPECT_EQ("%u", DefaultVariantFormat(VT_UINT));
    EXPECT_EQ("%lu", DefaultVariantFormat(VT_UI4));
    EXPECT_EQ("", DefaultVariantFormat(VT_DATE));
    EXPECT_EQ("", DefaultVariantFormat(VT_CY));
}

TEST(VariantFormat, NumbersWithTheirDefaultFormat)
{
    EXPECT_EQ("1.5000", FormatVariant(COleVariant(1.5)));
    EXPECT_EQ("2.50", FormatVariant(COleVariant(2.5f)));
    EXPECT_EQ("-5", FormatVariant(COleVariant(short(-5))));
    EXPECT_EQ("-70000", FormatVariant(COleVariant(-70000L)));
    EXPECT_EQ("4000000000", FormatVariant(UnsignedLong(4000000000u)));
    EXPECT_EQ("-3", FormatVariant(SmallInteger(VT_I1, -3)));
    EXPECT_EQ("200", FormatVariant(SmallInteger(VT_UI1, 200)));
    EXPECT_EQ("65535", FormatVariant(SmallInteger(VT_UI2, 65535)));
}

TEST(VariantFormat, NumbersWithTheCallersFormat)
{
    EXPECT_EQ("1.5", FormatVariant(COleVariant(1.5), "%.1f"));
    EXPECT_EQ("00042", FormatVariant(COleVariant(42L), "%05li"));
    EXPECT_EQ("0x00FF", FormatVariant(SmallInteger(VT_UI2, 255), "0x%04X"));
    EXPECT_EQ("12.3 V", FormatVariant(COleVariant(12.34f), "%.1f V"));
    EXPECT_EQ("100%", FormatVariant(COleVariant(short(100)), "%i%%"));
}

TEST(VariantFormat, FormatsThatDoNotFitTheValueFallBackToTheDefault)
{
    EXPECT_EQ("42", FormatVariant(COleVariant(42L), "%s"));
    EXPECT_EQ("42", FormatVariant(COleVariant(42L), "%f"));
    EXPECT_EQ("42", FormatVariant(COleVariant(42L), "%lld"));
    EXPECT_EQ("42", FormatVariant(COleVariant(42L), "%i %i"));
    EXPECT_EQ("42", FormatVariant(COleVariant(42L), "%n"));
    EXPECT_EQ("42", FormatVariant(COleVariant(42L), "%*i"));
    EXPECT_EQ("42", FormatVariant(COleVariant(42L), "no conversion"));
    EXPECT_EQ("1.5000", FormatVariant(COleVariant(1.5), "%i"));
    EXPECT_EQ("1.5000", FormatVariant(COleVariant(1.5), "%Lf"));
    EXPECT_EQ("1.5000", FormatVariant(COleVariant(1.5), "%"));
}

TEST(VariantFormat, BooleansEmptyNullAndText)
{
    EXPECT_EQ("true", FormatVariant(COleVariant(true), "%.4lf"));
    EXPECT_EQ("false", FormatVariant(COleVariant(false)));
    EXPECT_EQ("true", BoolText(-1));
    EXPECT_EQ("false", BoolText(0));
    EXPECT_EQ("", FormatVariant(COleVariant()));
    EXPECT_EQ("NULL", FormatVariant(Typed(VT_NULL)));
    EXPECT_EQ("Battery Voltage", FormatVariant(COleVariant("Battery Voltage"), "%i"));
}

TEST(VariantFormat, DatesAndCurrencyUseTheFrameworkTexts)
{
    const COleDateTime date(2012, 3, 15, 10, 20, 30);
    EXPECT_EQ(std::string(date.Format(0, LANG_USER_DEFAULT)), FormatVariant(COleVariant(date)));
    EXPECT_EQ("Invalid DateTime", FormatVariant(InvalidDate()));
    const COleCurrency money(12, 3400);
    EXPECT_EQ(std::string(money.Format(0, LANG_USER_DEFAULT)), FormatVariant(COleVariant(money)));
    EXPECT_NE("", FormatVariant(COleVariant(money)));
}

TEST(VariantFormat, DecimalAsItsNumber)
{
    VARIANT value = Typed(VT_DECIMAL);
    ASSERT_EQ(S_OK, VarDecFromI4(1234, &value.decVal));
    value.vt = VT_DECIMAL;
    EXPECT_EQ("1234", FormatVariant(value));
}

TEST(VariantFormat, OtherTypesByName)
{
    EXPECT_EQ("VT_DISPATCH", FormatVariant(Typed(VT_DISPATCH)));
    EXPECT_EQ("VT_ERROR", FormatVariant(Typed(VT_ERROR)));
    EXPECT_EQ("VT_UNKNOWN", FormatVariant(Typed(VT_UNKNOWN)));
    EXPECT_EQ("VT_I8", FormatVariant(Typed(VT_I8)));
    EXPECT_EQ("VT_UINT", FormatVariant(Typed(VT_UINT)));
    EXPECT_EQ("VT_CLSID", FormatVariant(Typed(VT_CLSID)));
    EXPECT_EQ("VT_STREAMED_OBJECT", FormatVariant(Typed(VT_STREAMED_OBJECT)));
    EXPECT_EQ("", FormatVariant(Typed(VT_RECORD)));
}

TEST(VariantFormat, ArraysAndReferencesAreNamedNotPrinted)
{
    EXPECT_EQ("Array of VT_I4", FormatVariant(Typed(VT_ARRAY | VT_I4)));
    EXPECT_EQ("Pointer to VT_R8", FormatVariant(Typed(VT_BYREF | VT_R8)));
    EXPECT_EQ("Array of Pointer to VT_BSTR", FormatVariant(Typed(VT_ARRAY | VT_BYREF | VT_BSTR)));
    EXPECT_EQ("Array of VT_EMPTY", FormatVariant(Typed(VT_ARRAY | VT_EMPTY)));
    EXPECT_EQ("Array of ", FormatVariant(Typed(VT_ARRAY | VT_DECIMAL)));
}

TEST(VariantNumbers, IntegerTypesAndBooleans)
{
    bool ok = false;
    EXPECT_EQ(-5, VariantToDouble(COleVariant(short(-5)), ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(-70000, VariantToDouble(COleVariant(-70000L), ok));
    EXPECT_EQ(-3, VariantToDouble(SmallInteger(VT_I1, -3), ok));
    EXPECT_EQ(200, VariantToDouble(SmallInteger(VT_UI1, 200), ok));
    EXPECT_EQ(65535, VariantToDouble(SmallInteger(VT_UI2, 65535), ok));
    EXPECT_EQ(4294967295.0, VariantToDouble(UnsignedLong(0xFFFFFFFFu), ok));
    EXPECT_EQ(1, VariantToDouble(COleVariant(true), ok));
    EXPECT_EQ(0, VariantToDouble(COleVariant(false), ok));
    EXPECT_TRUE(ok);

    EXPECT_EQ(-5, VariantToInt(COleVariant(short(-5)), ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(-3, VariantToInt(SmallInteger(VT_I1, -3), ok));
    EXPECT_EQ(200, VariantToInt(SmallInteger(VT_UI1, 200), ok));
    EXPECT_EQ(65535, VariantToInt(SmallInteger(VT_UI2, 65535), ok));
    EXPECT_EQ(-70000, VariantToInt(COleVariant(-70000L), ok));
    EXPECT_EQ(-1, VariantToInt(UnsignedLong(0xFFFFFFFFu), ok));
    EXPECT_EQ(1, VariantToInt(COleVariant(true), ok));
    EXPECT_TRUE(ok);
}

TEST(VariantNumbers, RealsConvertToDoubleOnly)
{
    bool ok = false;
    EXPECT_EQ(1.5, VariantToDouble(COleVariant(1.5), ok));
    EXPECT_TRUE(ok);
    EXPECT_FLOAT_EQ(2.25f, static_cast<float>(VariantToDouble(COleVariant(2.25f), ok)));
    EXPECT_TRUE(ok);
    EXPECT_EQ(0, VariantToInt(COleVariant(1.5), ok));
    EXPECT_FALSE(ok);
    ok = true;
    VariantToInt(COleVariant(2.25f), ok);
    EXPECT_FALSE(ok);
}

TEST(VariantNumbers, OtherTypesAreNotNumbers)
{
    for (const COleVariant& value : {COleVariant("12"), COleVariant(), COleVariant(Typed(VT_NULL)),
                                     COleVariant(COleCurrency(1, 0))}) {
        bool ok = true;
        EXPECT_EQ(0, VariantToDouble(value, ok));
        EXPECT_FALSE(ok);
        ok = true;
        EXPECT_EQ(0, VariantToInt(value, ok));
        EXPECT_FALSE(ok);
    }
}

TEST(VariantNumbers, DatesAreLocalSecondsSince1970)
{
    // 15 March 2012 00:00:00 UTC; local time differs by the zone only, never by a month.
    const double utcSeconds = 1331769600.0;
    bool ok = false;
    const double seconds = VariantToDouble(COleVariant(COleDateTime(2012, 3, 15, 0, 0, 0)), ok);
    EXPECT_TRUE(ok);
    EXPECT_LE(std::abs(seconds - utcSeconds), 14 * 3600.0);
    const COleDateTime back(static_cast<__time64_t>(seconds));
    EXPECT_EQ(3, back.GetMonth());
    EXPECT_EQ(15, back.GetDay());

    const double nextDay = VariantToDouble(COleVariant(COleDateTime(2012, 3, 16, 0, 0, 0)), ok);
    EXPECT_EQ(86400.0, nextDay - seconds);

    EXPECT_EQ(static_cast<int>(seconds),
              VariantToInt(COleVariant(COleDateTime(2012, 3, 15, 0, 0, 0)), ok));
    EXPECT_TRUE(ok);
}

TEST(VariantNumbers, InvalidDateIsMinusOne)
{
    bool ok = false;
    EXPECT_EQ(-1, VariantToDouble(InvalidDate(), ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(-1, VariantToInt(InvalidDate(), ok));
}

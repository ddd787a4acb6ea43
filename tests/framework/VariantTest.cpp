#include <gtest/gtest.h>

#include <climits>
#include <cwchar>

#include "framework/COleCurrency.h"
#include "framework/COleDateTime.h"
#include "framework/COleException.h"
#include "framework/COleVariant.h"
#include "framework/CString.h"

namespace {

const LCID EnglishUs = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

COleCurrency NullCurrency()
{
    COleCurrency value;
    value.SetStatus(COleCurrency::null);
    return value;
}

COleCurrency InvalidCurrency()
{
    COleCurrency value(1, 0);
    value.SetStatus(COleCurrency::invalid);
    return value;
}

}  // namespace

// --- Construction --------------------------------------------------------------------

TEST(VariantConstruction, BoolGivesVariantBoolMinusOneOrZero)
{
    const COleVariant yes(true);
    EXPECT_EQ(VT_BOOL, yes.vt);
    EXPECT_EQ(-1, yes.boolVal);
    const COleVariant no(false);
    EXPECT_EQ(VT_BOOL, no.vt);
    EXPECT_EQ(0, no.boolVal);
    const COleVariant fromShort(static_cast<short>(7), VT_BOOL);
    EXPECT_EQ(VT_BOOL, fromShort.vt);
    EXPECT_EQ(VARIANT_TRUE, fromShort.boolVal);
}

TEST(VariantConstruction, NumbersKeepTheirType)
{
    EXPECT_EQ(VT_UI1, COleVariant(static_cast<BYTE>(200)).vt);
    EXPECT_EQ(200, COleVariant(static_cast<BYTE>(200)).bVal);
    EXPECT_EQ(VT_I2, COleVariant(static_cast<short>(-5)).vt);
    EXPECT_EQ(-5, COleVariant(static_cast<short>(-5)).iVal);
    EXPECT_EQ(VT_I4, COleVariant(-70000L).vt);
    EXPECT_EQ(-70000, COleVariant(-70000L).lVal);
    EXPECT_EQ(VT_I4, COleVariant(12).vt);
    EXPECT_EQ(VT_R4, COleVariant(1.5f).vt);
    EXPECT_EQ(1.5f, COleVariant(1.5f).fltVal);
    EXPECT_EQ(VT_R8, COleVariant(2.25).vt);
    EXPECT_EQ(2.25, COleVariant(2.25).dblVal);
}

TEST(VariantConstruction, AlternativeTypes)
{
    const COleVariant error(static_cast<long>(DISP_E_PARAMNOTFOUND), VT_ERROR);
    EXPECT_EQ(VT_ERROR, error.vt);
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, error.scode);
    const COleVariant date(40000.5, VT_DATE);
    EXPECT_EQ(VT_DATE, date.vt);
    EXPECT_EQ(40000.5, date.date);
}

TEST(VariantConstruction, DateAndCurrency)
{
    const COleVariant date(COleDateTime(2012, 3, 15, 6, 0, 0));
    EXPECT_EQ(VT_DATE, date.vt);
    EXPECT_DOUBLE_EQ(40983.25, date.date);
    const COleVariant money(COleCurrency(12, 3400));
    EXPECT_EQ(VT_CY, money.vt);
    EXPECT_EQ(123400, money.cyVal.int64);
}

TEST(VariantConstruction, TextBecomesAWideString)
{
    const COleVariant text("abc def");
    ASSERT_EQ(VT_BSTR, text.vt);
    EXPECT_EQ(7u, SysStringLen(text.bstrVal));
    EXPECT_STREQ(L"abc def", text.bstrVal);

    const COleVariant fromCString(CString("xyz"));
    ASSERT_EQ(VT_BSTR, fromCString.vt);
    EXPECT_STREQ(L"xyz", fromCString.bstrVal);

    const COleVariant empty("");
    ASSERT_EQ(VT_BSTR, empty.vt);
    EXPECT_EQ(0u, SysStringLen(empty.bstrVal));

    const COleVariant none(static_cast<const char*>(nullptr));
    EXPECT_EQ(VT_BSTR, none.vt);
    EXPECT_EQ(nullptr, none.bstrVal);
}

TEST(VariantConstruction, FromPlainVariantIsADeepCopy)
{
    VARIANT plain;
    VariantInit(&plain);
    plain.vt = VT_BSTR;
    plain.bstrVal = SysAllocString(L"plain");
    {
        const COleVariant copy(plain);
        ASSERT_EQ(VT_BSTR, copy.vt);
        EXPECT_NE(plain.bstrVal, copy.bstrVal);
        EXPECT_STREQ(L"plain", copy.bstrVal);
    }
    // The copy's destructor must have freed only its own string.
    EXPECT_STREQ(L"plain", plain.bstrVal);
    VariantClear(&plain);
}

// --- Copies --------------------------------------------------------------------------

TEST(VariantCopy, CopiedStringIsIndependent)
{
    const COleVariant original("hello");
    COleVariant copy(original);
    ASSERT_EQ(VT_BSTR, copy.vt);
    EXPECT_NE(original.bstrVal, copy.bstrVal);
    copy.bstrVal[0] = L'J';
    EXPECT_STREQ(L"hello", original.bstrVal);
    EXPECT_STREQ(L"Jello", copy.bstrVal);
}

TEST(VariantCopy, AssignmentReplacesAndCopies)
{
    const COleVariant source("new");
    COleVariant target("old");
    target = source;
    ASSERT_EQ(VT_BSTR, target.vt);
    EXPECT_NE(source.bstrVal, target.bstrVal);
    EXPECT_STREQ(L"new", target.bstrVal);

    target = COleVariant(3.5);
    EXPECT_EQ(VT_R8, target.vt);
    EXPECT_EQ(3.5, target.dblVal);

    COleVariant& self = target;
    target = self;
    EXPECT_EQ(VT_R8, target.vt);
    EXPECT_EQ(3.5, target.dblVal);
}

TEST(VariantCopy, ClearEmptiesTheVariant)
{
    COleVariant text("to be freed");
    text.Clear();
    EXPECT_EQ(VT_EMPTY, text.vt);
    text.Clear();
    EXPECT_EQ(VT_EMPTY, text.vt);
}

TEST(VariantCopy, AttachTakesOverAndDetachHandsBack)
{
    VARIANT plain;
    VariantInit(&plain);
    plain.vt = VT_BSTR;
    plain.bstrVal = SysAllocString(L"owned");
    const BSTR string = plain.bstrVal;

    COleVariant holder(5L);
    holder.Attach(plain);
    EXPECT_EQ(VT_EMPTY, plain.vt);
    ASSERT_EQ(VT_BSTR, holder.vt);
    EXPECT_EQ(string, holder.bstrVal);

    VARIANT back = holder.Detach();
    EXPECT_EQ(VT_EMPTY, holder.vt);
    ASSERT_EQ(VT_BSTR, back.vt);
    EXPECT_EQ(string, back.bstrVal);
    VariantClear(&back);
}

// --- Conversion ----------------------------------------------------------------------

TEST(VariantChangeType, TextToNumberInPlace)
{
    COleVariant value("42");
    value.ChangeType(VT_I4);
    EXPECT_EQ(VT_I4, value.vt);
    EXPECT_EQ(42, value.lVal);
}

TEST(VariantChangeType, NumberToTextAndBool)
{
    COleVariant value(7L);
    value.ChangeType(VT_BSTR);
    ASSERT_EQ(VT_BSTR, value.vt);
    EXPECT_STREQ(L"7", value.bstrVal);
    COleVariant flag(0L);
    flag.ChangeType(VT_BOOL);
    EXPECT_EQ(VT_BOOL, flag.vt);
    EXPECT_EQ(VARIANT_FALSE, flag.boolVal);
}

TEST(VariantChangeType, FromAnotherSourceLeavesTheSource)
{
    COleVariant source(2.75);
    COleVariant target("replaced");
    target.ChangeType(VT_I2, source);
    EXPECT_EQ(VT_I2, target.vt);
    EXPECT_EQ(3, target.iVal);
    EXPECT_EQ(VT_R8, source.vt);
    EXPECT_EQ(2.75, source.dblVal);
}

TEST(VariantChangeType, FailureThrowsAndKeepsTheValue)
{
    COleVariant value("not a number");
    SCODE code = S_OK;
    try {
        value.ChangeType(VT_I4);
    } catch (COleException* e) {
        code = e->m_sc;
        char message[256] = {};
        EXPECT_TRUE(e->GetErrorMessage(message, sizeof message));
        EXPECT_NE('\0', message[0]);
        e->Delete();
    }
    EXPECT_EQ(DISP_E_TYPEMISMATCH, code);
    ASSERT_EQ(VT_BSTR, value.vt);
    EXPECT_STREQ(L"not a number", value.bstrVal);
}

TEST(VariantChangeType, OverflowThrows)
{
    COleVariant value(100000L);
    SCODE code = S_OK;
    try {
        value.ChangeType(VT_I2);
    } catch (COleException* e) {
        code = e->m_sc;
        e->Delete();
    }
    EXPECT_EQ(DISP_E_OVERFLOW, code);
}

// --- Comparison ----------------------------------------------------------------------

TEST(VariantCompare, StringsCompareByCharacters)
{
    EXPECT_TRUE(COleVariant("same") == COleVariant("same"));
    EXPECT_FALSE(COleVariant("same") == COleVariant("Same"));
    EXPECT_FALSE(COleVariant("same") == COleVariant("same "));
    EXPECT_TRUE(COleVariant("") == COleVariant(static_cast<const char*>(nullptr)));
}

TEST(VariantCompare, TypeAndValueMustMatch)
{
    EXPECT_TRUE(COleVariant(5L) == COleVariant(5L));
    EXPECT_FALSE(COleVariant(5L) == COleVariant(6L));
    EXPECT_FALSE(COleVariant(5L) == COleVariant(static_cast<short>(5)));
    EXPECT_TRUE(COleVariant(true) == COleVariant(static_cast<short>(1), VT_BOOL));
    EXPECT_TRUE(COleVariant(1.5) != COleVariant(1.5, VT_DATE));
    EXPECT_TRUE(COleVariant() == COleVariant());
    EXPECT_TRUE(COleVariant(COleCurrency(1, 5)) == COleVariant(COleCurrency(1, 5)));
}

// --- Currency ------------------------------------------------------------------------

TEST(Currency, UnitsAndFractions)
{
    EXPECT_EQ(15000, COleCurrency(1, 5000).m_cur.int64);
    EXPECT_EQ(-15000, COleCurrency(-1, -5000).m_cur.int64);
    EXPECT_EQ(-5000, COleCurrency(0, -5000).m_cur.int64);
    EXPECT_EQ(0, COleCurrency().m_cur.int64);
    EXPECT_EQ(COleCurrency::valid, COleCurrency().GetStatus());
    EXPECT_EQ(static_cast<LONGLONG>(LONG_MAX) * 10000 + 9999,
              COleCurrency(LONG_MAX, 9999).m_cur.int64);
}

TEST(Currency, Arithmetic)
{
    COleCurrency total(10, 0);
    total += COleCurrency(0, 2500);
    EXPECT_EQ(102500, total.m_cur.int64);
    total -= COleCurrency(20, 0);
    EXPECT_EQ(-97500, total.m_cur.int64);
    EXPECT_EQ(97500, (-total).m_cur.int64);
    EXPECT_EQ(-292500, (total * 3).m_cur.int64);
    EXPECT_EQ(-48750, (total / 2).m_cur.int64);
    EXPECT_TRUE(COleCurrency(1, 0) < COleCurrency(1, 1));
    EXPECT_TRUE(COleCurrency(-1, 0) <= COleCurrency(-1, 0));
    EXPECT_TRUE(COleCurrency(2, 0) == COleCurrency(1, 10000));
}

TEST(Currency, OverflowAndDivisionByZeroGiveInvalid)
{
    CY largest;
    largest.int64 = LLONG_MAX;
    CY smallest;
    smallest.int64 = LLONG_MIN;
    EXPECT_EQ(COleCurrency::invalid, (COleCurrency(largest) + COleCurrency(0, 1)).GetStatus());
    EXPECT_EQ(COleCurrency::invalid, (COleCurrency(smallest) - COleCurrency(0, 1)).GetStatus());
    EXPECT_EQ(COleCurrency::invalid, (COleCurrency(largest) * 2).GetStatus());
    EXPECT_EQ(COleCurrency::invalid, (-COleCurrency(smallest)).GetStatus());
    EXPECT_EQ(COleCurrency::invalid, (COleCurrency(smallest) / -1).GetStatus());
    EXPECT_EQ(COleCurrency::invalid, (COleCurrency(5, 0) / 0).GetStatus());
}

TEST(Currency, StatusPropagates)
{
    const COleCurrency one(1, 0);
    EXPECT_EQ(COleCurrency::null, (NullCurrency() + one).GetStatus());
    EXPECT_EQ(COleCurrency::null, (NullCurrency() + InvalidCurrency()).GetStatus());
    EXPECT_EQ(COleCurrency::invalid, (InvalidCurrency() - one).GetStatus());
    EXPECT_EQ(COleCurrency::invalid, (InvalidCurrency() * 2).GetStatus());
    EXPECT_FALSE(InvalidCurrency() < one);
    EXPECT_FALSE(one < InvalidCurrency());
    EXPECT_FALSE(InvalidCurrency() == one);
}

TEST(Currency, FormatAndParse)
{
    EXPECT_STREQ("1.5", COleCurrency(1, 5000).Format(LOCALE_NOUSEROVERRIDE, EnglishUs).GetString());
    EXPECT_STREQ("-1234.5678",
                 COleCurrency(-1234, -5678).Format(LOCALE_NOUSEROVERRIDE, EnglishUs).GetString());
    EXPECT_STREQ("", NullCurrency().Format().GetString());
    EXPECT_STREQ("Invalid Currency", InvalidCurrency().Format().GetString());

    COleCurrency parsed;
    EXPECT_TRUE(parsed.ParseCurrency("12.3456", LOCALE_NOUSEROVERRIDE, EnglishUs));
    EXPECT_EQ(123456, parsed.m_cur.int64);
    EXPECT_FALSE(parsed.ParseCurrency("twelve"));
    EXPECT_EQ(COleCurrency::invalid, parsed.GetStatus());

    // What the user's locale writes, it reads back.
    const COleCurrency amount(-77, -125);
    COleCurrency roundTrip;
    EXPECT_TRUE(roundTrip.ParseCurrency(amount.Format()));
    EXPECT_TRUE(roundTrip == amount);
}

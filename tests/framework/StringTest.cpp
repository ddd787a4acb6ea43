#include "framework/CString.h"

#include <gtest/gtest.h>

#include "framework/MessageBoxHook.h"
#include "tests/framework/FrameworkTestResources.h"
#include "tests/support/MessageBoxRecorder.h"

#include <cstring>
#include <string>

namespace
{

TEST(StringConstruction, NullPointerGivesEmptyString)
{
    const char* nothing = nullptr;
    CString fromNull(nothing);
    CString fromNullLiteral(NULL);
    EXPECT_TRUE(fromNull.IsEmpty());
    EXPECT_TRUE(fromNullLiteral.IsEmpty());
    EXPECT_STREQ("", fromNull.GetString());

    CString assigned("x");
    assigned = nothing;
    EXPECT_TRUE(assigned.IsEmpty());
}

TEST(StringConstruction, PointerAndLengthStopsAtLengthOrNul)
{
    EXPECT_EQ("abc", CString("abcdef", 3));
    EXPECT_EQ("ab", CString("ab\0cd", 5));
    EXPECT_TRUE(CString("abc", 0).IsEmpty());
    EXPECT_TRUE(CString("abc", -4).IsEmpty());
}

TEST(StringConstruction, RepeatedCharAndStdString)
{
    EXPECT_EQ("zzzz", CString('z', 4));
    EXPECT_EQ("q", CString('q'));
    EXPECT_TRUE(CString('z', 0).IsEmpty());
    EXPECT_TRUE(CString('z', -1).IsEmpty());

    const std::string source = "from std";
    CString converted(source);
    EXPECT_EQ(source, std::string(converted));
    const std::string back = converted;
    EXPECT_EQ(source, back);
}

TEST(StringFormat, OutputLongerThanAnyFixedBuffer)
{
    const std::string longPart(3000, 'x');
    CString text;
    text.Format("[%s]%d", longPart.c_str(), 42);
    ASSERT_EQ(3004, text.GetLength());
    EXPECT_EQ('[', text[0]);
    EXPECT_EQ(']', text[3001]);
    EXPECT_EQ("42", text.Right(2));
}

TEST(StringFormat, CStringArgumentThroughCastAndReplacesOldContent)
{
    const CString name("COM3");
    CString text("old content that must go");
    text.Format("port %s at %u baud", (LPCTSTR)name, 9600u);
    EXPECT_EQ("port COM3 at 9600 baud", text);
}

TEST(StringFormat, AppendFormatKeepsExistingText)
{
    CString text("a=");
    text.AppendFormat("%d", 1);
    text.AppendFormat(", b=%.2f", 2.5);
    EXPECT_EQ("a=1, b=2.50", text);

    const std::string longPart(2000, 'y');
    text.AppendFormat("%s", longPart.c_str());
    EXPECT_EQ(11 + 2000, text.GetLength());
}

TEST(StringFormat, EmptyResult)
{
    CString text("previous");
    text.Format("%s", "");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(StringOperators, ConcatenationWithEveryOperandKind)
{
    const CString middle("mid");
    EXPECT_EQ("<mid>", "<" + middle + ">");
    EXPECT_EQ("<mid>", '<' + middle + '>');
    EXPECT_EQ("midmid", middle + middle);

    CString built;
    built += "a";
    built += 'b';
    built += middle;
    built += std::string("z");
    EXPECT_EQ("abmidz", built);
}

TEST(StringOperators, ComparisonsOnEitherSide)
{
    const CString apple("apple");
    const CString banana("banana");
    EXPECT_TRUE(apple == "apple");
    EXPECT_TRUE("apple" == apple);
    EXPECT_TRUE(apple != banana);
    EXPECT_TRUE("banana" != apple);
    EXPECT_TRUE(apple < banana);
    EXPECT_TRUE("apple" < banana);
    EXPECT_TRUE(banana > "apple");
    EXPECT_TRUE("banana" > apple);
    EXPECT_TRUE(apple <= "apple");
    EXPECT_TRUE("apple" >= apple);
    EXPECT_FALSE(banana <= apple);
    EXPECT_FALSE("apple" >= banana);
}

TEST(StringCompare, CompareNoCase)
{
    const CString mixed("Com10");
    EXPECT_EQ(0, mixed.CompareNoCase("cOM10"));
    EXPECT_LT(mixed.CompareNoCase("COM2"), 0);
    EXPECT_GT(mixed.CompareNoCase("com"), 0);
    EXPECT_LT(CString("com").CompareNoCase("COM1"), 0);
    EXPECT_NE(0, mixed.Compare("com10"));
    EXPECT_GT(CString("a").CompareNoCase(nullptr), 0);
}

TEST(StringCompare, CharactersAboveAsciiCompareAsUnsigned)
{
    const CString high("\xE9");
    EXPECT_GT(high.Compare("a"), 0);
    EXPECT_GT(high.CompareNoCase("A"), 0);
}

TEST(StringExtract, LeftMidRightClampOutOfRangeCounts)
{
    const CString text("abcdef");
    EXPECT_EQ("abc", text.Left(3));
    EXPECT_EQ("abcdef", text.Left(100));
    EXPECT_TRUE(text.Left(-2).IsEmpty());

    EXPECT_EQ("cdef", text.Mid(2));
    EXPECT_EQ("cd", text.Mid(2, 2));
    EXPECT_EQ("ef", text.Mid(4, 50));
    EXPECT_TRUE(text.Mid(6).IsEmpty());
    EXPECT_TRUE(text.Mid(99, 3).IsEmpty());
    EXPECT_EQ("ab", text.Mid(-3, 2));
    EXPECT_TRUE(text.Mid(1, -1).IsEmpty());

    EXPECT_EQ("ef", text.Right(2));
    EXPECT_EQ("abcdef", text.Right(7));
    EXPECT_TRUE(text.Right(-1).IsEmpty());
}

TEST(StringExtract, SpanIncludingAndExcluding)
{
    const CString text("123abc456");
    EXPECT_EQ("123", text.SpanIncluding("0123456789"));
    EXPECT_TRUE(text.SpanIncluding("abc").IsEmpty());
    EXPECT_EQ("123", text.SpanExcluding("abc"));
    EXPECT_EQ("123abc456", text.SpanExcluding(";"));
}

TEST(StringSearch, FindCharAndSubstringWithStart)
{
    const CString text("a.b.c");
    EXPECT_EQ(1, text.Find('.'));
    EXPECT_EQ(3, text.Find('.', 2));
    EXPECT_EQ(-1, text.Find('.', 4));
    EXPECT_EQ(2, text.Find("b.c"));
    EXPECT_EQ(-1, text.Find("b.c", 3));
    EXPECT_EQ(-1, text.Find('x'));
}

TEST(StringSearch, StartPastTheEndOrNegativeFindsNothing)
{
    const CString text("abc");
    EXPECT_EQ(-1, text.Find('a', 3));
    EXPECT_EQ(-1, text.Find('a', 1000));
    EXPECT_EQ(-1, text.Find("a", 4));
    EXPECT_EQ(-1, text.Find('a', -1));
    EXPECT_EQ(-1, text.Find("a", -1));
}

TEST(StringSearch, ReverseFindAndFindOneOf)
{
    const CString path("C:\\dir\\file.txt");
    EXPECT_EQ(6, path.ReverseFind('\\'));
    EXPECT_EQ(-1, path.ReverseFind('/'));
    EXPECT_EQ(-1, CString().ReverseFind('x'));
    EXPECT_EQ(2, path.FindOneOf("\\."));
    EXPECT_EQ(-1, path.FindOneOf("?*"));
}

TEST(StringEdit, ReplaceCharCountsEveryOccurrence)
{
    CString text("a-b-c");
    EXPECT_EQ(2, text.Replace('-', '+'));
    EXPECT_EQ("a+b+c", text);
    EXPECT_EQ(0, text.Replace('x', 'y'));
}

TEST(StringEdit, ReplaceOverlappingPatternScansLeftToRightWithoutOverlap)
{
    CString text("aaaa");
    EXPECT_EQ(2, text.Replace("aa", "b"));
    EXPECT_EQ("bb", text);

    CString triple("aaa");
    EXPECT_EQ(1, triple.Replace("aa", "x"));
    EXPECT_EQ("xa", triple);
}

TEST(StringEdit, ReplacementContainingPatternIsNotRescanned)
{
    CString text("a.b");
    EXPECT_EQ(1, text.Replace(".", ".."));
    EXPECT_EQ("a..b", text);
}

TEST(StringEdit, ReplaceEmptyPatternChangesNothingAndEmptyReplacementDeletes)
{
    CString text("abc");
    EXPECT_EQ(0, text.Replace("", "x"));
    EXPECT_EQ(0, text.Replace(nullptr, "x"));
    EXPECT_EQ("abc", text);

    CString spaced("a b c");
    EXPECT_EQ(2, spaced.Replace(" ", ""));
    EXPECT_EQ("abc", spaced);
    EXPECT_EQ(1, spaced.Replace("b", nullptr));
    EXPECT_EQ("ac", spaced);
}

TEST(StringEdit, RemoveInsertDelete)
{
    CString text("a,b,,c");
    EXPECT_EQ(3, text.Remove(','));
    EXPECT_EQ("abc", text);

    EXPECT_EQ(4, text.Insert(1, 'X'));
    EXPECT_EQ("aXbc", text);
    EXPECT_EQ(6, text.Insert(100, "yz"));
    EXPECT_EQ("aXbcyz", text);
    EXPECT_EQ(7, text.Insert(-5, "<"));
    EXPECT_EQ("<aXbcyz", text);

    EXPECT_EQ(5, text.Delete(1, 2));
    EXPECT_EQ("<bcyz", text);
    EXPECT_EQ(3, text.Delete(3, 100));
    EXPECT_EQ("<bc", text);
    EXPECT_EQ(3, text.Delete(10));
    EXPECT_EQ(2, text.Delete(0));
    EXPECT_EQ("bc", text);
}

TEST(StringTrim, WhitespaceOnEachSide)
{
    CString both(" \t value \r\n");
    EXPECT_EQ("value", both.Trim());

    CString left("  value  ");
    EXPECT_EQ("value  ", left.TrimLeft());
    CString right("  value  ");
    EXPECT_EQ("  value", right.TrimRight());

    CString blank(" \t\r\n ");
    EXPECT_TRUE(blank.Trim().IsEmpty());
}

TEST(StringTrim, SingleCharAndCharSet)
{
    CString zeros("00120");
    EXPECT_EQ("120", zeros.TrimLeft('0'));
    EXPECT_EQ("12", zeros.TrimRight('0'));

    CString quoted("\"'text'\"");
    EXPECT_EQ("text", quoted.Trim("\"'"));

    CString inner("x a x");
    EXPECT_EQ(" a ", inner.Trim('x'));

    CString all("xxxx");
    EXPECT_TRUE(all.TrimRight('x').IsEmpty());
}

TEST(StringCase, BytesAboveAsciiSurvive)
{
    CString text("a\xE9Z");
    text.MakeLower();
    EXPECT_EQ('a', text[0]);
    EXPECT_EQ('z', text[2]);
    EXPECT_EQ(3, text.GetLength());
}

TEST(StringTokenize, SkipsRunsOfDelimitersAndEndsWithMinusOne)
{
    const CString text(";;alpha; beta;;gamma;");
    int position = 0;
    EXPECT_EQ("alpha", text.Tokenize(";", position));
    EXPECT_EQ(" beta", text.Tokenize(";", position));
    EXPECT_EQ("gamma", text.Tokenize(";", position));
    EXPECT_TRUE(text.Tokenize(";", position).IsEmpty());
    EXPECT_EQ(-1, position);
    EXPECT_TRUE(text.Tokenize(";", position).IsEmpty());
    EXPECT_EQ(-1, position);
}

TEST(StringTokenize, LastTokenWithoutTrailingDelimiterAndOnlyDelimiters)
{
    const CString text("a b");
    int position = 0;
    EXPECT_EQ("a", text.Tokenize(" ", position));
    EXPECT_EQ("b", text.Tokenize(" ", position));
    EXPECT_TRUE(text.Tokenize(" ", position).IsEmpty());
    EXPECT_EQ(-1, position);

    int emptyPosition = 0;
    EXPECT_TRUE(CString(",,,").Tokenize(",", emptyPosition).IsEmpty());
    EXPECT_EQ(-1, emptyPosition);
}

TEST(StringBuffer, ReleaseWithMinusOneStopsAtFirstNul)
{
    CString text;
    char* buffer = text.GetBuffer(64);
    std::strcpy(buffer, "written");
    text.ReleaseBuffer();
    EXPECT_EQ(7, text.GetLength());
    EXPECT_EQ("written", text);
}

TEST(StringBuffer, ReleaseWithExplicitLength)
{
    CString text;
    char* buffer = text.GetBuffer(10);
    std::memcpy(buffer, "abcdefghij", 10);
    text.ReleaseBuffer(4);
    EXPECT_EQ("abcd", text);

    // A length beyond the buffer is clamped, never reading past it.
    CString shortText("xy");
    shortText.GetBuffer(0);
    shortText.ReleaseBuffer(50);
    EXPECT_EQ("xy", shortText);
}

TEST(StringBuffer, SmallRequestKeepsExistingContent)
{
    CString text("keep me");
    char* buffer = text.GetBuffer(2);
    EXPECT_EQ('k', buffer[0]);
    buffer[0] = 'K';
    text.ReleaseBuffer();
    EXPECT_EQ("Keep me", text);
}

TEST(StringBuffer, GetBufferSetLengthFixesLength)
{
    CString text("long original");
    char* buffer = text.GetBufferSetLength(3);
    std::memcpy(buffer, "new", 3);
    EXPECT_EQ(3, text.GetLength());
    text.ReleaseBuffer();
    EXPECT_EQ("new", text);
}

TEST(StringLoad, PresentIdsLoadWhateverTheirLength)
{
    CString text("previous");
    ASSERT_TRUE(text.LoadString(IDS_TEST_SHORT_TEXT));
    EXPECT_EQ("Loaded from the string table", text);
    ASSERT_TRUE(text.LoadString(IDS_TEST_LONG_TEXT));
    EXPECT_GT(text.GetLength(), 255);
    EXPECT_EQ(text.Right(8), "the end.");
}

TEST(StringLoad, MessageBoxByIdShowsTheLoadedText)
{
    auto& recorder = testing_support::MessageBoxRecorder::Instance();
    recorder.Clear();
    AfxMessageBox(IDS_TEST_SHORT_TEXT, MB_OK);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Boxes()[0].text, "Loaded from the string table");
    recorder.Clear();
}

TEST(StringLoad, AbsentIdFailsAndLeavesStringEmpty)
{
    CString text("previous");
    EXPECT_FALSE(text.LoadString(65000));
    EXPECT_TRUE(text.IsEmpty());
}

} // namespace

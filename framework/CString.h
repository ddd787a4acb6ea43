// Narrow-character string with value semantics. Indexes and counts are ints and are
// clamped to the string rather than rejected, so out-of-range arguments never throw.
#pragma once
#include "framework/FrameworkBase.h"

#include <cstdarg>
#include <string>
#include <type_traits>

#if defined(__GNUC__)
#ifdef __MINGW_PRINTF_FORMAT
#define CSTRING_PRINTF_CHECK(fmtIndex, firstArg) \
    __attribute__((format(__MINGW_PRINTF_FORMAT, fmtIndex, firstArg)))
#else
#define CSTRING_PRINTF_CHECK(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#endif
#else
#define CSTRING_PRINTF_CHECK(fmtIndex, firstArg)
#endif

class CString
{
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const char* text);              // NULL gives an empty string
    CString(const char* text, int length);  // stops early at a NUL within length
    CString(const std::string& text);
    // A template so that a NULL literal (an integer) selects the const char* constructor.
    template <typename Char, typename = std::enable_if_t<std::is_same<Char, char>::value>>
    CString(Char ch, int repeat = 1) : m_text(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* text);
    CString& operator=(const std::string& text);
    CString& operator=(char ch);

    operator const char*() const { return m_text.c_str(); }
    operator std::string() const { return m_text; }
    const char* GetString() const { return m_text.c_str(); }
    const std::string& StdString() const { return m_text; }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    char GetAt(int index) const;
    void SetAt(int index, char ch);
    // A template so that any integral index beats the built-in pointer subscript.
    template <typename Index, typename = std::enable_if_t<std::is_integral<Index>::value>>
    char operator[](Index index) const { return GetAt(static_cast<int>(index)); }

    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);
    CString& operator+=(const std::string& text);

    void Format(const char* format, ...) CSTRING_PRINTF_CHECK(2, 3);
    void FormatV(const char* format, va_list args);
    void AppendFormat(const char* format, ...) CSTRING_PRINTF_CHECK(2, 3);
    void AppendFormatV(const char* format, va_list args);

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const char* charSet) const;
    CString SpanExcluding(const char* charSet) const;

    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* charSet) const;

    int Replace(char oldChar, char newChar);
    int Replace(const char* oldText, const char* newText);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(const char* charSet);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(const char* charSet);
    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(const char* charSet);

    CString& MakeLower();
    CString& MakeUpper();
    CString& MakeReverse();

    // Next token after 'start' separated by any of 'delimiters'; when none is left,
    // returns an empty string and sets start to -1.
    CString Tokenize(const char* delimiters, int& start) const;

    // Writable buffer of at least minLength characters plus the terminator. The length
    // is only settled by ReleaseBuffer (-1: up to the first NUL).
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    // Loads a string table entry from the current resource module; FALSE (and an
    // empty string) when the id is absent.
    // (windows.h maps the name to LoadStringA; callers see the same mapping.)
    BOOL LoadString(UINT id);

private:
    std::string m_text;
};

CString operator+(const CString& left, const CString& right);
CString operator+(const CString& left, const char* right);
CString operator+(const char* left, const CString& right);
CString operator+(const CString& left, char right);
CString operator+(char left, const CString& right);

bool operator==(const CString& left, const CString& right);
bool operator==(const CString& left, const char* right);
bool operator==(const char* left, const CString& right);
bool operator!=(const CString& left, const CString& right);
bool operator!=(const CString& left, const char* right);
bool operator!=(const char* left, const CString& right);
bool operator<(const CString& left, const CString& right);
bool operator<(const CString& left, const char* right);
bool operator<(const char* left, const CString& right);
bool operator>(const CString& left, const CString& right);
bool operator>(const CString& left, const char* right);
bool operator>(const char* left, const CString& right);
bool operator<=(const CString& left, const CString& right);
bool operator<=(const CString& left, const char* right);
bool operator<=(const char* left, const CString& right);
bool operator>=(const CString& left, const CString& right);
bool operator>=(const CString& left, const char* right);
bool operator>=(const char* left, const CString& right);

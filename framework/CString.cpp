#include "framework/CString.h"

#include "framework/ResourceHandle.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
const char kWhitespace[] = " \t\n\v\f\r";

int ClampIndex(int index, int length)
{
    if (index < 0)
        return 0;
    return index > length ? length : index;
}

int ToInt(size_t position)
{
    return position == std::string::npos ? -1 : static_cast<int>(position);
}

// Lower-cases through unsigned char: plain char is signed and tolower of a negative
// value other than EOF is undefined.
char LowerChar(char ch)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
}

char UpperChar(char ch)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
}

const char* OrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}
} // namespace

CString::CString(const char* text) : m_text(OrEmpty(text)) {}

CString::CString(const char* text, int length)
{
    if (text == nullptr || length <= 0)
        return;
    const void* nul = std::memchr(text, '\0', static_cast<size_t>(length));
    const size_t usable = nul != nullptr ? static_cast<const char*>(nul) - text : length;
    m_text.assign(text, usable);
}

CString::CString(const std::string& text) : m_text(text) {}

CString& CString::operator=(const char* text)
{
    m_text = OrEmpty(text);
    return *this;
}

CString& CString::operator=(const std::string& text)
{
    m_text = text;
    return *this;
}

CString& CString::operator=(char ch)
{
    m_text.assign(1, ch);
    return *this;
}

char CString::GetAt(int index) const
{
    ASSERT(index >= 0 && index < GetLength());
    if (index < 0 || index >= GetLength())
        return '\0';
    return m_text[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    ASSERT(index >= 0 && index < GetLength());
    if (index >= 0 && index < GetLength())
        m_text[static_cast<size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& text)
{
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    m_text += OrEmpty(text);
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_text += ch;
    return *this;
}

CString& CString::operator+=(const std::string& text)
{
    m_text += text;
    return *this;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    Empty();
    AppendFormatV(format, args);
}

void CString::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::AppendFormatV(const char* format, va_list args)
{
    if (format == nullptr)
        return;
    // First pass measures, second pass writes; a va_list can only be walked once.
    va_list measureArgs;
    va_copy(measureArgs, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measureArgs);
    va_end(measureArgs);
    if (needed <= 0)
        return;
    const size_t oldLength = m_text.size();
    m_text.resize(oldLength + static_cast<size_t>(needed));
    // resize leaves room for the terminator at data()[size()], which vsnprintf writes.
    std::vsnprintf(&m_text[oldLength], static_cast<size_t>(needed) + 1, format, args);
}

int CString::Compare(const char* text) const
{
    return std::strcmp(m_text.c_str(), OrEmpty(text));
}

int CString::CompareNoCase(const char* text) const
{
    const unsigned char* left = reinterpret_cast<const unsigned char*>(m_text.c_str());
    const unsigned char* right = reinterpret_cast<const unsigned char*>(OrEmpty(text));
    for (;; ++left, ++right)
    {
        const int difference = std::tolower(*left) - std::tolower(*right);
        if (difference != 0 || *left == '\0')
            return difference;
    }
}

CString CString::Left(int count) const
{
    return CString(m_text.substr(0, static_cast<size_t>(ClampIndex(count, GetLength()))));
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    const int start = ClampIndex(first, GetLength());
    const int available = GetLength() - start;
    const int taken = ClampIndex(count, available);
    return CString(m_text.substr(static_cast<size_t>(start), static_cast<size_t>(taken)));
}

CString CString::Right(int count) const
{
    const int taken = ClampIndex(count, GetLength());
    return CString(m_text.substr(static_cast<size_t>(GetLength() - taken)));
}

CString CString::SpanIncluding(const char* charSet) const
{
    const size_t end = m_text.find_first_not_of(OrEmpty(charSet));
    return CString(m_text.substr(0, end));
}

CString CString::SpanExcluding(const char* charSet) const
{
    const size_t end = m_text.find_first_of(OrEmpty(charSet));
    return CString(m_text.substr(0, end));
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    return ToInt(m_text.find(ch, static_cast<size_t>(start)));
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    return ToInt(m_text.find(OrEmpty(sub), static_cast<size_t>(start)));
}

int CString::ReverseFind(char ch) const
{
    return ToInt(m_text.rfind(ch));
}

int CString::FindOneOf(const char* charSet) const
{
    return ToInt(m_text.find_first_of(OrEmpty(charSet)));
}

int CString::Replace(char oldChar, char newChar)
{
    int count = 0;
    for (char& ch : m_text)
    {
        if (ch == oldChar)
        {
            ch = newChar;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* oldText, const char* newText)
{
    const size_t oldLength = std::strlen(OrEmpty(oldText));
    // An empty pattern would match everywhere without advancing.
    if (oldLength == 0)
        return 0;
    const std::string replacement = OrEmpty(newText);
    std::string result;
    int count = 0;
    size_t scanFrom = 0;
    for (size_t hit = m_text.find(oldText, 0); hit != std::string::npos;
         hit = m_text.find(oldText, scanFrom))
    {
        result.append(m_text, scanFrom, hit - scanFrom);
        result += replacement;
        scanFrom = hit + oldLength;
        ++count;
    }
    if (count > 0)
    {
        result.append(m_text, scanFrom, std::string::npos);
        m_text.swap(result);
    }
    return count;
}

int CString::Remove(char ch)
{
    const size_t before = m_text.size();
    m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, char ch)
{
    m_text.insert(static_cast<size_t>(ClampIndex(index, GetLength())), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text)
{
    m_text.insert(static_cast<size_t>(ClampIndex(index, GetLength())), OrEmpty(text));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    const int start = ClampIndex(index, GetLength());
    const int removed = ClampIndex(count, GetLength() - start);
    m_text.erase(static_cast<size_t>(start), static_cast<size_t>(removed));
    return GetLength();
}

CString& CString::TrimLeft()
{
    return TrimLeft(kWhitespace);
}

CString& CString::TrimLeft(char ch)
{
    const char charSet[2] = {ch, '\0'};
    return TrimLeft(charSet);
}

CString& CString::TrimLeft(const char* charSet)
{
    const size_t first = m_text.find_first_not_of(OrEmpty(charSet));
    m_text.erase(0, first);
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(kWhitespace);
}

CString& CString::TrimRight(char ch)
{
    const char charSet[2] = {ch, '\0'};
    return TrimRight(charSet);
}

CString& CString::TrimRight(const char* charSet)
{
    const size_t last = m_text.find_last_not_of(OrEmpty(charSet));
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char ch)
{
    return TrimRight(ch).TrimLeft(ch);
}

CString& CString::Trim(const char* charSet)
{
    return TrimRight(charSet).TrimLeft(charSet);
}

CString& CString::MakeLower()
{
    std::transform(m_text.begin(), m_text.end(), m_text.begin(), LowerChar);
    return *this;
}

CString& CString::MakeUpper()
{
    std::transform(m_text.begin(), m_text.end(), m_text.begin(), UpperChar);
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_text.begin(), m_text.end());
    return *this;
}

CString CString::Tokenize(const char* delimiters, int& start) const
{
    if (start >= 0 && start < GetLength())
    {
        const char* separators = OrEmpty(delimiters);
        const size_t tokenStart = m_text.find_first_not_of(separators, static_cast<size_t>(start));
        if (tokenStart != std::string::npos)
        {
            size_t tokenEnd = m_text.find_first_of(separators, tokenStart);
            if (tokenEnd == std::string::npos)
                tokenEnd = m_text.size();
            // Past the separator that ended the token, as the next call expects.
            start = static_cast<int>(tokenEnd) + 1;
            return CString(m_text.substr(tokenStart, tokenEnd - tokenStart));
        }
    }
    start = -1;
    return CString();
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_text.resize(static_cast<size_t>(minLength));
    return &m_text[0];
}

char* CString::GetBufferSetLength(int length)
{
    m_text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(std::strlen(m_text.c_str()));
    m_text.resize(static_cast<size_t>(ClampIndex(newLength, GetLength())));
}

BOOL CString::LoadString(UINT id)
{
    Empty();
    // A string table entry holds at most 65,535 characters; grow until it fits.
    for (int capacity = 256; capacity <= 65536; capacity *= 2)
    {
        std::vector<char> buffer(static_cast<size_t>(capacity));
        const int copied = ::LoadStringA(AfxGetResourceHandle(), id, buffer.data(), capacity);
        if (copied <= 0)
            return FALSE;
        // A full buffer may mean the entry was cut short.
        if (copied < capacity - 1 || capacity == 65536)
        {
            m_text.assign(buffer.data(), static_cast<size_t>(copied));
            return TRUE;
        }
    }
    return FALSE;
}

CString operator+(const CString& left, const CString& right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, const char* right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(const char* left, const CString& right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, char right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(char left, const CString& right)
{
    CString result(left);
    result += right;
    return result;
}

bool operator==(const CString& left, const CString& right) { return left.Compare(right) == 0; }
bool operator==(const CString& left, const char* right) { return left.Compare(right) == 0; }
bool operator==(const char* left, const CString& right) { return right.Compare(left) == 0; }
bool operator!=(const CString& left, const CString& right) { return left.Compare(right) != 0; }
bool operator!=(const CString& left, const char* right) { return left.Compare(right) != 0; }
bool operator!=(const char* left, const CString& right) { return right.Compare(left) != 0; }
bool operator<(const CString& left, const CString& right) { return left.Compare(right) < 0; }
bool operator<(const CString& left, const char* right) { return left.Compare(right) < 0; }
bool operator<(const char* left, const CString& right) { return right.Compare(left) > 0; }
bool operator>(const CString& left, const CString& right) { return left.Compare(right) > 0; }
bool operator>(const CString& left, const char* right) { return left.Compare(right) > 0; }
bool operator>(const char* left, const CString& right) { return right.Compare(left) < 0; }
bool operator<=(const CString& left, const CString& right) { return left.Compare(right) <= 0; }
bool operator<=(const CString& left, const char* right) { return left.Compare(right) <= 0; }
bool operator<=(const char* left, const CString& right) { return right.Compare(left) >= 0; }
bool operator>=(const CString& left, const CString& right) { return left.Compare(right) >= 0; }
bool operator>=(const CString& left, const char* right) { return left.Compare(right) >= 0; }
bool operator>=(const char* left, const CString& right) { return right.Compare(left) <= 0; }

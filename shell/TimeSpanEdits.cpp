#include "shell/TimeSpanEdits.h"
#include "framework/CString.h"
#include "framework/CWnd.h"
#include "framework/MessageBoxHook.h"

#include <cctype>
#include <climits>
#include <cstdio>

namespace
{
const int SECONDS_PER_DAY = 86400;
const int HMS_MAXIMUM_SECONDS = 64800;

void WriteNumber(CWnd* edit, int value)
{
    if (edit == nullptr)
        return;
    char text[16];
    std::snprintf(text, sizeof text, "%i", value);
    edit->SetWindowText(text);
}

std::string TextOf(CWnd* edit)
{
    CString text;
    edit->GetWindowText(text);
    return static_cast<const char*>(text);
}

std::string NamedText(const char* format, const char* name)
{
    char text[512];
    std::snprintf(text, sizeof text, format, name != nullptr ? name : "");
    return text;
}

struct Field
{
    CWnd* edit;
    long long multiplierBefore;   // applied to the total before this field is added
    int maximum;                  // -1: no upper bound
    const char* message;
};
} // namespace

void SecondsToDhmsEdits(int seconds, CWnd* daysEdit, CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit)
{
    const int days = seconds / SECONDS_PER_DAY;
    WriteNumber(daysEdit, days);
    WriteNumber(hoursEdit, seconds / 3600 - days * 24);
    WriteNumber(minutesEdit, seconds / 60 - (seconds / 3600) * 60);
    WriteNumber(secondsEdit, seconds % 60);
}

void SecondsToHmsEdits(int seconds, CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit)
{
    SecondsToDhmsEdits(seconds, nullptr, hoursEdit, minutesEdit, secondsEdit);
}

std::string FormatTimeSpan(int seconds)
{
    const int days = seconds / SECONDS_PER_DAY;
    const int hours = seconds / 3600 - days * 24;
    const int minutes = seconds / 60 - (seconds / 3600) * 60;
    const int secondsOfMinute = seconds % 60;
    char part[32];
    std::string text;
    if (days != 0) {
        std::snprintf(part, sizeof part, "%id ", days);
        text += part;
    }
    if (hours != 0) {
        std::snprintf(part, sizeof part, "%ih ", hours);
        text += part;
    }
    const bool minutesShown = hours != 0 || minutes != 0;
    if (minutesShown) {
        std::snprintf(part, sizeof part, hours != 0 ? "%02im " : "%im ", minutes);
        text += part;
    }
    std::snprintf(part, sizeof part, minutesShown ? "%02is" : "%is", secondsOfMinute);
    return text + part;
}

bool ParseDecimalField(const std::string& text, int& value)
{
    size_t position = 0;
    while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position])))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '-' || text[position] == '+'))
        negative = text[position++] == '-';
    const size_t firstDigit = position;
    long long number = 0;
    while (position < text.size() && std::isdigit(static_cast<unsigned char>(text[position]))) {
        number = number * 10 + (text[position++] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (position == firstDigit)
        return false;
    while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position])))
        ++position;
    if (position != text.size())
        return false;
    if (negative)
        number = -number;
    if (number > INT_MAX || number < INT_MIN)
        return false;
    value = static_cast<int>(number);
    return true;
}

namespace
{
// The checks of ParseDhmsEdits; a refusal's text goes to refusal (when given) instead of a box.
bool ReadDhmsEdits(CWnd* daysEdit, CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit, int& seconds,
                   const char* name, int maximumSeconds, std::string* refusal)
{
    const Field fields[] = {
        {daysEdit, 1, -1, "%s days must be a valid non-negative integer"},
        {hoursEdit, 24, 23, "%s hours must be a valid integer between 0 and 23"},
        {minutesEdit, 60, 59, "%s minutes must be a valid integer between 0 and 59"},
        {secondsEdit, 60, 59, "%s seconds must be a valid integer between 0 and 59"},
    };
    // Summed wide: a large day count must not wrap around into an allowed total.
    long long total = 0;
    for (const Field& field : fields) {
        total *= field.multiplierBefore;
        if (field.edit == nullptr)
            continue;
        int value = 0;
        if (!ParseDecimalField(TextOf(field.edit), value) || value < 0 ||
            (field.maximum >= 0 && value > field.maximum)) {
            if (refusal != nullptr)
                *refusal = NamedText(field.message, name);
            return false;
        }
        total += value;
        if (total > static_cast<long long>(INT_MAX) * SECONDS_PER_DAY)
            total = static_cast<long long>(INT_MAX) * SECONDS_PER_DAY;
    }
    seconds = total > INT_MAX ? INT_MAX : static_cast<int>(total);
    if (total > maximumSeconds) {
        if (refusal != nullptr)
            *refusal = NamedText("%s time must be no greater than ", name) + FormatTimeSpan(maximumSeconds);
        return false;
    }
    return true;
}
} // namespace

bool ParseDhmsEdits(CWnd* daysEdit, CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit, int& seconds,
                    const char* name, int maximumSeconds)
{
    std::string refusal;
    if (ReadDhmsEdits(daysEdit, hoursEdit, minutesEdit, secondsEdit, seconds, name, maximumSeconds, &refusal))
        return true;
    AfxMessageBox(refusal.c_str(), MB_ICONSTOP);
    return false;
}

bool ParseHmsEdits(CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit, int& seconds, const char* name)
{
    return ParseDhmsEdits(nullptr, hoursEdit, minutesEdit, secondsEdit, seconds, name, HMS_MAXIMUM_SECONDS);
}

bool ReadHmsEdits(CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit, int& seconds)
{
    return ReadDhmsEdits(nullptr, hoursEdit, minutesEdit, secondsEdit, seconds, nullptr, HMS_MAXIMUM_SECONDS, nullptr);
}

#include "wizards/framework/LocalTime.h"

std::string FormatLocalNow()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char date[128] = {};
    char time[128] = {};
    ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, date, sizeof date);
    ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

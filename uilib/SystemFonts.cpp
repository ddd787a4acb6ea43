#include "uilib/SystemFonts.h"

#include <cstring>

namespace
{
// The non-client metrics, each font zeroed when the system gives none.
template <class METRICS, class READ>
BOOL ReadMetrics(METRICS& metrics, READ read)
{
    std::memset(&metrics, 0, sizeof(metrics));
    metrics.cbSize = sizeof(metrics);
    if (read(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return TRUE;
    std::memset(&metrics, 0, sizeof(metrics));
    return FALSE;
}
} // namespace

BOOL GetSystemMenuLogFont(LOGFONTW& font)
{
    NONCLIENTMETRICSW metrics;
    const BOOL bRead = ReadMetrics(metrics, ::SystemParametersInfoW);
    font = metrics.lfMenuFont;
    return bRead;
}

BOOL GetSystemMenuLogFontA(LOGFONTA& font)
{
    NONCLIENTMETRICSA metrics;
    const BOOL bRead = ReadMetrics(metrics, ::SystemParametersInfoA);
    font = metrics.lfMenuFont;
    return bRead;
}

BOOL GetSystemMessageLogFontA(LOGFONTA& font)
{
    NONCLIENTMETRICSA metrics;
    const BOOL bRead = ReadMetrics(metrics, ::SystemParametersInfoA);
    font = metrics.lfMessageFont;
    return bRead;
}

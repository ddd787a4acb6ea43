#include "documents/GenericVariable_t.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {

const double WHOLE_SCALE_TOLERANCE = 0.00001;

bool IsWholeScale(double scaling)
{
    double whole = 0.0;
    return std::fabs(std::modf(scaling, &whole)) < WHOLE_SCALE_TOLERANCE;
}

// Half away from zero, clamped to what 64 bits hold, so that no conversion is undefined
// (a damaged description may hold any scale); NaN gives 0.
long long RoundHalfAwayFromZero(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = value >= 0.0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5);
    if (rounded >= 9.2e18)
        return INT64_MAX;
    if (rounded <= -9.2e18)
        return INT64_MIN;
    return static_cast<long long>(rounded);
}

std::string WithoutSpaces(const std::string& text)
{
    std::string result;
    for (char character : text)
        if (character != ' ')
            result += character;
    return result;
}

bool EqualsIgnoringCase(const std::string& left, const std::string& right)
{
    return _stricmp(left.c_str(), right.c_str()) == 0;
}

std::runtime_error NoTranslation(const std::string& text)
{
    return std::runtime_error("no translation for '" + text + "'");
}

} // namespace

COleVariant GenericVariable_t::RawToVariant(int raw) const
{
    if (!hasTranslations) {
        const double rawValue = min < 0.0 ? static_cast<double>(raw)
                                          : static_cast<double>(static_cast<uint32_t>(raw));
        if (IsWholeScale(scaling))
            return COleVariant(static_cast<long>(
                static_cast<int32_t>(RoundHalfAwayFromZero(rawValue * scaling))), VT_I4);
        return COleVariant(static_cast<float>(rawValue * scaling));
    }

    const unsigned int key = static_cast<unsigned int>(raw);
    if (!bitfield) {
        const auto entry = translations.find(key);
        return COleVariant(entry != translations.end() ? entry->second.c_str()
                                                       : defaultTranslation.c_str());
    }

    std::string text;
    for (const auto& entry : translations) {
        if ((key & entry.first) != entry.first)
            continue;
        if (!text.empty())
            text += ", ";
        text += entry.second;
    }
    return COleVariant(text.empty() ? defaultTranslation.c_str() : text.c_str());
}

COleVariant GenericVariable_t::RawToVariant16(WORD word) const
{
    const int raw = min < 0.0 ? static_cast<int>(static_cast<int16_t>(word)) : static_cast<int>(word);
    return RawToVariant(raw);
}

WORD GenericVariable_t::TextToRaw(const std::string& text) const
{
    if (!hasTranslations) {
        const double value = std::strtod(text.c_str(), nullptr);   // nothing read gives 0
        const long long raw = RoundHalfAwayFromZero(value / scaling);
        return static_cast<WORD>(static_cast<uint32_t>(raw) & 0xFFFFu);
    }

    if (!bitfield) {
        for (const auto& entry : translations)
            if (EqualsIgnoringCase(entry.second, text))
                return static_cast<WORD>(entry.first);
        throw NoTranslation(text);
    }

    // The names of the set bits, separated by commas. Blanks are dropped on both sides
    // of the comparison, so that a bit name of several words is still found.
    unsigned int raw = 0;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string part = WithoutSpaces(text.substr(start, comma == std::string::npos
                                                                   ? std::string::npos
                                                                   : comma - start));
        bool found = false;
        for (const auto& entry : translations) {
            if (EqualsIgnoringCase(WithoutSpaces(entry.second), part)) {
                raw |= entry.first;
                found = true;
                break;
            }
        }
        if (!found)
            throw NoTranslation(part);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return static_cast<WORD>(raw & 0xFFFFu);
}

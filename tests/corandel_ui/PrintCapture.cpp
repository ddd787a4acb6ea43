#include "tests/corandel_ui/PrintCapture.h"

#include <cctype>
#include <cwctype>

namespace corandel_ui {

PrintCapture::PrintCapture() : m_previous(SetSummaryPrintTarget(this)) {}

PrintCapture::~PrintCapture()
{
    SetSummaryPrintTarget(m_previous);
}

HDC PrintCapture::ChoosePrinter()
{
    return ::CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
}

RECT PrintCapture::GetPageRect(HDC)
{
    return RECT{0, 0, 1200, 1600};
}

int PrintCapture::StartJob(HDC, const char* jobName)
{
    m_jobName = jobName != nullptr ? jobName : "";
    return 1;
}

int PrintCapture::StartPage(HDC)
{
    ++m_pages;
    return 1;
}

int PrintCapture::EndPage(HDC)
{
    return 1;
}

int PrintCapture::EndJob(HDC)
{
    m_ended = true;
    return 1;
}

int PrintCapture::AbortJob(HDC)
{
    return 1;
}

void PrintCapture::ReleasePrinter(HDC dc)
{
    HENHMETAFILE metafile = ::CloseEnhMetaFile(dc);
    if (metafile == nullptr)
        return;
    ::EnumEnhMetaFile(
        nullptr, metafile,
        [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) -> int {
            std::string& printed = *reinterpret_cast<std::string*>(data);
            if (record->iType == EMR_EXTTEXTOUTW)
            {
                const EMREXTTEXTOUTW* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
                const WCHAR* chars = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(record) +
                                                                     text->emrtext.offString);
                for (DWORD i = 0; i < text->emrtext.nChars; ++i)
                {
                    if (!std::iswspace(chars[i]))
                        printed += static_cast<char>(chars[i]);
                }
            }
            else if (record->iType == EMR_EXTTEXTOUTA)
            {
                const EMREXTTEXTOUTA* text = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
                const char* chars = reinterpret_cast<const char*>(record) + text->emrtext.offString;
                for (DWORD i = 0; i < text->emrtext.nChars; ++i)
                {
                    if (!std::isspace(static_cast<unsigned char>(chars[i])))
                        printed += chars[i];
                }
            }
            return 1;
        },
        &m_printed, nullptr);
    ::DeleteEnhMetaFile(metafile);
}

std::string WithoutWhiteSpace(const std::string& text)
{
    std::string result;
    for (char c : text)
    {
        if (!std::isspace(static_cast<unsigned char>(c)))
            result += c;
    }
    return result;
}

} // namespace corandel_ui

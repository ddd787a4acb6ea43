#include "uilib/CBNMenuData.h"

#include "framework/CImageList.h"

#include <cwchar>
#include <vector>

CBNMenuData::CBNMenuData()
    : m_nImageIndex(-1), m_nImageSource(-1), m_nFlags(0), m_nID(0), m_nSyncFlag(0), m_pszText(nullptr),
      m_pImageList(nullptr)
{
}

CBNMenuData::CBNMenuData(const CBNMenuData& other) : CBNMenuData()
{
    *this = other;
}

CBNMenuData& CBNMenuData::operator=(const CBNMenuData& other)
{
    if (this == &other)
        return *this;
    m_nImageIndex = other.m_nImageIndex;
    m_nImageSource = other.m_nImageSource;
    m_nFlags = other.m_nFlags;
    m_nID = other.m_nID;
    m_nSyncFlag = other.m_nSyncFlag;
    SetWideString(other.m_pszText);
    SetImageList(other.m_pImageList);
    return *this;
}

CBNMenuData::~CBNMenuData()
{
    delete[] m_pszText;
    delete m_pImageList;
}

void CBNMenuData::SetWideString(const wchar_t* pszText)
{
    wchar_t* pCopy = nullptr;
    if (pszText != nullptr)
    {
        const size_t nLength = std::wcslen(pszText);
        pCopy = new wchar_t[nLength + 1];
        std::wmemcpy(pCopy, pszText, nLength + 1);
    }
    delete[] m_pszText;
    m_pszText = pCopy;
}

void CBNMenuData::SetAnsiString(LPCSTR pszText)
{
    if (pszText == nullptr)
    {
        SetWideString(nullptr);
        return;
    }
    const int nLength = ::MultiByteToWideChar(CP_THREAD_ACP, 0, pszText, -1, nullptr, 0);
    if (nLength <= 0)
    {
        SetWideString(nullptr);
        return;
    }
    std::vector<wchar_t> wide(static_cast<size_t>(nLength));
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, pszText, -1, wide.data(), nLength);
    SetWideString(wide.data());
}

CString CBNMenuData::GetString() const
{
    if (m_pszText == nullptr || m_pszText[0] == L'\0')
        return CString();
    const int nLength = ::WideCharToMultiByte(CP_THREAD_ACP, 0, m_pszText, -1, nullptr, 0, nullptr, nullptr);
    if (nLength <= 0)
        return CString();
    std::vector<char> narrow(static_cast<size_t>(nLength));
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, m_pszText, -1, narrow.data(), nLength, nullptr, nullptr);
    return CString(narrow.data());
}

const wchar_t* CBNMenuData::GetWideString() const
{
    return m_pszText != nullptr ? m_pszText : L"";
}

void CBNMenuData::SetImageList(CImageList* pList)
{
    CImageList* pCopy = nullptr;
    if (pList != nullptr && pList->GetSafeHandle() != nullptr)
    {
        pCopy = new CImageList;
        if (!pCopy->Create(pList))
        {
            delete pCopy;
            pCopy = nullptr;
        }
    }
    AdoptImageList(pCopy);
}

void CBNMenuData::AdoptImageList(CImageList* pList)
{
    if (pList == m_pImageList)
        return;
    delete m_pImageList;
    m_pImageList = pList;
}

CImageList* CBNMenuData::GetImageList() const
{
    return m_pImageList;
}

BOOL CBNMenuData::HasImage() const
{
    return m_nImageSource >= 0 && m_nImageIndex >= 0 && m_pImageList != nullptr;
}

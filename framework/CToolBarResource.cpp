#include "framework/CToolBarResource.h"

#include "framework/ResourceHandle.h"

CToolBarResource::CToolBarResource() : m_nImageWidth(0), m_nImageHeight(0)
{
}

BOOL CToolBarResource::Load(LPCTSTR lpszResourceName)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hInst, lpszResourceName, RT_TOOLBAR);
    HGLOBAL hGlobal = hResource != nullptr ? ::LoadResource(hInst, hResource) : nullptr;
    const void* pData = hGlobal != nullptr ? ::LockResource(hGlobal) : nullptr;
    if (pData == nullptr)
    {
        Parse(nullptr, 0);
        return FALSE;
    }
    return Parse(pData, ::SizeofResource(hInst, hResource));
}

BOOL CToolBarResource::Parse(const void* pData, DWORD nBytes)
{
    m_nImageWidth = m_nImageHeight = 0;
    m_items.clear();
    const auto* pWords = static_cast<const WORD*>(pData);
    if (pWords == nullptr || nBytes < 4 * sizeof(WORD) || pWords[0] != 1)
        return FALSE;
    const DWORD nCount = pWords[3];
    if (nBytes < (4 + nCount) * sizeof(WORD))
        return FALSE;
    m_nImageWidth = pWords[1];
    m_nImageHeight = pWords[2];
    m_items.assign(pWords + 4, pWords + 4 + nCount);
    return TRUE;
}

int CToolBarResource::GetImageWidth() const
{
    return m_nImageWidth;
}

int CToolBarResource::GetImageHeight() const
{
    return m_nImageHeight;
}

int CToolBarResource::GetItemCount() const
{
    return static_cast<int>(m_items.size());
}

const UINT* CToolBarResource::GetItems() const
{
    return m_items.empty() ? nullptr : m_items.data();
}

int CToolBarResource::ImageIndexOf(UINT nID) const
{
    if (nID == 0)
        return -1;
    int nImage = 0;
    for (UINT nItem : m_items)
    {
        if (nItem == nID)
            return nImage;
        if (nItem != 0)
            ++nImage;
    }
    return -1;
}

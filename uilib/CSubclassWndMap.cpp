#include "uilib/CSubclassWndMap.h"

#include "uilib/CSubclassWnd.h"

#include <memory>

IMPLEMENT_DYNAMIC(CSubclassWndMap, CMapPtrToPtr)

namespace
{
// Chains of more hooks than this on one window are a broken chain, not a real one.
const int kMaxChainLength = 10000;
} // namespace

CSubclassWndMap::CSubclassWndMap() : CMapPtrToPtr(10)
{
}

CSubclassWndMap::~CSubclassWndMap()
{
}

CSubclassWndMap& CSubclassWndMap::GetHookMap()
{
    static std::unique_ptr<CSubclassWndMap> map(new CSubclassWndMap);
    return *map;
}

CSubclassWnd* CSubclassWndMap::Lookup(HWND hWnd) const
{
    void* pValue = nullptr;
    if (!CMapPtrToPtr::Lookup(hWnd, pValue))
        return nullptr;
    return static_cast<CSubclassWnd*>(pValue);
}

void CSubclassWndMap::Add(HWND hWnd, CSubclassWnd* pSubclassWnd)
{
    pSubclassWnd->m_hWnd = hWnd;
    pSubclassWnd->m_pNext = Lookup(hWnd);
    SetAt(hWnd, pSubclassWnd);
    if (pSubclassWnd->m_pNext != nullptr)
    {
        pSubclassWnd->m_pOldWndProc = pSubclassWnd->m_pNext->m_pOldWndProc;
        return;
    }
    pSubclassWnd->m_pOldWndProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::HookWndProc)));
}

void CSubclassWndMap::Remove(CSubclassWnd* pUnhook)
{
    HWND hWnd = pUnhook->m_hWnd;
    CSubclassWnd* pFirst = Lookup(hWnd);
    if (pFirst == nullptr)
        return;
    if (pFirst == pUnhook)
    {
        if (pUnhook->m_pNext != nullptr)
        {
            SetAt(hWnd, pUnhook->m_pNext);
        }
        else
        {
            RemoveKey(hWnd);
            if (::IsWindow(hWnd))
                ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pUnhook->m_pOldWndProc));
        }
    }
    else
    {
        CSubclassWnd* pBefore = pFirst;
        for (int n = 0; pBefore->m_pNext != nullptr && pBefore->m_pNext != pUnhook && n < kMaxChainLength; n++)
            pBefore = pBefore->m_pNext;
        if (pBefore->m_pNext == pUnhook)
            pBefore->m_pNext = pUnhook->m_pNext;
    }
    pUnhook->m_pNext = nullptr;
}

void CSubclassWndMap::RemoveAll(HWND hWnd)
{
    for (int n = 0; n < kMaxChainLength; n++)
    {
        CSubclassWnd* pHook = Lookup(hWnd);
        if (pHook == nullptr)
            return;
        pHook->HookWindow(static_cast<HWND>(nullptr));
    }
}

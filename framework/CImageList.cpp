#include "framework/CImageList.h"

#include "framework/CBitmap.h"
#include "framework/CDC.h"
#include "framework/CHandleMap.h"
#include "framework/CWnd.h"
#include "framework/ResourceHandle.h"

IMPLEMENT_DYNAMIC(CImageList, CObject)

using ImageListHandleMap = CHandleMap<CImageList, HIMAGELIST>;

namespace
{

HBITMAP BitmapHandle(const CBitmap* pBitmap)
{
    return pBitmap != nullptr ? static_cast<HBITMAP>(pBitmap->m_hObject) : nullptr;
}

} // namespace

CImageList::~CImageList()
{
    DeleteImageList();
}

CImageList* CImageList::FromHandle(HIMAGELIST hImageList)
{
    if (hImageList == nullptr)
        return nullptr;
    if (CImageList* permanent = ImageListHandleMap::LookupPermanent(hImageList))
        return permanent;
    if (CImageList* temporary = ImageListHandleMap::LookupTemporary(hImageList))
        return temporary;
    CImageList* wrapper = new CImageList;
    wrapper->m_hImageList = hImageList;
    ImageListHandleMap::AddTemporary(hImageList, wrapper);
    return wrapper;
}

CImageList* CImageList::FromHandlePermanent(HIMAGELIST hImageList)
{
    return hImageList == nullptr ? nullptr : ImageListHandleMap::LookupPermanent(hImageList);
}

void CImageList::DeleteTempMap()
{
    for (CImageList* wrapper : ImageListHandleMap::TakeTemporaries()) {
        wrapper->m_hImageList = nullptr;   // the list belongs to someone else
        delete wrapper;
    }
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    ASSERT(m_hImageList == nullptr);
    if (hImageList == nullptr)
        return FALSE;
    m_hImageList = hImageList;
    ImageListHandleMap::SetPermanent(hImageList, this);
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST hImageList = m_hImageList;
    if (hImageList != nullptr) {
        ImageListHandleMap::RemovePermanent(hImageList, this);
        ImageListHandleMap::RemoveTemporary(hImageList, this);
    }
    m_hImageList = nullptr;
    return hImageList;
}

BOOL CImageList::DeleteImageList()
{
    if (m_hImageList == nullptr)
        return FALSE;
    return ImageList_Destroy(Detach());
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    return Create(MAKEINTRESOURCE(nBitmapID), cx, nGrow, crMask);
}

BOOL CImageList::Create(LPCTSTR lpszBitmapID, int cx, int nGrow, COLORREF crMask)
{
    return Attach(ImageList_LoadImage(AfxGetResourceHandle(), lpszBitmapID, cx, nGrow, crMask, IMAGE_BITMAP,
                                      LR_CREATEDIBSECTION));
}

BOOL CImageList::Create(CImageList* pImageList)
{
    if (pImageList == nullptr || pImageList->m_hImageList == nullptr)
        return FALSE;
    return Attach(ImageList_Duplicate(pImageList->m_hImageList));
}

int CImageList::GetImageCount() const
{
    return ImageList_GetImageCount(m_hImageList);
}

BOOL CImageList::SetImageCount(UINT uNewCount)
{
    return ImageList_SetImageCount(m_hImageList, uNewCount);
}

BOOL CImageList::GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const
{
    return ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
}

BOOL CImageList::GetIconSize(int* cx, int* cy) const
{
    return ImageList_GetIconSize(m_hImageList, cx, cy);
}

COLORREF CImageList::SetBkColor(COLORREF cr)
{
    return ImageList_SetBkColor(m_hImageList, cr);
}

COLORREF CImageList::GetBkColor() const
{
    return ImageList_GetBkColor(m_hImageList);
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ImageList_Add(m_hImageList, BitmapHandle(pbmImage), BitmapHandle(pbmMask));
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask)
{
    return ImageList_AddMasked(m_hImageList, BitmapHandle(pbmImage), crMask);
}

int CImageList::Add(HICON hIcon)
{
    return ImageList_AddIcon(m_hImageList, hIcon);
}

BOOL CImageList::Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ImageList_Replace(m_hImageList, nImage, BitmapHandle(pbmImage), BitmapHandle(pbmMask));
}

int CImageList::Replace(int nImage, HICON hIcon)
{
    return ImageList_ReplaceIcon(m_hImageList, nImage, hIcon);
}

BOOL CImageList::Remove(int nImage)
{
    return ImageList_Remove(m_hImageList, nImage);
}

BOOL CImageList::SetOverlayImage(int nImage, int nOverlay)
{
    return ImageList_SetOverlayImage(m_hImageList, nImage, nOverlay);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle)
{
    if (pDC == nullptr)
        return FALSE;
    return ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
}

HICON CImageList::ExtractIcon(int nImage)
{
    return ImageList_GetIcon(m_hImageList, nImage, ILD_NORMAL);
}

BOOL CImageList::BeginDrag(int nImage, CPoint ptHotSpot)
{
    return ImageList_BeginDrag(m_hImageList, nImage, ptHotSpot.x, ptHotSpot.y);
}

BOOL CImageList::SetDragCursorImage(int nDrag, CPoint ptHotSpot)
{
    return ImageList_SetDragCursorImage(m_hImageList, nDrag, ptHotSpot.x, ptHotSpot.y);
}

void CImageList::EndDrag()
{
    ImageList_EndDrag();
}

BOOL CImageList::DragEnter(HWND hWndLock, CPoint point)
{
    return ImageList_DragEnter(hWndLock, point.x, point.y);
}

BOOL CImageList::DragLeave(HWND hWndLock)
{
    return ImageList_DragLeave(hWndLock);
}

BOOL CImageList::DragEnter(CWnd* pWndLock, CPoint point)
{
    return DragEnter(pWndLock != nullptr ? pWndLock->GetSafeHwnd() : nullptr, point);
}

BOOL CImageList::DragLeave(CWnd* pWndLock)
{
    return DragLeave(pWndLock != nullptr ? pWndLock->GetSafeHwnd() : nullptr);
}

BOOL CImageList::DragMove(CPoint pt)
{
    return ImageList_DragMove(pt.x, pt.y);
}

BOOL CImageList::DragShowNolock(BOOL bShow)
{
    return ImageList_DragShowNolock(bShow);
}

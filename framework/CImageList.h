// A list of same-sized images (with masks) for menus, toolbars, trees and drag images.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"
#include "framework/CPoint.h"

#include <commctrl.h>

class CBitmap;
class CDC;
class CWnd;

class CImageList : public CObject
{
    DECLARE_DYNAMIC(CImageList)
public:
    HIMAGELIST m_hImageList = nullptr;

    CImageList() = default;
    // Deletes the list it owns.
    ~CImageList() override;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    // The object that owns the list, or a temporary wrapper of this thread, deleted at
    // idle time (DeleteTempMap).
    static CImageList* FromHandle(HIMAGELIST hImageList);
    static CImageList* FromHandlePermanent(HIMAGELIST hImageList);
    static void DeleteTempMap();
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // From a bitmap resource of images cx pixels wide side by side; pixels of crMask
    // become transparent.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL Create(LPCTSTR lpszBitmapID, int cx, int nGrow, COLORREF crMask);
    // A copy of another list, images and masks included.
    BOOL Create(CImageList* pImageList);

    int GetImageCount() const;
    BOOL SetImageCount(UINT uNewCount);
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const;
    BOOL GetIconSize(int* cx, int* cy) const;
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;

    // Each Add returns the index of the first new image, or -1. Adding with a mask
    // colour turns the masked pixels of the given bitmap black.
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int Add(HICON hIcon);
    BOOL Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask);
    int Replace(int nImage, HICON hIcon);
    // -1 removes every image.
    BOOL Remove(int nImage);
    BOOL SetOverlayImage(int nImage, int nOverlay);

    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
    // A new icon that the caller destroys with DestroyIcon.
    HICON ExtractIcon(int nImage);

    // Dragging: one drag image per process, shown over a locked window.
    BOOL BeginDrag(int nImage, CPoint ptHotSpot);
    BOOL SetDragCursorImage(int nDrag, CPoint ptHotSpot);
    static void EndDrag();
    // hWndLock NULL locks the desktop.
    static BOOL DragEnter(HWND hWndLock, CPoint point);
    static BOOL DragEnter(CWnd* pWndLock, CPoint point);
    static BOOL DragLeave(HWND hWndLock);
    static BOOL DragLeave(CWnd* pWndLock);
    static BOOL DragMove(CPoint pt);
    static BOOL DragShowNolock(BOOL bShow);
};

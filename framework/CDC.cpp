#include "framework/CDC.h"

#include "framework/CBitmap.h"
#include "framework/CBrush.h"
#include "framework/CFont.h"
#include "framework/CHandleMap.h"
#include "framework/CPen.h"
#include "framework/CRgn.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CDC, CObject)

using DCHandleMap = CHandleMap<CDC, HDC>;

CDC::~CDC()
{
    if (m_hDC != nullptr)
        ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC hDC)
{
    if (hDC == nullptr)
        return nullptr;
    if (CDC* permanent = DCHandleMap::LookupPermanent(hDC))
        return permanent;
    if (CDC* temporary = DCHandleMap::LookupTemporary(hDC))
        return temporary;
    CDC* wrapper = new CDC;
    wrapper->m_hDC = wrapper->m_hAttribDC = hDC;
    DCHandleMap::AddTemporary(hDC, wrapper);
    return wrapper;
}

void CDC::DeleteTempMap()
{
    for (CDC* wrapper : DCHandleMap::TakeTemporaries()) {
        wrapper->m_hDC = wrapper->m_hAttribDC = nullptr;   // not ours to delete
        delete wrapper;
    }
}

BOOL CDC::Attach(HDC hDC)
{
    ASSERT(m_hDC == nullptr);
    if (hDC == nullptr)
        return FALSE;
    m_hDC = m_hAttribDC = hDC;
    DCHandleMap::SetPermanent(hDC, this);
    return TRUE;
}

HDC CDC::Detach()
{
    HDC hDC = m_hDC;
    if (hDC != nullptr) {
        DCHandleMap::RemovePermanent(hDC, this);
        DCHandleMap::RemoveTemporary(hDC, this);
    }
    m_hDC = m_hAttribDC = nullptr;
    return hDC;
}

BOOL CDC::CreateDC(LPCTSTR lpszDriverName, LPCTSTR lpszDeviceName, LPCTSTR lpszOutput, const void* lpInitData)
{
    return Attach(::CreateDC(lpszDriverName, lpszDeviceName, lpszOutput, static_cast<const DEVMODE*>(lpInitData)));
}

BOOL CDC::CreateIC(LPCTSTR lpszDriverName, LPCTSTR lpszDeviceName, LPCTSTR lpszOutput, const void* lpInitData)
{
    return Attach(::CreateIC(lpszDriverName, lpszDeviceName, lpszOutput, static_cast<const DEVMODE*>(lpInitData)));
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    return Attach(::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr));
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr)
        return FALSE;
    return ::DeleteDC(Detach());
}

// Attribute setters change both contexts so that measuring and drawing agree.
#define CDC_SET_BOTH(call) \
    do { \
        if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC) \
            (void)::call(m_hAttribDC, value); \
        return ::call(m_hDC, value); \
    } while (0)

int CDC::SaveDC()
{
    int saved = ::SaveDC(m_hDC);
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::SaveDC(m_hAttribDC);
    return saved;
}

BOOL CDC::RestoreDC(int nSavedDC)
{
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::RestoreDC(m_hAttribDC, nSavedDC);
    return ::RestoreDC(m_hDC, nSavedDC);
}

int CDC::GetDeviceCaps(int nIndex) const
{
    return ::GetDeviceCaps(m_hAttribDC, nIndex);
}

CGdiObject* CDC::WrapSelected(HGDIOBJ hPrevious)
{
    if (hPrevious == nullptr || hPrevious == HGDI_ERROR)
        return nullptr;
    return CGdiObject::FromHandle(hPrevious);
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject)
{
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::SelectObject(m_hAttribDC, hObject);
    return ::SelectObject(m_hDC, hObject);
}

CGdiObject* CDC::SelectStockObject(int nIndex)
{
    return WrapSelected(SelectObject(::GetStockObject(nIndex)));
}

CPen* CDC::SelectObject(CPen* pPen)
{
    return static_cast<CPen*>(WrapSelected(SelectObject(pPen->m_hObject)));
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    return static_cast<CBrush*>(WrapSelected(SelectObject(pBrush->m_hObject)));
}

CFont* CDC::SelectObject(CFont* pFont)
{
    return static_cast<CFont*>(WrapSelected(SelectObject(pFont->m_hObject)));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    return static_cast<CBitmap*>(WrapSelected(SelectObject(pBitmap->m_hObject)));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject)
{
    return WrapSelected(SelectObject(pObject->m_hObject));
}

int CDC::SelectObject(CRgn* pRgn)
{
    return SelectClipRgn(pRgn);
}

CPen* CDC::GetCurrentPen() const
{
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBrush* CDC::GetCurrentBrush() const
{
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CFont* CDC::GetCurrentFont() const
{
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CBitmap* CDC::GetCurrentBitmap() const
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hAttribDC); }
COLORREF CDC::SetBkColor(COLORREF value) { CDC_SET_BOTH(SetBkColor); }
int CDC::GetBkMode() const { return ::GetBkMode(m_hAttribDC); }
int CDC::SetBkMode(int value) { CDC_SET_BOTH(SetBkMode); }
COLORREF CDC::GetTextColor() const { return ::GetTextColor(m_hAttribDC); }
COLORREF CDC::SetTextColor(COLORREF value) { CDC_SET_BOTH(SetTextColor); }
int CDC::GetROP2() const { return ::GetROP2(m_hAttribDC); }
int CDC::SetROP2(int value) { CDC_SET_BOTH(SetROP2); }
int CDC::SetPolyFillMode(int value) { CDC_SET_BOTH(SetPolyFillMode); }
int CDC::SetStretchBltMode(int value) { CDC_SET_BOTH(SetStretchBltMode); }
UINT CDC::GetTextAlign() const { return ::GetTextAlign(m_hAttribDC); }
UINT CDC::SetTextAlign(UINT value) { CDC_SET_BOTH(SetTextAlign); }
int CDC::GetMapMode() const { return ::GetMapMode(m_hAttribDC); }
int CDC::SetMapMode(int value) { CDC_SET_BOTH(SetMapMode); }

#undef CDC_SET_BOTH

CPoint CDC::GetViewportOrg() const
{
    POINT point = {0, 0};
    ::GetViewportOrgEx(m_hAttribDC, &point);
    return point;
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    POINT previous = {0, 0};
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::SetViewportOrgEx(m_hAttribDC, x, y, nullptr);
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::OffsetViewportOrg(int nWidth, int nHeight)
{
    POINT previous = {0, 0};
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::OffsetViewportOrgEx(m_hAttribDC, nWidth, nHeight, nullptr);
    ::OffsetViewportOrgEx(m_hDC, nWidth, nHeight, &previous);
    return previous;
}

CSize CDC::GetViewportExt() const
{
    SIZE size = {0, 0};
    ::GetViewportExtEx(m_hAttribDC, &size);
    return size;
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    SIZE previous = {0, 0};
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::SetViewportExtEx(m_hAttribDC, cx, cy, nullptr);
    ::SetViewportExtEx(m_hDC, cx, cy, &previous);
    return previous;
}

CPoint CDC::GetWindowOrg() const
{
    POINT point = {0, 0};
    ::GetWindowOrgEx(m_hAttribDC, &point);
    return point;
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT previous = {0, 0};
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::SetWindowOrgEx(m_hAttribDC, x, y, nullptr);
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CPoint CDC::OffsetWindowOrg(int nWidth, int nHeight)
{
    POINT previous = {0, 0};
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::OffsetWindowOrgEx(m_hAttribDC, nWidth, nHeight, nullptr);
    ::OffsetWindowOrgEx(m_hDC, nWidth, nHeight, &previous);
    return previous;
}

CSize CDC::GetWindowExt() const
{
    SIZE size = {0, 0};
    ::GetWindowExtEx(m_hAttribDC, &size);
    return size;
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    SIZE previous = {0, 0};
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::SetWindowExtEx(m_hAttribDC, cx, cy, nullptr);
    ::SetWindowExtEx(m_hDC, cx, cy, &previous);
    return previous;
}

void CDC::LPtoDP(LPPOINT lpPoints, int nCount) const { ::LPtoDP(m_hAttribDC, lpPoints, nCount); }
void CDC::LPtoDP(LPRECT lpRect) const { ::LPtoDP(m_hAttribDC, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CDC::DPtoLP(LPPOINT lpPoints, int nCount) const { ::DPtoLP(m_hAttribDC, lpPoints, nCount); }
void CDC::DPtoLP(LPRECT lpRect) const { ::DPtoLP(m_hAttribDC, reinterpret_cast<LPPOINT>(lpRect), 2); }

// Sizes are distances: converting both ends removes the origin of the mapping.
void CDC::LPtoDP(LPSIZE lpSize) const
{
    POINT ends[2] = {{0, 0}, {lpSize->cx, lpSize->cy}};
    ::LPtoDP(m_hAttribDC, ends, 2);
    lpSize->cx = ends[1].x - ends[0].x;
    lpSize->cy = ends[1].y - ends[0].y;
}

void CDC::DPtoLP(LPSIZE lpSize) const
{
    POINT ends[2] = {{0, 0}, {lpSize->cx, lpSize->cy}};
    ::DPtoLP(m_hAttribDC, ends, 2);
    lpSize->cx = ends[1].x - ends[0].x;
    lpSize->cy = ends[1].y - ends[0].y;
}

CPoint CDC::GetCurrentPosition() const
{
    POINT point = {0, 0};
    ::GetCurrentPositionEx(m_hAttribDC, &point);
    return point;
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous = {0, 0};
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::MoveToEx(m_hAttribDC, x, y, nullptr);
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

BOOL CDC::LineTo(int x, int y)
{
    if (m_hAttribDC != nullptr && m_hAttribDC != m_hDC)
        ::MoveToEx(m_hAttribDC, x, y, nullptr);
    return ::LineTo(m_hDC, x, y);
}

BOOL CDC::Polyline(const POINT* lpPoints, int nCount) { return ::Polyline(m_hDC, lpPoints, nCount); }
BOOL CDC::PolylineTo(const POINT* lpPoints, int nCount) { return ::PolylineTo(m_hDC, lpPoints, nCount); }
BOOL CDC::PolyPolyline(const POINT* lpPoints, const DWORD* lpPolyPoints, int nCount)
{
    return ::PolyPolyline(m_hDC, lpPoints, lpPolyPoints, nCount);
}
BOOL CDC::Polygon(const POINT* lpPoints, int nCount) { return ::Polygon(m_hDC, lpPoints, nCount); }
BOOL CDC::PolyBezier(const POINT* lpPoints, int nCount) { return ::PolyBezier(m_hDC, lpPoints, nCount); }
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
}
BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
BOOL CDC::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    return ::Arc(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
BOOL CDC::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    return ::Pie(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
BOOL CDC::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    return ::Chord(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
COLORREF CDC::SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }
BOOL CDC::SetPixelV(int x, int y, COLORREF crColor) { return ::SetPixelV(m_hDC, x, y, crColor); }

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) { ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject)); }
void CDC::FrameRect(LPCRECT lpRect, CBrush* pBrush) { ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject)); }
void CDC::InvertRect(LPCRECT lpRect) { ::InvertRect(m_hDC, lpRect); }

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
    ::SetBkColor(m_hDC, clr);
    ::ExtTextOut(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr)
{
    RECT rect = {x, y, x + cx, y + cy};
    FillSolidRect(&rect, clr);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, clrTopLeft,
               clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, clrBottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, clrBottomRight);
}

BOOL CDC::DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags) { return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags); }
void CDC::DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }
BOOL CDC::DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState)
{
    return ::DrawFrameControl(m_hDC, lpRect, nType, nState);
}
BOOL CDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
BOOL CDC::FillRgn(CRgn* pRgn, CBrush* pBrush)
{
    return ::FillRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject), static_cast<HBRUSH>(pBrush->m_hObject));
}
BOOL CDC::FrameRgn(CRgn* pRgn, CBrush* pBrush, int nWidth, int nHeight)
{
    return ::FrameRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject), static_cast<HBRUSH>(pBrush->m_hObject), nWidth,
                      nHeight);
}
BOOL CDC::PaintRgn(CRgn* pRgn) { return ::PaintRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject)); }
BOOL CDC::InvertRgn(CRgn* pRgn) { return ::InvertRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject)); }

BOOL CDC::DrawState(CPoint pt, CSize size, HBITMAP hBitmap, UINT nFlags, HBRUSH hBrush)
{
    return ::DrawState(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(hBitmap), 0, pt.x, pt.y, size.cx, size.cy,
                       nFlags | DST_BITMAP);
}

BOOL CDC::DrawState(CPoint pt, CSize size, CBitmap* pBitmap, UINT nFlags, CBrush* pBrush)
{
    return DrawState(pt, size, static_cast<HBITMAP>(pBitmap->m_hObject), nFlags,
                     pBrush != nullptr ? static_cast<HBRUSH>(pBrush->m_hObject) : nullptr);
}

BOOL CDC::DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush)
{
    return ::DrawState(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, pt.x, pt.y, size.cx, size.cy,
                       nFlags | DST_ICON);
}

BOOL CDC::DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, CBrush* pBrush)
{
    return DrawState(pt, size, hIcon, nFlags, pBrush != nullptr ? static_cast<HBRUSH>(pBrush->m_hObject) : nullptr);
}

BOOL CDC::DrawState(CPoint pt, CSize size, LPCTSTR lpszText, UINT nFlags, BOOL bPrefixText, int nTextLen,
                    HBRUSH hBrush)
{
    return ::DrawState(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(lpszText), static_cast<WPARAM>(nTextLen),
                       pt.x, pt.y, size.cx, size.cy, nFlags | (bPrefixText ? DST_PREFIXTEXT : DST_TEXT));
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr, xSrc, ySrc, dwRop);
}

BOOL CDC::PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
{
    return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, int nSrcWidth,
                     int nSrcHeight, DWORD dwRop)
{
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                        nSrcWidth, nSrcHeight, dwRop);
}

BOOL CDC::MaskBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, CBitmap& maskBitmap,
                  int xMask, int yMask, DWORD dwRop)
{
    return ::MaskBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                     static_cast<HBITMAP>(maskBitmap.m_hObject), xMask, yMask, dwRop);
}

BOOL CDC::TextOut(int x, int y, LPCTSTR lpszString, int nCount) { return ::TextOut(m_hDC, x, y, lpszString, nCount); }
BOOL CDC::TextOut(int x, int y, const CString& str) { return TextOut(x, y, str.GetString(), str.GetLength()); }

BOOL CDC::ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCTSTR lpszString, UINT nCount,
                     LPINT lpDxWidths)
{
    return ::ExtTextOut(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
}

BOOL CDC::ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, const CString& str, LPINT lpDxWidths)
{
    return ExtTextOut(x, y, nOptions, lpRect, str.GetString(), static_cast<UINT>(str.GetLength()), lpDxWidths);
}

int CDC::DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
{
    return ::DrawText(m_hDC, lpszString, nCount, lpRect, nFormat);
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat)
{
    return DrawText(str.GetString(), str.GetLength(), lpRect, nFormat);
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32(m_hAttribDC, lpszString, nCount, &size);
    return size;
}

CSize CDC::GetTextExtent(const CString& str) const
{
    return GetTextExtent(str.GetString(), str.GetLength());
}

CSize CDC::GetOutputTextExtent(const CString& str) const
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32(m_hDC, str.GetString(), str.GetLength(), &size);
    return size;
}

CSize CDC::GetTabbedTextExtent(const CString& str, int nTabPositions, LPINT lpnTabStopPositions) const
{
    DWORD extent = ::GetTabbedTextExtent(m_hAttribDC, str.GetString(), str.GetLength(), nTabPositions,
                                         lpnTabStopPositions);
    return CSize(LOWORD(extent), HIWORD(extent));
}

BOOL CDC::GetTextMetrics(LPTEXTMETRIC lpMetrics) const { return ::GetTextMetrics(m_hAttribDC, lpMetrics); }

int CDC::GetTextFace(CString& rString) const
{
    char face[LF_FACESIZE] = {0};
    int length = ::GetTextFace(m_hAttribDC, LF_FACESIZE, face);
    rString = face;
    return length;
}

BOOL CDC::BeginPath() { return ::BeginPath(m_hDC); }
BOOL CDC::EndPath() { return ::EndPath(m_hDC); }
BOOL CDC::AbortPath() { return ::AbortPath(m_hDC); }
BOOL CDC::CloseFigure() { return ::CloseFigure(m_hDC); }
BOOL CDC::FillPath() { return ::FillPath(m_hDC); }
BOOL CDC::StrokePath() { return ::StrokePath(m_hDC); }
BOOL CDC::StrokeAndFillPath() { return ::StrokeAndFillPath(m_hDC); }
BOOL CDC::WidenPath() { return ::WidenPath(m_hDC); }
BOOL CDC::FlattenPath() { return ::FlattenPath(m_hDC); }
BOOL CDC::SelectClipPath(int nMode) { return ::SelectClipPath(m_hDC, nMode); }

int CDC::SelectClipRgn(CRgn* pRgn)
{
    // NULL removes the clipping region.
    return ::SelectClipRgn(m_hDC, pRgn != nullptr ? static_cast<HRGN>(pRgn->m_hObject) : nullptr);
}

int CDC::SelectClipRgn(CRgn* pRgn, int nMode)
{
    return ::ExtSelectClipRgn(m_hDC, pRgn != nullptr ? static_cast<HRGN>(pRgn->m_hObject) : nullptr, nMode);
}

int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::IntersectClipRect(LPCRECT r) { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::ExcludeClipRect(LPCRECT r) { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }
int CDC::OffsetClipRgn(int x, int y) { return ::OffsetClipRgn(m_hDC, x, y); }
int CDC::GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
BOOL CDC::PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
BOOL CDC::RectVisible(LPCRECT lpRect) const { return ::RectVisible(m_hDC, lpRect); }

int CDC::StartDoc(LPDOCINFO lpDocInfo)
{
    int job = ::StartDoc(m_hDC, lpDocInfo);
    m_bPrinting = job > 0;
    return job;
}

int CDC::StartDoc(LPCTSTR lpszDocName)
{
    DOCINFO info;
    std::memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.lpszDocName = lpszDocName;
    return StartDoc(&info);
}

int CDC::StartPage() { return ::StartPage(m_hDC); }
int CDC::EndPage() { return ::EndPage(m_hDC); }

int CDC::EndDoc()
{
    m_bPrinting = FALSE;
    return ::EndDoc(m_hDC);
}

int CDC::AbortDoc()
{
    m_bPrinting = FALSE;
    return ::AbortDoc(m_hDC);
}

int CDC::SetAbortProc(ABORTPROC lpfn) { return ::SetAbortProc(m_hDC, lpfn); }

CBrush* CDC::GetHalftoneBrush()
{
    // Made once, owned for the life of the process (the static is thread-safe).
    static CBrush* halftone = [] {
        CBrush* brush = new CBrush;
        brush->CreateHalftoneBrush();
        return brush;
    }();
    return halftone;
}

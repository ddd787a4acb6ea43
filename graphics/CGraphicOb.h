// Base of every drawable of the drawing library: an object that remembers its rectangle
// and settings, lays itself out for a device context and draws itself on request.
// Setters of derived objects only mark the object stale; the next Draw lays it out again.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CRect.h"

class CDC;

class CGraphicOb
{
public:
    CGraphicOb();
    virtual ~CGraphicOb();

    CGraphicOb(const CGraphicOb&) = delete;
    CGraphicOb& operator=(const CGraphicOb&) = delete;

    // Lays out again with the stored rectangle when stale; derived objects then draw.
    virtual void Draw(CDC* dc);
    // Stores the rectangle and clears the stale flag; derived objects compute their
    // geometry here.
    virtual void Layout(CDC* dc, const CRect& rect);
    virtual void Reset();
    virtual void Invalidate();
    virtual bool IsInvalid() const;
    // Points are in the rectangle's device coordinates; true when the object used the
    // event and its owner should redraw.
    virtual bool OnMouseDown(UINT flags, CPoint point);
    virtual bool OnMouseMove(UINT flags, CPoint point);
    virtual bool OnMouseUp(UINT flags, CPoint point);
    virtual void SetColor(COLORREF color);
    virtual void SetBackgroundColor(COLORREF color);
    // Copies the rectangle and the stale flag.
    virtual void Assign(const CGraphicOb& other);

    CRect GetRect() const { return CRect(m_left, m_top, m_right, m_bottom); }

protected:
    int m_left;
    int m_top;
    int m_right;
    int m_bottom;
    bool m_invalid;
};

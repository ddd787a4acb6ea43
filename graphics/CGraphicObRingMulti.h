// A clock-like dial: a background ring, any number of segment rings on top of it, fixed
// labels written inside the dial and changeable labels on lines that leave its outer edge.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicObRing.h"

#include <boost/shared_ptr.hpp>
#include <deque>
#include <string>

class CGraphicObRingMulti : public CGraphicOb
{
public:
    struct Label_t
    {
        float angle = 0.0f;           // radians, clockwise from 12 o'clock
        float radiusFraction = 0.0f;  // of the background ring's outer radius
        std::string text;
        // Fixed labels: moves the text down by its own height. Changeable labels keep it only.
        bool flag = false;
        int textX = 0;
        int textY = 0;
        int lineStartX = 0;
        int lineStartY = 0;
        int lineEndX = 0;
        int lineEndY = 0;
    };

    CGraphicObRingMulti();

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;
    // Passed to the background ring.
    void SetBackgroundColor(COLORREF color) override;

    int GetRingCount() const;
    // Drops segments from index n on, or appends default rings until there are n.
    void SetRingCount(int count);
    void SetRingStartAngle(int index, float degrees);
    void SetRingEndAngle(int index, float degrees);
    void SetCenter(int x, int y);
    void SetRadius(int radius);
    void SetThickness(int thickness);
    // The pen of every ring; its colour is the changeable labels' text colour.
    void SetPen(int width, COLORREF color);
    // The fill of every segment (not of the background ring).
    void SetFillColor(COLORREF color);
    void AddStaticLabel(float degrees, float radiusFraction, const std::string& text, bool moveDown);
    void AddLabel(float degrees, float radiusFraction, const std::string& text, bool flag);
    void ClearLabels();

    CGraphicObRing& GetBackgroundRing() { return m_background; }
    CGraphicObRing& GetRing(int index) { return *m_rings.at(index); }
    const std::deque<Label_t>& GetStaticLabels() const { return m_staticLabels; }
    const std::deque<Label_t>& GetLabels() const { return m_labels; }
    COLORREF GetLabelColor() const { return m_labelColor; }

private:
    // Positions are left to the layout.
    static Label_t MakeLabel(float degrees, float radiusFraction, const std::string& text, bool flag);

    CGraphicObRing m_background;
    std::deque<boost::shared_ptr<CGraphicObRing>> m_rings;
    std::deque<Label_t> m_staticLabels;
    std::deque<Label_t> m_labels;
    LOGFONT m_labelFont;
    COLORREF m_labelColor;
};

#include "graphics/CGraphicObSignal.h"
#include "framework/CDC.h"

namespace
{
const int SIGNAL_WIRES = 3;
const int SIGNAL_PEN_STYLE = PS_GEOMETRIC | PS_ENDCAP_FLAT;
const double SIGNAL_WIRE_PITCH = 1.5;
const double SIGNAL_TOP = 4.0;
const COLORREF SIGNAL_BAND_COLOR = 0x00FFFF;
}  // namespace

CGraphicObSignal::CGraphicObSignal() : m_bandStart(0.0), m_bandEnd(0.0), m_bandLeft(-1), m_bandRight(-1)
{
    const char* const names[SIGNAL_WIRES] = { "wire 1", "wire 2", "wire 3" };
    for (const char* name : names)
        AddLine(0, name, 1, SIGNAL_PEN_STYLE);
    SetXAxisHeight(0);
    SetYAxisWidth(0);
    SetLegendWidth(0);
    SetLegendShown(false);
    m_xAxis->SetVisible(false);
    m_yAxis->SetVisible(false);
    for (int wire = 0; wire < SIGNAL_WIRES; ++wire)
    {
        GetYAxis(wire)->SetVisible(false);
        GetYAxis(wire)->SetRange(0.0, SIGNAL_TOP);
    }
}

void CGraphicObSignal::AddWireSample(int wire, double x, bool on)
{
    AddPoint(x, (2 - wire) * SIGNAL_WIRE_PITCH + (on ? 1.0 : 0.0), wire);
}

void CGraphicObSignal::SetBand(double start, double end)
{
    m_bandStart = start;
    m_bandEnd = end;
    Invalidate();
}

void CGraphicObSignal::Layout(CDC* dc, const CRect& rect)
{
    CGraphicObGraphLine::Layout(dc, rect);
    if (m_bandStart == m_bandEnd)
    {
        m_bandLeft = -1;
        m_bandRight = -1;
        return;
    }
    m_bandLeft = m_xAxis->ValueToPixel(m_bandStart);
    m_bandRight = m_xAxis->ValueToPixel(m_bandEnd);
}

void CGraphicObSignal::Draw(CDC* dc)
{
    if (IsInvalid())
        Layout(dc, GetRect());
    // A band at the context's first column is no band.
    if (m_bandLeft > 0)
    {
        const CRect band(m_bandLeft, m_plotRect.top, m_bandRight + 1, m_plotRect.bottom);
        const COLORREF previous = dc->GetBkColor();
        dc->FillSolidRect(band, SIGNAL_BAND_COLOR);
        dc->SetBkColor(previous);
    }
    CGraphicObGraphLine::Draw(dc);
}

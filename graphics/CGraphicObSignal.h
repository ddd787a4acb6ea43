// A three-wire signal diagram: step traces "wire 1", "wire 2" and "wire 3" stacked one
// above the other, with an optional yellow band across the time axis.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicObGraphLine.h"

class CGraphicObSignal : public CGraphicObGraphLine
{
public:
    CGraphicObSignal();

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;

    // Wire 0 steps between 3.0 and 4.0, wire 1 between 1.5 and 2.5, wire 2 between 0 and 1.
    void AddWireSample(int wire, double x, bool on);
    // Start equal to end: no band.
    void SetBand(double start, double end);
    double GetBandStart() const { return m_bandStart; }
    double GetBandEnd() const { return m_bandEnd; }
    // Computed by Layout; -1 without a band.
    int GetBandLeft() const { return m_bandLeft; }
    int GetBandRight() const { return m_bandRight; }

private:
    double m_bandStart;
    double m_bandEnd;
    int m_bandLeft;
    int m_bandRight;
};

// An axis over a range of numbers: maps values to pixels and back, turns a rough tick step
// into a nice one, and draws tick marks and value labels.
#pragma once
#include "framework/FrameworkBase.h"
#include "graphics/CGraphicObAxis.h"

#include <vector>

// Ticks an axis draws at most, however small its step: a range of one value or a step
// far below the range would otherwise never end the tick loop.
const int AXIS_MAX_TICKS = 1000;
// The labels' decimals chosen by the axis: the fewest that tell every tick apart.
const int AXIS_DECIMALS_AUTO = -1;
const int AXIS_MAX_DECIMALS = 10;

// A tick's label as the last layout placed it: the box it fills (inside the label bounds)
// and, for turned text, where the text starts.
struct AxisLabel_t
{
    CString text;
    CRect box;
    CPoint origin;
};

class CGraphicObAxisNumeric : public CGraphicObAxis
{
public:
    CGraphicObAxisNumeric();

    void Draw(CDC* dc) override;
    void Layout(CDC* dc, const CRect& rect) override;
    // Makes the tick step, taken as a rough step, a nice one (1, 2 or 5 times a power of
    // ten) and widens the range to whole steps. An empty range is widened first, and a
    // step that is not positive becomes a tenth of the range.
    virtual void AutoScale();
    virtual void SetRange(double minimum, double maximum);
    virtual double GetMin() const;
    virtual double GetMax() const;
    // Values beyond the range map to its ends and clear the flag.
    virtual int ValueToPixel(double value, bool* inRange = nullptr) const;
    virtual double PixelToValue(int pixel, bool* inRange = nullptr) const;
    // At the labels' precision (GetLabelPrecision).
    void FormatLabel(CString& text, double value) const;

    // The nice step for a rough one: 1, 2, 5 or 10 times its power of ten.
    static double NiceStep(double roughStep);

    void SetTickStep(double step);
    double GetTickStep() const { return m_tickStep; }
    void SetLabelWidth(int width) { m_labelWidth = width; Invalidate(); }
    // A fixed precision, or AXIS_DECIMALS_AUTO.
    void SetDecimals(int decimals);
    int GetLabelWidth() const { return m_labelWidth; }
    int GetDecimals() const { return m_decimals; }
    // The precision the labels are written with: the fixed one, or the lowest up to
    // GetMaxLabelPrecision whose labels differ from tick to tick.
    int GetLabelPrecision() const;
    // The rectangle no label may leave (the graph's); an empty one bounds nothing.
    void SetLabelBounds(const CRect& bounds);
    CRect GetLabelBounds() const { return m_labelBounds; }
    const std::vector<AxisLabel_t>& GetLabels() const { return m_labels; }

    // Minimum, minimum + step, ... up to the maximum, at most AXIS_MAX_TICKS of them;
    // the minimum alone when the step is not positive.
    std::vector<double> GetTickValues() const;
    // Pixels along the axis: the span and where it starts.
    int GetPixelSpan() const;

protected:
    // Precision 0 up to GetMaxLabelPrecision; the numeric axis counts decimals.
    virtual void FormatLabelAt(CString& text, double value, int precision) const;
    virtual int GetMaxLabelPrecision() const { return AXIS_MAX_DECIMALS; }
    // Ticks, range or precision changed: labels and precision are found again.
    void LabelsChanged();

    int m_labelWidth;
    int m_decimals;
    double m_minimum;
    double m_maximum;
    double m_tickStep;

private:
    // The label boxes for the current font, moved inside the bounds.
    void PlaceLabels(CDC* dc);
    // How much the font must shrink so that no two neighbouring labels overlap (1: none do).
    double OverlapScale() const;

    CRect m_labelBounds;
    std::vector<AxisLabel_t> m_labels;
    mutable int m_labelPrecision;
};

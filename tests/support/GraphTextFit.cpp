#include "tests/support/GraphTextFit.h"

#include "framework/CDC.h"
#include "framework/CFont.h"

#include <sstream>

namespace testing_support {

namespace {

std::string Describe(const RECT& rect)
{
    std::ostringstream text;
    text << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
    return text.str();
}

bool Inside(const CRect& inner, const CRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string OneLine(const CString& text)
{
    CString line = text;
    line.Replace('\n', ' ');
    return static_cast<LPCTSTR>(line);
}

void AxisFaults(const char* which, const CGraphicObAxisNumeric& axis, const CRect& graph, const CRect& legend,
                std::vector<std::string>& faults)
{
    const std::vector<AxisLabel_t>& labels = axis.GetLabels();
    for (size_t i = 0; i < labels.size(); ++i) {
        const AxisLabel_t& label = labels[i];
        const std::string name = std::string(which) + " label \"" + OneLine(label.text) + "\" ";
        CRect common;
        if (!Inside(label.box, graph))
            faults.push_back(name + Describe(label.box) + " leaves the graph " + Describe(graph));
        if (common.IntersectRect(&label.box, &legend))
            faults.push_back(name + Describe(label.box) + " runs into the legend " + Describe(legend));
        if (i == 0)
            continue;
        if (common.IntersectRect(&label.box, &labels[i - 1].box))
            faults.push_back(name + "overlaps the one before it");
        if (label.text == labels[i - 1].text)
            faults.push_back(name + "repeats the one before it");
    }
}

} // namespace

std::vector<std::string> GraphTextFaults(CDC& dc, CGraphicObGraphLine& graph)
{
    std::vector<std::string> faults;
    const CRect bounds = graph.GetRect();
    const CRect legend = graph.IsLegendShown() ? graph.GetLegendRect() : CRect();
    if (graph.GetXAxisHeight() != 0)
        AxisFaults("time", *graph.GetXAxis(), bounds, legend, faults);
    if (graph.GetYAxisWidth() != 0)
        AxisFaults("value", *graph.GetYAxis(), bounds, legend, faults);
    if (!graph.IsLegendShown())
        return faults;
    CFont font;
    font.CreateFontIndirect(&graph.GetLegendFont());
    CFont* previous = dc.SelectObject(&font);
    for (int line = 0; line < graph.GetLineCount(); ++line) {
        const CRect room = graph.GetLegendTextRect(line);
        const CString name = graph.GetLineName(line).c_str();
        CRect needed(0, 0, room.Width(), 0);
        dc.DrawText(name, needed, DT_CALCRECT | DT_WORDBREAK | DT_LEFT | DT_TOP);
        if (needed.Width() > room.Width() || needed.Height() > room.Height() || !Inside(room, bounds))
            faults.push_back("legend name \"" + OneLine(name) + "\" needs " + std::to_string(needed.Width()) + "x" +
                             std::to_string(needed.Height()) + " in " + Describe(room));
    }
    dc.SelectObject(previous);
    return faults;
}

} // namespace testing_support

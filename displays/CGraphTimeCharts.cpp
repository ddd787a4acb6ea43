#include "displays/CGraphTimeCharts.h"
#include "displays/CDisplayGraphTimeDoc.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "framework/COleDateTime.h"
#include "graphics/CMemDC.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

const COLORREF GRAPH_LINE_COLORS[GRAPH_LINE_COLOR_COUNT] = {
    RGB(128, 0, 0), RGB(0, 0, 128), RGB(0, 128, 0), RGB(128, 128, 0),
    RGB(0, 128, 128), RGB(128, 0, 128), RGB(255, 0, 128), RGB(0, 0, 255),
};

namespace
{
const int GRAPH_LINE_PEN_STYLE = PS_GEOMETRIC | PS_ENDCAP_FLAT;
const double TICKS_PER_SPAN = 5.01;
const double INITIAL_SPAN_DAYS = 5.0;
// Half the span given to samples that all lie at one moment: one minute.
const double FLAT_TIME_HALF_SPAN = 1.0 / 24 / 60;
const double LOWEST_START = 1000000.0;
const double HIGHEST_START = -1000000.0;

DATE EarliestStart()
{
    return COleDateTime(2035, 12, 31, 23, 59, 59);
}

DATE LatestStart()
{
    return COleDateTime(1980, 1, 1, 0, 0, 0);
}

void SetTimeRange(CGraphicObAxisNumeric& axis, double earliest, double latest)
{
    axis.SetRange(earliest, latest);
    axis.SetTickStep((latest - earliest) / TICKS_PER_SPAN);
}
}  // namespace

CGraphTimeCharts::CGraphTimeCharts() : m_dragging(false)
{
    m_main.SetXAxisHeight(60);
    m_main.SetYAxisWidth(80);
    m_main.SetLegendWidth(140);
    m_main.SetLegendBoxSize(20);
    m_main.SetLegendSpacing(10);
    m_main.SetLegendShown(true);
    m_main.SetAxisPerLine(false);
    m_overview.SetAxisPerLine(false);
    // The main chart keeps the value range of its samples as the rebuild sets it.
    m_main.SetFit(true, false);

    const COleDateTime now = COleDateTime::GetCurrentTime();
    for (CGraphicObGraphLineStripChart* chart : { &m_main, &m_overview })
    {
        chart->GetXAxis()->SetRange(DATE(now) - INITIAL_SPAN_DAYS, DATE(now));
        chart->GetXAxis()->SetFractions(0.1f, 0.05f, 0.85f, 0.0f, 0.0f);
    }
    m_main.GetXAxis()->SetTitleText("Time");
    m_main.GetYAxis(0)->SetEndMargin(20);

    m_overview.EnableWindow(true);
    m_overview.SetLegendShown(false);
    m_overview.SetYAxisWidth(0);
    m_overview.SetXAxisHeight(60);
}

void CGraphTimeCharts::FullRebuild(CDisplayGraphTimeDoc& document)
{
    m_main.ClearPoints();
    m_overview.ClearPoints();
    m_main.RemoveAllLines();
    m_overview.RemoveAllLines();

    DATE earliest = EarliestStart();
    DATE latest = LatestStart();
    double lowest = LOWEST_START;
    double highest = HIGHEST_START;
    bool anySample = false;
    bool anyValue = false;

    CDocumentManager* manager = document.GetDocumentManager();
    const LockedDisplayEntries_t entries = document.LockEntries();
    int line = 0;
    for (const DisplayEntry_t& entry : *entries.first)
    {
        // Only log-file columns have samples; a device's id may also name a log file.
        if (!entry.item || manager == nullptr || !CDocumentDisplay::IsLogFileColumn(*entry.item))
            continue;
        const CDocumentLogFilePtr logFile = manager->FindLogFileById(entry.item->GetDocumentId());
        if (!logFile)
            continue;
        LogSampleList_t samples;
        try
        {
            logFile->GetPlotSamples(entry.item->GetVariableId(), samples);
        }
        catch (const std::runtime_error&)
        {
            // A column the log file does not have: it gets no line.
            continue;
        }

        const COLORREF color = GRAPH_LINE_COLORS[line % GRAPH_LINE_COLOR_COUNT];
        const std::string name = static_cast<LPCTSTR>(entry.item->GetName());
        m_main.AddLine(color, name, 1, GRAPH_LINE_PEN_STYLE);
        m_overview.AddLine(color, name, 1, GRAPH_LINE_PEN_STYLE);
        for (const LogSample_t& sample : samples)
        {
            // A sample without a valid time has no place on a time axis.
            if (sample.time.GetStatus() != COleDateTime::valid)
                continue;
            const DATE time = sample.time;
            earliest = std::min(earliest, time);
            latest = std::max(latest, time);
            // A row without a value is a gap in the line, outside the value range.
            if (!IsLogGap(sample.value))
            {
                lowest = std::min(lowest, sample.value);
                highest = std::max(highest, sample.value);
                anyValue = true;
            }
            anySample = true;
            m_overview.AddPoint(time, sample.value, line);
            m_main.AddPoint(time, sample.value, line);
        }
        CGraphicObAxisNumeric* axis = m_main.GetYAxis(line);
        axis->SetFractions(0.1f, 0.1f, 0.5f, 0.1f, 0.2f);
        axis->SetEndMargin(20);
        ++line;
    }

    if (!anySample)
    {
        // Nothing to plot: the span the graph starts with, and the values' default range.
        const COleDateTime now = COleDateTime::GetCurrentTime();
        earliest = DATE(now) - INITIAL_SPAN_DAYS;
        latest = DATE(now);
    }
    if (!anyValue)
    {
        // Nothing but gaps: the values' default range.
        lowest = 0.0;
        highest = 10.0;
    }
    if (latest <= earliest)
    {
        earliest -= FLAT_TIME_HALF_SPAN;
        latest += FLAT_TIME_HALF_SPAN;
    }
    if (highest <= lowest)
    {
        const double half = lowest != 0.0 ? std::fabs(lowest) * 0.1 : 1.0;
        lowest -= half;
        highest += half;
    }

    SetTimeRange(*m_main.GetXAxis(), earliest, latest);
    for (int axis = 0; axis < std::max(1, m_main.GetLineCount()); ++axis)
    {
        m_main.GetYAxis(axis)->SetRange(lowest, highest);
        m_main.GetYAxis(axis)->SetTickStep(CGraphicObAxisNumeric::NiceStep((highest - lowest) / 10.0));
    }
    SetTimeRange(*m_overview.GetXAxis(), earliest, latest);
    m_main.FitToData();
    m_overview.FitToData();
    m_main.Invalidate();
    m_overview.Invalidate();
}

double CGraphTimeCharts::WindowStart() const
{
    return m_overview.GetDragOffset() + m_overview.GetWindowStart();
}

double CGraphTimeCharts::WindowEnd() const
{
    return m_overview.GetDragOffset() + m_overview.GetWindowEnd();
}

void CGraphTimeCharts::WindowRebuild(double start, double end)
{
    m_main.ClearPoints();
    // The overview holds every sample of every line: the main chart takes its share.
    for (int line = 0; line < m_overview.GetSampleLineCount(); ++line)
    {
        for (const GraphSample_t& sample : m_overview.GetSamples(line))
        {
            if (sample.first < start || sample.first > end)
                continue;
            m_main.AddPoint(sample.first, sample.second, line);
        }
    }
    if (end > start)
        SetTimeRange(*m_main.GetXAxis(), start, end);
    m_main.Invalidate();
}

void CGraphTimeCharts::Rebuild(CDisplayGraphTimeDoc& document)
{
    FullRebuild(document);
    const double start = WindowStart();
    const double end = WindowEnd();
    if (m_overview.IsWindowShown() && start != 0.0 && end != 0.0)
        WindowRebuild(start, end);
}

void CGraphTimeCharts::Layout(CDC* dc, int width, int height)
{
    m_mainRect = CRect(0, 0, width, height - GRAPH_OVERVIEW_HEIGHT);
    m_overviewRect = CRect(GRAPH_OVERVIEW_INSET, height - GRAPH_OVERVIEW_HEIGHT, width - GRAPH_OVERVIEW_INSET, height);
    m_main.Layout(dc, m_mainRect);
    m_overview.Layout(dc, m_overviewRect);
}

void CGraphTimeCharts::Paint(CDC* dc, const CRect& client)
{
    CMemDC memory(dc, client, RGB(255, 255, 255));
    m_main.Draw(&memory);
    m_overview.Draw(&memory);
}

bool CGraphTimeCharts::OnMouseDown(UINT flags, CPoint point)
{
    bool changed = false;
    if (m_mainRect.PtInRect(point) && m_main.OnMouseDown(flags, point))
        changed = true;
    if (m_overviewRect.PtInRect(point) && m_overview.OnMouseDown(flags, point))
    {
        m_dragging = true;
        changed = true;
    }
    return changed;
}

bool CGraphTimeCharts::OnMouseMove(UINT flags, CPoint point)
{
    bool changed = false;
    if (m_mainRect.PtInRect(point) && m_main.OnMouseMove(flags, point))
        changed = true;
    if ((m_dragging || m_overviewRect.PtInRect(point)) && m_overview.OnMouseMove(flags, point))
    {
        WindowRebuild(WindowStart(), WindowEnd());
        changed = true;
    }
    return changed;
}

bool CGraphTimeCharts::OnMouseUp(UINT flags, CPoint point)
{
    bool changed = false;
    if (m_mainRect.PtInRect(point) && m_main.OnMouseUp(flags, point))
        changed = true;
    if ((m_dragging || m_overviewRect.PtInRect(point)) && m_overview.OnMouseUp(flags, point))
    {
        m_dragging = false;
        // Where the window came to rest, kept inside the range.
        WindowRebuild(WindowStart(), WindowEnd());
        changed = true;
    }
    return changed;
}

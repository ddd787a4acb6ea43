// Cost figures of the displays, for tools/bench-displays.
// Usage:
//   DisplaysBench graph FOLDER ROWS     a Historical Graph of a CSV log of ROWS rows in 4 columns,
//                                       one every 10 s: the log read, the rebuild, the layout and
//                                       the paint (the mean and the slowest of 20)
//   DisplaysBench state RATE SECONDS    RATE value items a second for SECONDS seconds through
//                                       the hub to 10 State displays, and to none (the floor)
// Every figure is one "RESULT name key=value ..." line; problems go to stderr and make
// the exit code non-zero.
#include "framework/FrameworkBase.h"
#include "tools/bench/BenchClock.h"
#include "displays/CDisplayGraphTimeDoc.h"
#include "displays/CDisplayStateDoc.h"
#include "displays/CGraphTimeCharts.h"
#include "documents/CDocumentDevice.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CDocumentManager.h"
#include "documents/CPlotItemSimpleValue.h"
#include "framework/CBitmap.h"
#include "framework/CDC.h"
#include "framework/COleVariant.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
int g_failures = 0;
const int LOG_ROW_SECONDS = 10;

void Fail(const std::string& text)
{
    std::fprintf(stderr, "DisplaysBench: %s\n", text.c_str());
    ++g_failures;
}


// The displays post to a window that the bench's own thread serves.
template <class Display>
class BenchDisplay : public Display
{
public:
    void SetViewWindow(HWND window) { this->m_viewWindow = window; }
};

HWND MakeMessageWindow()
{
    return ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

void PumpPending()
{
    MSG msg;
    for (int handled = 0; handled < 100000 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++handled)
        ::DispatchMessageA(&msg);
}

void WriteLog(const std::string& path, int rows)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
    {
        Fail("cannot write " + path);
        return;
    }
    std::fputs("\"time (UTC)\",\"Battery Voltage\",\"Array Voltage\",\"Charge Current\",\"Heatsink\"\n", file);
    // One row every 10 s from 2024-01-01.
    const __time64_t start = 1704067200;
    for (int row = 0; row < rows; ++row)
    {
        const __time64_t stamp = start + static_cast<__time64_t>(row) * LOG_ROW_SECONDS;
        struct tm utc;
        _gmtime64_s(&utc, &stamp);
        const double phase = row / 8640.0 * 6.2831853;
        std::fprintf(file, "\"%04d-%02d-%02dT%02d:%02d:%02d.000+00:00\",\"%.2f\",\"%.2f\",\"%.2f\",\"%.1f\"\n",
                     utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                     12.5 + std::sin(phase), 30.0 + 10.0 * std::sin(phase + 1.0), 4.0 + 4.0 * std::sin(phase),
                     25.0 + row % 97 / 10.0);
    }
    std::fclose(file);
}

void Graph(const std::string& folder, int rows)
{
    const std::string path = folder + "\\graph-" + std::to_string(rows) + ".csv";
    WriteLog(path, rows);
    CDocumentManagerPtr manager(new CDocumentManager);
    manager->GetDispatcher().Shutdown();
    CDocumentLogFilePtr log(new CDocumentLogFile);
    log->SetDocumentManager(manager.get());
    manager->AddLogFile(log);
    double start = WallSeconds();
    try
    {
        log->OpenLogFile(std::wstring(path.begin(), path.end()));
    }
    catch (const std::exception& error)
    {
        Fail(std::string("open: ") + error.what());
        return;
    }
    const double readSeconds = WallSeconds() - start;

    boost::shared_ptr<CDisplayGraphTimeDoc> graph(new CDisplayGraphTimeDoc);
    graph->SetDocumentManager(manager.get());
    manager->AddDisplay(graph);
    CTreeItemPtr whole(new CTreeItem("log", "", PLOT_ITEM_TYPE_LOG_COLUMN, PLOT_ID_NONE, log->GetId(), ""));
    log->CollectPlotItems(whole->GetPlotItems());
    graph->AddVariable(*whole);

    HDC screen = ::GetDC(nullptr);
    CDC target;
    target.Attach(::CreateCompatibleDC(screen));
    CBitmap bitmap;
    bitmap.Attach(::CreateCompatibleBitmap(screen, 1200, 800));
    ::ReleaseDC(nullptr, screen);
    CBitmap* previous = target.SelectObject(&bitmap);

    CGraphTimeCharts charts;
    start = WallSeconds();
    charts.Rebuild(*graph);
    const double rebuildSeconds = WallSeconds() - start;
    start = WallSeconds();
    charts.Layout(&target, 1200, 800);
    const double layoutSeconds = WallSeconds() - start;
    // The layout rendered the lines: a paint only draws, as when the window is uncovered.
    const int paints = 20;
    double paintSeconds = 0.0;
    double slowestPaint = 0.0;
    for (int paint = 0; paint < paints; ++paint)
    {
        start = WallSeconds();
        charts.Paint(&target, CRect(0, 0, 1200, 800));
        ::GdiFlush();
        const double seconds = WallSeconds() - start;
        paintSeconds += seconds / paints;
        slowestPaint = std::max(slowestPaint, seconds);
    }
    int points = 0;
    for (int line = 0; line < charts.GetMainChart().GetLineCount(); ++line)
        points += charts.GetMainChart().GetRenderedLine(line)->count;
    target.SelectObject(previous);

    std::printf("RESULT graph rows=%d samples=%d days=%.1f lines=%d read_seconds=%.4f rebuild_seconds=%.4f "
                "layout_seconds=%.4f paint_seconds=%.5f slowest_paint_seconds=%.5f rendered_points=%d\n",
                rows, rows * 4, rows * LOG_ROW_SECONDS / 86400.0, charts.GetMainChart().GetLineCount(), readSeconds,
                rebuildSeconds, layoutSeconds, paintSeconds, slowestPaint, points);
    manager->CloseAll();
}

class BenchDevice : public CDocumentDevice
{
public:
    bool IsConnected() override { return true; }
};

// Items at the rate through the hub's second queue and dispatch thread; CPU per second.
void State(int rate, int seconds, int displayCount)
{
    CDocumentManagerPtr manager(new CDocumentManager);
    boost::shared_ptr<BenchDevice> device(new BenchDevice);
    device->SetDocumentManager(manager.get());
    const int deviceId = manager->AddDevice(device);
    const int variables = 100;
    const HWND window = MakeMessageWindow();
    std::vector<boost::shared_ptr<BenchDisplay<CDisplayStateDoc>>> displays;
    for (int index = 0; index < displayCount; ++index)
    {
        boost::shared_ptr<BenchDisplay<CDisplayStateDoc>> display(new BenchDisplay<CDisplayStateDoc>);
        display->SetDocumentManager(manager.get());
        display->SetViewWindow(window);
        manager->AddDisplay(display);
        for (int variable = 0; variable < variables; ++variable)
            display->AddVariable(CTreeItem(("v" + std::to_string(variable)).c_str(), "V", STORAGE_TYPE_SIMPLE_VALUE,
                                           variable, deviceId, ""));
        displays.push_back(display);
    }
    PumpPending();

    const double wallStart = WallSeconds();
    const double cpuStart = ProcessCpuSeconds();
    int sent = 0;
    // Items go out in batches every 10 ms; the posts to the views are served in between.
    for (int tick = 0; tick < seconds * 100; ++tick)
    {
        const double due = wallStart + tick / 100.0;
        while (WallSeconds() < due)
        {
            PumpPending();
            ::Sleep(1);
        }
        for (int item = 0; item < rate / 100; ++item, ++sent)
        {
            COleVariant value(12.0 + sent % 50 / 10.0);
            manager->GetDispatcher().PostToSecondQueue(CStoragePtr(new CPlotItemSimpleValue(
                static_cast<BYTE>(deviceId), sent % variables, value, "", "")));
        }
    }
    const double wall = WallSeconds() - wallStart;
    const double cpu = ProcessCpuSeconds() - cpuStart;
    PumpPending();
    if (displayCount > 0 && displays.front()->GetValueText(0).IsEmpty())
        Fail("no value reached the State displays");
    std::printf("RESULT state displays=%d rate=%d seconds=%.2f items=%d cpu_per_second=%.4f\n", displayCount, rate,
                wall, sent, cpu / wall);
    manager->CloseAll();
    ::DestroyWindow(window);
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "graph" && argc > 3)
    {
        Graph(argv[2], std::atoi(argv[3]));
    }
    else if (mode == "state" && argc > 3)
    {
        State(std::atoi(argv[2]), std::atoi(argv[3]), 10);
        State(std::atoi(argv[2]), std::atoi(argv[3]), 0);
    }
    else
    {
        std::fprintf(stderr, "usage: DisplaysBench graph FOLDER ROWS | state RATE SECONDS\n");
        return 2;
    }
    std::fflush(stdout);
    return g_failures == 0 ? 0 : 1;
}

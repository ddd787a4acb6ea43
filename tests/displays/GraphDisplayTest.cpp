// The Historical Graph's document and charts: which columns it accepts, a rebuild from two
// log files (lines, colours, ranges, rows without a valid time left out), the ranges the
// Part fixes at their extremes, the overview window dragged, and the archive with and
// without its magic number.
#include <gtest/gtest.h>

#include "tests/displays/DisplayFixtures.h"

#include "displays/CGraphTimeCharts.h"
#include "documents/CDocumentLogFile.h"
#include "documents/CStorageRefreshEvent.h"
#include "documents/TimeHelpers.h"
#include "framework/CArchive.h"
#include "framework/CArchiveException.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/DibCanvas.h"
#include "tests/support/FileText.h"
#include "tests/support/GraphTextFit.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace
{
using namespace display_testing;

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

DATE Stamp(const char* text)
{
    return ParseUtcTimestamp(text);
}

class GraphDisplay : public DisplayTest
{
protected:
    GraphDisplay() : graph(MakeDisplay<CDisplayGraphTimeDoc>()) {}

    // Writes a CSV log and opens it as a log-file document (a device's download when a
    // device is named); its id.
    int OpenCsvLog(const char* name, const std::string& text, int sourceDevice = -1)
    {
        const std::string path = folder + "\\" + name;
        EXPECT_TRUE(testing_support::WriteFileText(path, text));
        CDocumentLogFilePtr logFile(new CDocumentLogFile);
        logFile->SetDocumentManager(manager.get());
        logFile->SetSourceId(sourceDevice);
        const int id = manager->AddLogFile(logFile);
        logFile->OpenLogFile(Wide(path));
        return id;
    }

    // The log file as the log-file tree hands it over.
    CTreeItemPtr WholeLog(int id)
    {
        CTreeItemPtr item(new CTreeItem("log", "", PLOT_ITEM_TYPE_LOG_COLUMN, PLOT_ID_NONE, id, ""));
        manager->FindLogFileById(id)->CollectPlotItems(item->GetPlotItems());
        return item;
    }

    CTreeItemPtr Column(int id, int column, const char* name)
    {
        return CTreeItemPtr(new CTreeItem(name, "", PLOT_ITEM_TYPE_LOG_COLUMN, column, id, ""));
    }

    boost::shared_ptr<Posting<CDisplayGraphTimeDoc>> graph;
};

const char* const TWO_COLUMNS =
    "\"time (UTC)\",\"Battery Voltage\",\"Charge State\"\n"
    "\"2010-03-01T00:00:00.000+00:00\",\"12.0\",\"Bulk\"\n"
    "\"2011-02-30T10:00:00.000+00:00\",\"99.0\",\"Float\"\n"
    "\"2011-06-01T00:00:00.000+00:00\",\"14.0\",\"Float\"\n";
const char* const ONE_COLUMN =
    "\"time (UTC)\",\"Load Current\"\n"
    "\"2012-01-01T00:00:00.000+00:00\",\"-3.0\"\n"
    "\"2012-12-31T00:00:00.000+00:00\",\"2.0\"\n";

TEST_F(GraphDisplay, AcceptsOnlyNumberColumnsOfOpenLogFiles)
{
    const int log = OpenCsvLog("two.csv", TWO_COLUMNS);
    const int device = AddDevice("Varnix");
    EXPECT_FALSE(graph->CanAddVariable(nullptr));
    EXPECT_FALSE(graph->CanAddVariable(Variable(device, 1, "Battery Voltage").get()));
    // Device and log-file ids are counted apart: the computer's variable of the log file's
    // number is still a device variable.
    ASSERT_TRUE(manager->FindDeviceById(log));
    EXPECT_FALSE(graph->CanAddVariable(Variable(log, 0, "Battery Voltage").get()));
    graph->AddVariable(*Variable(log, 0, "Battery Voltage"));
    EXPECT_EQ(0u, graph->GetEntryCount());
    CTreeItem wholeDevice("Varnix", "", PLOT_ID_NONE, PLOT_ID_NONE, device, "");
    EXPECT_FALSE(graph->CanAddVariable(&wholeDevice));
    EXPECT_TRUE(graph->CanAddVariable(Column(log, 0, "Battery Voltage").get()));
    // Text samples, a column the file does not have, a log file that is not open.
    EXPECT_FALSE(graph->CanAddVariable(Column(log, 1, "Charge State").get()));
    EXPECT_FALSE(graph->CanAddVariable(Column(log, 7, "unknown").get()));
    EXPECT_FALSE(graph->CanAddVariable(Column(log + 1, 0, "Battery Voltage").get()));
    graph->AddVariable(*Column(log, 7, "unknown"));
    EXPECT_EQ(0u, graph->GetEntryCount());

    // A whole log file adds its number columns only.
    ClearPosted();
    graph->AddVariable(*WholeLog(log));
    ASSERT_EQ(1u, graph->GetEntryCount());
    EXPECT_EQ("Battery Voltage", std::string(graph->GetEntry(0).item->GetName()));
    // One rebuild for the drop: each rebuild reads every sample again.
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_REBUILD).size());

    // Records of a plotted log file rebuild it; another log file's do not.
    ClearPosted();
    graph->OnStorage(Refresh(REFRESH_LOG_RECORDS, log + 5));
    EXPECT_TRUE(Posted(WM_APP_DISPLAY_REBUILD).empty());
    graph->OnStorage(Refresh(REFRESH_LOG_RECORDS, log));
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_REBUILD).size());
    // A removed log file takes its columns; the device of the same number is another list.
    graph->OnStorage(Refresh(REFRESH_DEVICE_REMOVED, log));
    EXPECT_EQ(1u, graph->GetEntryCount());
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, log));
    EXPECT_EQ(0u, graph->GetEntryCount());
}

TEST_F(GraphDisplay, RebuildsFromTwoLogFiles)
{
    const int first = OpenCsvLog("two.csv", TWO_COLUMNS);
    const int second = OpenCsvLog("one.csv", ONE_COLUMN);
    graph->AddVariable(*WholeLog(first));
    graph->AddVariable(*WholeLog(second));
    // A column of a log file that is not open takes no line and no colour.
    graph->AddVariable(*Column(second, 0, "Load Current"));

    CGraphTimeCharts charts;
    charts.FullRebuild(*graph);
    CGraphicObGraphLineStripChart& main = charts.GetMainChart();
    ASSERT_EQ(2, main.GetLineCount());
    EXPECT_EQ(2, charts.GetOverview().GetLineCount());
    COLORREF color = 0;
    ASSERT_TRUE(main.GetLineColor(1, color));
    EXPECT_EQ(GRAPH_LINE_COLORS[1], color);
    EXPECT_EQ("Load Current", main.GetLineName(1));
    // The row of a day that does not exist is left out; the others are plotted.
    ASSERT_EQ(2u, main.GetSamples(0).size());
    EXPECT_EQ(14.0, main.GetSamples(0).back().second);
    // From the first sample to the last, over both files; every Y axis the same range.
    EXPECT_DOUBLE_EQ(Stamp("2010-03-01T00:00:00.000+00:00"), main.GetXAxis()->GetMin());
    EXPECT_DOUBLE_EQ(Stamp("2012-12-31T00:00:00.000+00:00"), main.GetXAxis()->GetMax());
    EXPECT_NEAR((main.GetXAxis()->GetMax() - main.GetXAxis()->GetMin()) / 5.01, main.GetXAxis()->GetTickStep(), 1e-9);
    for (int axis = 0; axis < 2; ++axis)
    {
        EXPECT_EQ(-3.0, main.GetYAxis(axis)->GetMin());
        EXPECT_EQ(14.0, main.GetYAxis(axis)->GetMax());
    }
    EXPECT_DOUBLE_EQ(main.GetXAxis()->GetMin(), charts.GetOverview().GetXAxis()->GetMin());

    // Closed: the rebuild skips its columns.
    manager->RemoveLogFile(manager->FindLogFileById(first));
    charts.FullRebuild(*graph);
    ASSERT_EQ(1, main.GetLineCount());
    EXPECT_EQ("Load Current", main.GetLineName(0));
    EXPECT_EQ(GRAPH_LINE_COLORS[0], (main.GetLineColor(0, color), color));
}

TEST_F(GraphDisplay, DevicesLogsOpenedAgainKeepTheirCurvesAndShowTheNewDays)
{
    const int varnix = AddDevice("Varnix");
    const int mppt = AddDevice("Varnix MPPT");
    const auto days = [](int count) {
        std::string text = "\"time (UTC)\",\"Battery Voltage Min\",\"Charge Ah\"\n";
        for (int day = 1; day <= count; ++day)
            text += "\"2024-05-0" + std::to_string(day) + "T07:00:00.000+00:00\",\"12." + std::to_string(day) +
                    "\",\"" + std::to_string(40 + day) + "\"\n";
        return text;
    };
    const int downloaded = OpenCsvLog("VNX-DEMO.csv", days(3), varnix);
    const int opened = OpenCsvLog("one.csv", ONE_COLUMN);
    const int second = OpenCsvLog("MPPT-DEMO.csv", TWO_COLUMNS, mppt);
    for (int log : { downloaded, opened, second })
        graph->AddVariable(*WholeLog(log));
    ASSERT_EQ(4u, graph->GetEntryCount());

    // Both devices disconnect: their logs close, and their columns go until they open again.
    ClearPosted();
    for (int log : { downloaded, second })
    {
        manager->RemoveLogFile(manager->FindLogFileById(log));
        graph->OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, log));
    }
    EXPECT_EQ(1u, graph->GetEntryCount());
    EXPECT_EQ(2u, Posted(WM_APP_DISPLAY_REBUILD).size());
    // A workspace saved meanwhile holds what the graph shows, as ever.
    Posting<CDisplayGraphTimeDoc> saved;
    saved.SetDocumentManager(manager.get());
    testing_support::LoadFromBytes(testing_support::StoreToBytes([&](CArchive& ar) { graph->Serialize(ar); }),
                                   [&](CArchive& ar) { saved.Serialize(ar); });
    EXPECT_EQ(1u, saved.GetEntryCount());
    // Another file that gets a closed one's id is not it.
    const int other = OpenCsvLog("other.csv", days(2), varnix);
    ASSERT_EQ(downloaded, other);
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_ADDED, other));
    EXPECT_EQ(1u, graph->GetEntryCount());

    // They connect again, in the same order: the same files, the Varnix's with two days more.
    const int reopened = OpenCsvLog("vnx-demo.CSV", days(5), varnix);
    ClearPosted();
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_ADDED, reopened));
    EXPECT_EQ(1u, Posted(WM_APP_DISPLAY_REBUILD).size());
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_ADDED, OpenCsvLog("MPPT-DEMO.csv", TWO_COLUMNS, mppt)));
    ASSERT_EQ(4u, graph->GetEntryCount());
    CGraphTimeCharts charts;
    charts.FullRebuild(*graph);
    CGraphicObGraphLineStripChart& main = charts.GetMainChart();
    ASSERT_EQ(4, main.GetLineCount());
    // In their places, and so in their colours, with every day.
    const char* const names[] = { "Battery Voltage Min", "Charge Ah", "Load Current", "Battery Voltage" };
    for (int line = 0; line < 4; ++line)
        EXPECT_EQ(names[line], main.GetLineName(line));
    ASSERT_EQ(5u, main.GetSamples(1).size());
    EXPECT_EQ(45.0, main.GetSamples(1).back().second);
    EXPECT_EQ(reopened, graph->GetEntry(0).item->GetDocumentId());

    // A log file closed by hand takes its columns for good.
    manager->RemoveLogFile(manager->FindLogFileById(opened));
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, opened));
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_ADDED, OpenCsvLog("one.csv", ONE_COLUMN)));
    ASSERT_EQ(3u, graph->GetEntryCount());

    // The graph in a workspace, saved while the MPPT is disconnected: a new workspace closes
    // every log, and the saved one opened again finds each column when its device's log
    // opens, in its place, with the days the log has by then.
    const int mpptLog = graph->GetEntry(2).item->GetDocumentId();
    manager->RemoveLogFile(manager->FindLogFileById(mpptLog));
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, mpptLog));
    ASSERT_EQ(2u, graph->GetEntryCount());
    const testing_support::Bytes workspace =
        testing_support::StoreToBytes([&](CArchive& ar) { graph->Serialize(ar); });
    manager->RemoveLogFile(manager->FindLogFileById(reopened));
    manager->RemoveDisplay(graph);
    const auto restored = MakeDisplay<CDisplayGraphTimeDoc>();
    testing_support::LoadFromBytes(workspace, [&](CArchive& ar) { restored->Serialize(ar); });
    restored->DropEntriesOfMissingDocuments();
    EXPECT_EQ(0u, restored->GetEntryCount());
    restored->OnStorage(Refresh(REFRESH_LOG_FILE_ADDED, OpenCsvLog("MPPT-DEMO.csv", TWO_COLUMNS, mppt)));
    restored->OnStorage(Refresh(REFRESH_LOG_FILE_ADDED, OpenCsvLog("VNX-DEMO.csv", days(6), varnix)));
    ASSERT_EQ(3u, restored->GetEntryCount());
    charts.FullRebuild(*restored);
    ASSERT_EQ(3, main.GetLineCount());
    EXPECT_EQ("Battery Voltage Min", main.GetLineName(0));
    EXPECT_EQ("Charge Ah", main.GetLineName(1));
    EXPECT_EQ("Battery Voltage", main.GetLineName(2));
    ASSERT_EQ(6u, main.GetSamples(0).size());
    ASSERT_EQ(6u, main.GetSamples(1).size());
    for (int day = 1; day <= 6; ++day)
    {
        const DATE time = Stamp(("2024-05-0" + std::to_string(day) + "T07:00:00.000+00:00").c_str());
        EXPECT_DOUBLE_EQ(time, main.GetSamples(0)[day - 1].first) << day;
        EXPECT_DOUBLE_EQ(12.0 + day / 10.0, main.GetSamples(0)[day - 1].second) << day;
        EXPECT_DOUBLE_EQ(time, main.GetSamples(1)[day - 1].first) << day;
        EXPECT_DOUBLE_EQ(40.0 + day, main.GetSamples(1)[day - 1].second) << day;
    }
    // The MPPT's rows: the one of a day that does not exist is left out.
    ASSERT_EQ(2u, main.GetSamples(2).size());
    EXPECT_DOUBLE_EQ(Stamp("2010-03-01T00:00:00.000+00:00"), main.GetSamples(2)[0].first);
    EXPECT_EQ(12.0, main.GetSamples(2)[0].second);
    EXPECT_EQ(14.0, main.GetSamples(2)[1].second);
}

TEST_F(GraphDisplay, RangesAtTheirExtremesAndColoursWrapAfterEight)
{
    // All in 2040, all above a million: the running extremes start at 2035-12-31 23:59:59
    // and 1,000,000, and the drawn ranges keep them.
    std::string header = "\"time (UTC)\"";
    std::string row = "\"2040-01-01T00:00:00.000+00:00\"";
    for (int column = 0; column < 9; ++column)
    {
        header += ",\"c" + std::to_string(column) + "\"";
        row += ",\"" + std::to_string(2000000 + column) + "\"";
    }
    const int log = OpenCsvLog("wide.csv", header + "\n" + row + "\n" +
                                               "\"2040-06-01T00:00:00.000+00:00\",\"3000000\",\"1\",\"1\",\"1\",\"1\","
                                               "\"1\",\"1\",\"1\",\"1\"\n");
    graph->AddVariable(*WholeLog(log));
    ASSERT_EQ(9u, graph->GetEntryCount());
    CGraphTimeCharts charts;
    charts.FullRebuild(*graph);
    CGraphicObGraphLineStripChart& main = charts.GetMainChart();
    ASSERT_EQ(9, main.GetLineCount());
    COLORREF ninth = 0;
    main.GetLineColor(8, ninth);
    EXPECT_EQ(GRAPH_LINE_COLORS[0], ninth);
    EXPECT_DOUBLE_EQ(DATE(COleDateTime(2035, 12, 31, 23, 59, 59)), main.GetXAxis()->GetMin());
    EXPECT_DOUBLE_EQ(Stamp("2040-06-01T00:00:00.000+00:00"), main.GetXAxis()->GetMax());
    EXPECT_EQ(1.0, main.GetYAxis(0)->GetMin());

    graph->RemoveVariable(*Column(log, 1, "c1"));
    for (int column = 2; column < 9; ++column)
        graph->RemoveVariable(*Column(log, column, ("c" + std::to_string(column)).c_str()));
    ASSERT_EQ(1u, graph->GetEntryCount());
    charts.FullRebuild(*graph);
    EXPECT_EQ(1000000.0, main.GetYAxis(0)->GetMin());
    EXPECT_EQ(3000000.0, main.GetYAxis(0)->GetMax());
    EXPECT_GT(main.GetYAxis(0)->GetTickStep(), 0.0);
}

TEST_F(GraphDisplay, OneSampleAndNoSamplesGiveDrawableRanges)
{
    DibCanvas canvas(800, 600);
    ASSERT_TRUE(canvas.IsValid());
    CGraphTimeCharts charts;
    // Nothing plotted: the five days up to now and the values' default range.
    charts.FullRebuild(*graph);
    CGraphicObGraphLineStripChart& main = charts.GetMainChart();
    EXPECT_NEAR(5.0, main.GetXAxis()->GetMax() - main.GetXAxis()->GetMin(), 1e-6);
    EXPECT_LT(main.GetYAxis(0)->GetMin(), main.GetYAxis(0)->GetMax());
    charts.Layout(&canvas.DC(), 800, 600);
    charts.Paint(&canvas.DC(), CRect(0, 0, 800, 600));

    // One sample: a span around it, ticks that end.
    const int log = OpenCsvLog("single.csv", "\"time (UTC)\",\"v\"\n\"2024-05-01T12:00:00.000+00:00\",\"7.5\"\n");
    graph->AddVariable(*WholeLog(log));
    charts.FullRebuild(*graph);
    const DATE stamp = Stamp("2024-05-01T12:00:00.000+00:00");
    EXPECT_LT(main.GetXAxis()->GetMin(), stamp);
    EXPECT_GT(main.GetXAxis()->GetMax(), stamp);
    EXPECT_LT(main.GetYAxis(0)->GetMin(), 7.5);
    EXPECT_GT(main.GetYAxis(0)->GetMax(), 7.5);
    EXPECT_GT(main.GetXAxis()->GetTickValues().size(), 1u);
    EXPECT_LT(main.GetYAxis(0)->GetTickValues().size(), static_cast<size_t>(AXIS_MAX_TICKS));
    charts.Layout(&canvas.DC(), 800, 600);
    charts.Paint(&canvas.DC(), CRect(0, 0, 800, 600));
    ASSERT_EQ(1, main.GetRenderedLine(0)->count);
}

TEST_F(GraphDisplay, AxisLabelsAndLegendNamesAreWholeAndDistinct)
{
    DibCanvas canvas(1200, 800);
    ASSERT_TRUE(canvas.IsValid());
    CGraphTimeCharts charts;
    const auto faults = [&] {
        charts.Layout(&canvas.DC(), 1200, 800);
        charts.Paint(&canvas.DC(), CRect(0, 0, 1200, 800));
        std::vector<std::string> found = testing_support::GraphTextFaults(canvas.DC(), charts.GetMainChart());
        const std::vector<std::string> overview = testing_support::GraphTextFaults(canvas.DC(), charts.GetOverview());
        found.insert(found.end(), overview.begin(), overview.end());
        return found;
    };
    // Nothing plotted: the values' default range on an axis without an end margin.
    charts.Rebuild(*graph);
    EXPECT_EQ(std::vector<std::string>(), faults());

    // Three days of values within a tenth of a volt, in twelve columns with long names.
    const int columns = 12;
    std::string text = "\"time (UTC)\"";
    for (int column = 0; column < columns; ++column)
        text += ",\"Varnix HV MPPT (E2E0003) Battery Voltage " + std::to_string(column + 1) + " (V)\"";
    for (int hour = 0; hour <= 72; ++hour)
    {
        char stamp[64];
        snprintf(stamp, sizeof stamp, "\n\"2024-03-%02dT%02d:00:00.000+00:00\"", 1 + hour / 24, hour % 24);
        text += stamp;
        for (int column = 0; column < columns; ++column)
            text += ",\"" + std::to_string(14.21 + (hour + column) % 9 / 100.0) + "\"";
    }
    graph->AddVariable(*WholeLog(OpenCsvLog("narrow.csv", text + "\n")));
    charts.Rebuild(*graph);
    EXPECT_EQ(std::vector<std::string>(), faults());
    EXPECT_GE(charts.GetMainChart().GetYAxis()->GetLabels().size(), 8u);
}

TEST_F(GraphDisplay, DraggingTheOverviewWindowReplotsTheMainChart)
{
    std::string text = "\"time (UTC)\",\"v\"\n";
    for (int day = 1; day <= 28; ++day)
    {
        char line[96];
        snprintf(line, sizeof(line), "\"2024-02-%02dT00:00:00.000+00:00\",\"%d\"\n", day, day);
        text += line;
    }
    const int log = OpenCsvLog("february.csv", text);
    graph->AddVariable(*WholeLog(log));
    DibCanvas canvas(900, 600);
    ASSERT_TRUE(canvas.IsValid());
    CGraphTimeCharts charts;
    charts.Rebuild(*graph);
    charts.Layout(&canvas.DC(), 900, 600);
    EXPECT_EQ(CRect(0, 0, 900, 510), charts.GetMainRect());
    EXPECT_EQ(CRect(20, 510, 880, 600), charts.GetOverviewRect());

    CGraphicObGraphLineStripChart& overview = charts.GetOverview();
    CGraphicObAxisNumeric& time = *overview.GetXAxis();
    // Inside the overview's plot area, above its time axis.
    const int y = 525;
    // A press in the overview opens a window there; dragging its right edge widens it.
    EXPECT_TRUE(charts.OnMouseDown(MK_LBUTTON, CPoint(time.ValueToPixel(Stamp("2024-02-10T00:00:00.000+00:00")), y)));
    EXPECT_TRUE(charts.IsDragging());
    EXPECT_TRUE(charts.OnMouseMove(MK_LBUTTON, CPoint(time.ValueToPixel(Stamp("2024-02-15T12:00:00.000+00:00")), y)));
    EXPECT_TRUE(charts.OnMouseUp(0, CPoint(time.ValueToPixel(Stamp("2024-02-15T12:00:00.000+00:00")), y)));
    EXPECT_FALSE(charts.IsDragging());
    CGraphicObGraphLineStripChart& main = charts.GetMainChart();
    // The main chart shows the window's span: days 10 to 15.
    EXPECT_NEAR(overview.GetWindowStart(), main.GetXAxis()->GetMin(), 1e-9);
    EXPECT_NEAR(overview.GetWindowEnd(), main.GetXAxis()->GetMax(), 1e-9);
    ASSERT_EQ(6u, main.GetSamples(0).size());
    EXPECT_EQ(10.0, main.GetSamples(0).front().second);
    EXPECT_EQ(15.0, main.GetSamples(0).back().second);

    // The body dragged to the end of the range stops there; the main chart follows.
    const CPoint body = overview.GetWindowBody().CenterPoint();
    ASSERT_TRUE(charts.OnMouseDown(MK_LBUTTON, body));
    charts.OnMouseMove(MK_LBUTTON, CPoint(body.x + 100, y));
    EXPECT_GT(main.GetXAxis()->GetMin(), Stamp("2024-02-10T00:00:00.000+00:00"));
    charts.OnMouseUp(0, CPoint(body.x + 2000, y));
    EXPECT_DOUBLE_EQ(time.GetMax(), overview.GetWindowEnd());
    EXPECT_EQ(28.0, main.GetSamples(0).back().second);

    // A rebuild (the log grew) keeps the window.
    charts.Rebuild(*graph);
    EXPECT_NEAR(overview.GetWindowStart(), main.GetXAxis()->GetMin(), 1e-9);
    EXPECT_LT(main.GetSamples(0).size(), 28u);
    charts.Paint(&canvas.DC(), CRect(0, 0, 900, 600));
}

TEST_F(GraphDisplay, ArchiveWithAndWithoutItsMagic)
{
    const int log = OpenCsvLog("two.csv", TWO_COLUMNS);
    graph->AddVariable(*WholeLog(log));
    const testing_support::Bytes bytes = testing_support::StoreToBytes([&](CArchive& ar) { graph->Serialize(ar); });
    EXPECT_EQ(testing_support::ConcatBytes({ testing_support::Int32Bytes(0x53BFAD98), testing_support::Int32Bytes(2) }),
              testing_support::Bytes(bytes.begin(), bytes.begin() + 8));
    Posting<CDisplayGraphTimeDoc> loaded;
    loaded.SetDocumentManager(manager.get());
    testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(1u, loaded.GetEntryCount());

    // A file whose graph names a device variable (of a device numbered like the log file):
    // the rebuild plots no line for it.
    Posting<CDisplayStateDoc> state;
    state.SetDocumentManager(manager.get());
    ASSERT_TRUE(manager->FindDeviceById(log));
    state.AddVariable(*Variable(log, 0, "Battery Voltage"));
    const testing_support::Bytes stateBytes =
        testing_support::StoreToBytes([&](CArchive& ar) { state.Serialize(ar); });
    testing_support::Bytes foreign = testing_support::ConcatBytes(
        { testing_support::Int32Bytes(0x53BFAD98), testing_support::Int32Bytes(1) });
    foreign.insert(foreign.end(), stateBytes.begin() + 4, stateBytes.end());
    Posting<CDisplayGraphTimeDoc> withDevice;
    withDevice.SetDocumentManager(manager.get());
    testing_support::LoadFromBytes(foreign, [&](CArchive& ar) { withDevice.Serialize(ar); });
    ASSERT_EQ(1u, withDevice.GetEntryCount());
    CGraphTimeCharts charts;
    charts.FullRebuild(withDevice);
    EXPECT_EQ(0, charts.GetMainChart().GetLineCount());
    charts.FullRebuild(loaded);
    EXPECT_EQ(1, charts.GetMainChart().GetLineCount());

    // Written without the magic: an empty graph, and what follows is still there to read.
    Posting<CDisplayGraphTimeDoc> old;
    int next = 0;
    testing_support::LoadFromBytes(testing_support::Int32Bytes(1234), [&](CArchive& ar) {
        old.Serialize(ar);
        ar >> next;
    });
    EXPECT_EQ(0u, old.GetEntryCount());
    EXPECT_EQ(1234, next);
    // A version that is not positive ends the graph's part.
    Posting<CDisplayGraphTimeDoc> versionless;
    testing_support::LoadFromBytes(
        testing_support::ConcatBytes({ testing_support::Int32Bytes(0x53BFAD98), testing_support::Int32Bytes(0),
                                       testing_support::Int32Bytes(77) }),
        [&](CArchive& ar) {
            versionless.Serialize(ar);
            ar >> next;
        });
    EXPECT_EQ(0u, versionless.GetEntryCount());
    EXPECT_EQ(77, next);
}
}  // namespace

namespace
{
// What loading the graph's archive from the bytes says: "" when it loads, the refusal's
// text, or the cause of the framework's archive exception.
std::string LoadRefusal(CDocumentManager& manager, const testing_support::Bytes& bytes)
{
    Posting<CDisplayGraphTimeDoc> loaded;
    loaded.SetDocumentManager(&manager);
    try
    {
        testing_support::LoadFromBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    catch (CArchiveException* error)
    {
        const std::string text = "archive exception " + std::to_string(error->m_cause);
        error->Delete();
        return text;
    }
    return "";
}

// Where the bytes of the text stand in the archive: its one place, else npos.
size_t OnlyPlaceOf(const testing_support::Bytes& bytes, const std::string& text)
{
    const auto first = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
    if (first == bytes.end() || std::search(first + 1, bytes.end(), text.begin(), text.end()) != bytes.end())
        return std::string::npos;
    return static_cast<size_t>(first - bytes.begin());
}
} // namespace

TEST_F(GraphDisplay, AnArchiveOfWhatTheGraphCannotHoldIsRefused)
{
    const int varnix = AddDevice("Varnix");
    const int log = OpenCsvLog("VNX-HOLD.csv", "\"time (UTC)\",\"Battery Voltage\",\"Charge Ah\"\n"
                                               "\"2012-01-01T00:00:00.000+00:00\",\"12.5\",\"40\"\n",
                               varnix);
    graph->AddVariable(*WholeLog(log));
    ASSERT_EQ(2u, graph->GetEntryCount());
    const testing_support::Bytes bytes = testing_support::StoreToBytes([&](CArchive& ar) { graph->Serialize(ar); });
    EXPECT_EQ("", LoadRefusal(*manager, bytes));

    // A version this program does not know (it was read as the present one).
    testing_support::Bytes later = bytes;
    ASSERT_EQ(2, later[4]);
    later[4] = 3;
    EXPECT_EQ("archive exception " + std::to_string(CArchiveException::badSchema), LoadRefusal(*manager, later));

    // Two lines of one index: entry version 1, index 1, and the tree item's schema byte.
    const std::string secondEntry("\x01\0\0\0\x01\0\0\0\x02", 9);
    const size_t second = OnlyPlaceOf(bytes, secondEntry);
    ASSERT_NE(std::string::npos, second);
    testing_support::Bytes shared = bytes;
    shared[second + 4] = 0;
    EXPECT_EQ("two of its entries have the index 0", LoadRefusal(*manager, shared));

    // The path of a device's log with a NUL, which the save would cut (to nothing, so that
    // the program refused its own file).
    const std::string pathError = "the log file path of one of its columns holds a NUL or another control character";
    const std::string name = "VNX-HOLD.CSV";
    // Written once for each of its columns.
    const size_t path = static_cast<size_t>(std::search(bytes.begin(), bytes.end(), name.begin(), name.end()) - bytes.begin());
    ASSERT_LT(path, bytes.size());
    testing_support::Bytes cut = bytes;
    cut[path] = 0;
    EXPECT_EQ(pathError, LoadRefusal(*manager, cut));
    cut[path] = '\t';
    EXPECT_EQ(pathError, LoadRefusal(*manager, cut));

    // The same in the path a column waits for while its log is closed.
    manager->RemoveLogFile(manager->FindLogFileById(log));
    graph->OnStorage(Refresh(REFRESH_LOG_FILE_REMOVED, log));
    ASSERT_EQ(0u, graph->GetEntryCount());
    const testing_support::Bytes waiting = testing_support::StoreToBytes([&](CArchive& ar) { graph->Serialize(ar); });
    EXPECT_EQ("", LoadRefusal(*manager, waiting));
    const auto first = std::search(waiting.begin(), waiting.end(), name.begin(), name.end());
    ASSERT_NE(waiting.end(), first);
    testing_support::Bytes waitingCut = waiting;
    waitingCut[first - waiting.begin() + 3] = 0;
    EXPECT_EQ(pathError, LoadRefusal(*manager, waitingCut));
}

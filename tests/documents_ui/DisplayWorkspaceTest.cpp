// Display documents in real MDI frames: closing a frame closes the display, and
// workspaces store and restore displays with their templates, entries and window
// placements.
#include <gtest/gtest.h>

#include "displays/CDocumentDisplay.h"
#include "documents/CDocumentDevicePC.h"
#include "documents/CDocumentManager.h"
#include "documents/workspace/CDocumentWorkspace.h"
#include "framework/CArchive.h"
#include "framework/CDC.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/MessageMap.h"
#include "tests/documents_ui/DisplayTestResources.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileText.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <string>
#include "tests/support/PendingMessages.h"

namespace
{
using testing_support::Bytes;

Bytes Int32(int value) { return testing_support::Int32Bytes(value); }
Bytes ShortText(const std::string& text) { return testing_support::ShortTextBytes(text); }
Bytes Concat(std::initializer_list<Bytes> parts) { return testing_support::ConcatBytes(parts); }

const int PANEL_PREFIX = 1;

// A display as the real kinds are built: its own prefix, the class record of the base,
// then the base's part.
class CTestPanelDoc : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CTestPanelDoc)
public:
    CTestPanelDoc() { ++s_live; }
    ~CTestPanelDoc() override { --s_live; }

    void AddVariable(const CTreeItem& item) override
    {
        CDocumentDisplay::AddVariable(item);
        PostToView(WM_APP_DISPLAY_REBUILD);
    }

    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
        {
            ar << PANEL_PREFIX;
        }
        else
        {
            int prefix = 0;
            ar >> prefix;
        }
        ar.SerializeClass(RUNTIME_CLASS(CDocumentDisplay));
        CDocumentDisplay::Serialize(ar);
    }

    static int s_live;
};
int CTestPanelDoc::s_live = 0;
IMPLEMENT_DYNCREATE(CTestPanelDoc, CDocumentDisplay)

class CTestChartDoc : public CTestPanelDoc
{
    DECLARE_DYNCREATE(CTestChartDoc)
public:
    bool AcceptsDevice() override { return false; }
    bool AcceptsLogFile() override { return true; }
};
IMPLEMENT_DYNCREATE(CTestChartDoc, CTestPanelDoc)

// Lists the display's entries and draws them again when asked to rebuild.
class CTestPanelView : public CView
{
    DECLARE_DYNCREATE(CTestPanelView)
protected:
    void OnDraw(CDC* pDC) override
    {
        auto* display = static_cast<CDocumentDisplay*>(GetDocument());
        int y = 6;
        for (size_t position = 0; display != nullptr && position < display->GetEntryCount(); ++position)
        {
            const DisplayEntry_t entry = display->GetEntry(position);
            CString line;
            line.Format("%d  %s", entry.index, static_cast<LPCTSTR>(entry.item->GetName()));
            ::TextOutA(pDC->m_hDC, 8, y, line, line.GetLength());
            y += 18;
        }
    }
    LRESULT OnRebuild(WPARAM, LPARAM)
    {
        Invalidate();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestPanelView, CView)
BEGIN_MESSAGE_MAP(CTestPanelView, CView)
    ON_MESSAGE(WM_APP_DISPLAY_REBUILD, OnRebuild)
END_MESSAGE_MAP()

class CDisplayChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CDisplayChildFrame)
};
IMPLEMENT_DYNCREATE(CDisplayChildFrame, CMDIChildWnd)

class CDisplayTestApp : public CWinApp
{
public:
    CDisplayTestApp() : CWinApp("DisplayTest") {}
};

// Handles the messages already queued (bounded), leaving WM_QUIT where it is.
void PumpPending()
{
    MSG msg;
    for (int handled = 0; handled < 500 && ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE); ++handled)
    {
        if (msg.message == WM_QUIT)
            return;
        ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE);
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
}

CTreeItemPtr Variable(int deviceId, int variableId, const char* name, const char* units)
{
    return CTreeItemPtr(new CTreeItem(name, units, STORAGE_TYPE_SIMPLE_VALUE, variableId, deviceId, name));
}

CTreeItemPtr LogColumn(int logFileId, int column, const char* name)
{
    return CTreeItemPtr(new CTreeItem(name, "", PLOT_ITEM_TYPE_LOG_COLUMN, column, logFileId, ""));
}

CView* FirstView(CDocumentDisplay& display)
{
    POSITION position = display.GetFirstViewPos();
    return position != nullptr ? display.GetNextViewAt(position) : nullptr;
}

HWND FrameOf(CDocumentDisplay& display)
{
    CView* view = FirstView(display);
    return view != nullptr ? view->GetParentFrame()->GetSafeHwnd() : nullptr;
}

WINDOWPLACEMENT PlacementOf(HWND frame)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    ::GetWindowPlacement(frame, &placement);
    return placement;
}

Bytes PlacementBytes(HWND frame)
{
    const WINDOWPLACEMENT placement = PlacementOf(frame);
    const BYTE* first = reinterpret_cast<const BYTE*>(&placement);
    return Bytes(first, first + sizeof placement);
}

// Where the frame stands when restored, as "left,top,right,bottom show".
std::string NormalPosition(const WINDOWPLACEMENT& placement)
{
    const RECT& rect = placement.rcNormalPosition;
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom) + " " + std::to_string(placement.showCmd);
}

Bytes ClassRecord(const std::string& name)
{
    Bytes bytes{0xFF, 0xFF, 0xFF, 0xFF, BYTE(name.size()), 0};
    for (char ch : name)
        bytes.push_back(BYTE(ch));
    return bytes;
}

// A class written before in the same archive: its index with the class bit.
Bytes ClassReference(int index)
{
    return Bytes{BYTE(index), 0x80};
}

Bytes EntryBytes(int index, const CTreeItem& item, bool enabled)
{
    return Concat({Int32(1), Int32(index), Int32(2), Int32(1), Int32(item.GetItemTypeId()),
                   Int32(item.GetVariableId()), Int32(item.GetDocumentId()), ShortText(item.GetName().GetString()),
                   ShortText(item.GetUnits().GetString()), ShortText(item.GetDescription().GetString()),
                   Int32(enabled ? 1 : 0), Int32(0)});
}

Bytes DocumentPart(const std::string& defaultName, const std::string& userName)
{
    return Concat({Int32(0), ShortText(defaultName), ShortText(userName)});
}

std::vector<std::string> EntryNames(CDocumentDisplay& display)
{
    std::vector<std::string> names;
    for (size_t position = 0; position < display.GetEntryCount(); ++position)
        names.push_back(display.GetEntry(position).item->GetName().GetString());
    return names;
}

int MdiChildCount(CMDIFrameWnd& main)
{
    int count = 0;
    for (HWND child = ::GetWindow(main.m_hWndMDIClient, GW_CHILD); child != nullptr && count < 100;
         child = ::GetWindow(child, GW_HWNDNEXT))
        ++count;
    return count;
}

class DisplayWindows : public testing::Test
{
protected:
    void SetUp() override
    {
        Recorder().Clear();
        const std::string folder = testing_support::BuildPath("tests/documents_ui");
        ASSERT_TRUE(testing_support::EnsureDirectory(folder));
        m_path = folder + "\\displays.pxs";
        ::DeleteFileA(m_path.c_str());

        m_manager.reset(new CDocumentManager);
        CDocumentManager::SetApplicationManager(m_manager.get());
        m_panelTemplate.reset(new CMultiDocTemplate(IDR_DISPLAY_TEST_PANEL, RUNTIME_CLASS(CTestPanelDoc),
                                                    RUNTIME_CLASS(CDisplayChildFrame), RUNTIME_CLASS(CTestPanelView)));
        m_chartTemplate.reset(new CMultiDocTemplate(IDR_DISPLAY_TEST_CHART, RUNTIME_CLASS(CTestChartDoc),
                                                    RUNTIME_CLASS(CDisplayChildFrame), RUNTIME_CLASS(CTestPanelView)));
        m_manager->AddDocTemplate(m_panelTemplate);
        m_manager->AddDocTemplate(m_chartTemplate);

        m_main = new CMDIFrameWnd;
        ASSERT_TRUE(m_main->LoadFrame(IDR_DISPLAY_TEST_MAIN));
        m_mainHandle = m_main->GetSafeHwnd();
        m_app.m_pMainWnd = m_main;
        m_main->SetWindowPos(nullptr, 20, 20, 760, 520, SWP_NOZORDER);
        m_main->ShowWindow(SW_SHOW);
        m_main->UpdateWindow();
    }

    void TearDown() override
    {
        m_panel.reset();
        m_chart.reset();
        m_manager->CloseAll();
        CDocumentManager::SetApplicationManager(nullptr);
        m_manager.reset();
        m_panelTemplate.reset();
        m_chartTemplate.reset();
        if (::IsWindow(m_mainHandle))
            ::DestroyWindow(m_mainHandle);
        testing_support::DispatchPendingMessages();
        m_app.m_pMainWnd = nullptr;
        ::DeleteFileA(m_path.c_str());
        EXPECT_EQ(0, CTestPanelDoc::s_live);
        Recorder().Clear();
    }

    static testing_support::MessageBoxRecorder& Recorder() { return testing_support::MessageBoxRecorder::Instance(); }

    // A display opened as the New Display command does, registered in the manager.
    CDocumentDisplayPtr OpenDisplay(const CDocTemplatePtr& docTemplate)
    {
        CDocument* document = docTemplate->OpenDocumentFile(nullptr, TRUE);
        CDocumentDisplay* display = dynamic_cast<CDocumentDisplay*>(document);
        EXPECT_NE(nullptr, display);
        CDocumentDisplayPtr shared(display);
        if (display != nullptr)
        {
            display->SetDocumentManager(m_manager.get());
            EXPECT_GT(m_manager->AddDisplay(shared), 0);
        }
        return shared;
    }

    // Two displays side by side: a panel of device values and a chart of a log column.
    void OpenTwoDisplays()
    {
        m_panel = OpenDisplay(m_panelTemplate);
        m_chart = OpenDisplay(m_chartTemplate);
        ASSERT_TRUE(m_panel && m_chart);
        m_panel->AddVariable(*Variable(1, 10, "Battery Voltage", "V"));
        m_panel->AddVariable(*Variable(1, 11, "Charge Current", "A"));
        m_panel->SetUserName("Roof panel");
        m_chart->AddVariable(*LogColumn(3, 0, "Array Voltage"));
        ::MoveWindow(FrameOf(*m_panel), 10, 10, 330, 200, TRUE);
        ::MoveWindow(FrameOf(*m_chart), 360, 40, 330, 220, TRUE);
        PumpPending();
    }

    Bytes Save()
    {
        CDocumentWorkspace workspace;
        EXPECT_TRUE(workspace.OnSaveDocument(m_path.c_str()));
        const std::string text = testing_support::ReadFileText(m_path);
        return Bytes(text.begin(), text.end());
    }

    BOOL Open(const Bytes& bytes)
    {
        EXPECT_TRUE(testing_support::WriteFileText(m_path, std::string(bytes.begin(), bytes.end())));
        CDocumentWorkspace workspace;
        return workspace.OnOpenDocument(m_path.c_str());
    }

    void Screenshot(const char* name)
    {
        ::RedrawWindow(m_mainHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        for (int round = 0; round < 5; ++round)
        {
            PumpPending();
            ::Sleep(40);
        }
        const auto shot = testing_support::Screenshot::OfWindow(m_mainHandle);
        ASSERT_FALSE(shot.Empty());
        EXPECT_FALSE(shot.Save(name).empty());
    }

    CDisplayTestApp m_app;
    std::string m_path;
    CDocumentManagerPtr m_manager;
    CDocTemplatePtr m_panelTemplate;
    CDocTemplatePtr m_chartTemplate;
    CMDIFrameWnd* m_main = nullptr;
    HWND m_mainHandle = nullptr;
    CDocumentDisplayPtr m_panel;
    CDocumentDisplayPtr m_chart;
};
}  // namespace

TEST_F(DisplayWindows, ClosingItsFrameClosesTheDisplayAndTakesItOutOfTheManager)
{
    OpenTwoDisplays();
    ASSERT_EQ(2, CTestPanelDoc::s_live);
    const HWND frame = FrameOf(*m_panel);
    // Rebuild requests go to the window of the first view.
    EXPECT_EQ(FirstView(*m_panel)->GetSafeHwnd(), m_panel->GetViewWindow());
    m_panel->SetModifiedFlag(FALSE);
    m_panel.reset();
    ::SendMessage(frame, WM_CLOSE, 0, 0);
    PumpPending();
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(1, CTestPanelDoc::s_live);
    const DisplayList_t displays = m_manager->GetDisplays();
    ASSERT_EQ(1u, displays.size());
    EXPECT_EQ(m_chart, displays[0]);
    EXPECT_EQ(0u, Recorder().Count());
}

TEST_F(DisplayWindows, AWorkspaceStoresAndRestoresDisplaysWithTheirPlacement)
{
    OpenTwoDisplays();
    Screenshot("workspace_displays_before_save");
    const Bytes panelPlacement = PlacementBytes(FrameOf(*m_panel));
    const Bytes chartPlacement = PlacementBytes(FrameOf(*m_chart));
    const std::string panelPosition = NormalPosition(PlacementOf(FrameOf(*m_panel)));
    const std::string chartPosition = NormalPosition(PlacementOf(FrameOf(*m_chart)));
    EXPECT_EQ("10,10,340,210 1", panelPosition);
    const CDocumentDevicePtr computer = m_manager->FindDeviceById(1);
    const Bytes bytes = Save();

    // Class indices run through the whole file: the computer's record brings the classes
    // 1 (computer), 3 (device base) and 4 (document base), the panel 5 and 6, the chart 7.
    const Bytes computerBytes =
        testing_support::StoreToBytes([&](CArchive& ar) { ar.WriteObject(computer.get()); });
    const Bytes expected = Concat({
        Bytes{0xAE, 0x92, 0x88, 0x01, 0xD3, 0xA1, 0x07, 0xF9, 1, 0, 0, 0}, Int32(1), computerBytes, Int32(2),
        ShortText("PyraxisTest.Panel"), ClassRecord("CTestPanelDoc"), Int32(1), ClassRecord("CDocumentDisplay"),
        Int32(1), Int32(2), EntryBytes(0, *Variable(1, 10, "Battery Voltage", "V"), true),
        EntryBytes(1, *Variable(1, 11, "Charge Current", "A"), true), ClassReference(4),
        DocumentPart("Panel1", "Roof panel"), DocumentPart("Panel1", "Roof panel"), panelPlacement,
        ShortText("PyraxisTest.Chart"), ClassRecord("CTestChartDoc"), Int32(1), ClassReference(6),
        Int32(1), Int32(1), EntryBytes(0, *LogColumn(3, 0, "Array Voltage"), true), ClassReference(4),
        DocumentPart("Chart1", ""), DocumentPart("Chart1", ""), chartPlacement});
    EXPECT_EQ(expected, bytes);
    EXPECT_EQ(44u, panelPlacement.size());
    EXPECT_EQ(44, panelPlacement[0]);

    m_panel.reset();
    m_chart.reset();
    m_manager->CloseAll();
    EXPECT_EQ(0, CTestPanelDoc::s_live);
    EXPECT_EQ(0, MdiChildCount(*m_main));

    ASSERT_TRUE(Open(bytes));
    EXPECT_EQ(0u, Recorder().Count());
    const DisplayList_t displays = m_manager->GetDisplays();
    ASSERT_EQ(2u, displays.size());
    EXPECT_EQ(RUNTIME_CLASS(CTestPanelDoc), displays[0]->GetRuntimeClass());
    EXPECT_EQ(RUNTIME_CLASS(CTestChartDoc), displays[1]->GetRuntimeClass());
    EXPECT_EQ(1, displays[0]->GetId());
    EXPECT_EQ(2, displays[1]->GetId());
    EXPECT_EQ(m_manager.get(), displays[0]->GetDocumentManager());
    EXPECT_STREQ("Roof panel", displays[0]->GetName());
    EXPECT_EQ((std::vector<std::string>{"Battery Voltage", "Charge Current"}), EntryNames(*displays[0]));
    // Log files are not part of a workspace: a column of one that is not open would name
    // whichever log file takes its id next, so it goes.
    EXPECT_TRUE(EntryNames(*displays[1]).empty());
    EXPECT_FALSE(displays[0]->IsModified());

    // Each in a visible frame of its own template, where it was.
    for (size_t position = 0; position < displays.size(); ++position)
    {
        const HWND frame = FrameOf(*displays[position]);
        ASSERT_NE(nullptr, frame);
        EXPECT_TRUE(::IsWindowVisible(frame));
        EXPECT_EQ(FirstView(*displays[position])->GetSafeHwnd(), displays[position]->GetViewWindow());
        EXPECT_EQ(position == 0 ? panelPosition : chartPosition, NormalPosition(PlacementOf(frame))) << position;
    }
    EXPECT_EQ(m_panelTemplate.get(), displays[0]->GetDocTemplate());
    EXPECT_EQ(2, MdiChildCount(*m_main));
    Screenshot("workspace_displays_after_load");
}

TEST_F(DisplayWindows, ADisplayWhoseClassIsNotItsTemplatesStopsTheLoadWithoutLeavingAFrame)
{
    OpenTwoDisplays();
    Bytes bytes = Save();
    // The chart's record names the panel's template but still the chart's class.
    const std::string chartKey = "PyraxisTest.Chart";
    const auto key = std::search(bytes.begin(), bytes.end(), chartKey.begin(), chartKey.end());
    ASSERT_NE(bytes.end(), key);
    const std::string panelKey = "PyraxisTest.Panel";
    std::copy(panelKey.begin(), panelKey.end(), key);
    m_panel.reset();
    m_chart.reset();

    EXPECT_FALSE(Open(bytes));
    const auto boxes = Recorder().Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].text.find("contains an unexpected object")) << boxes[0].text;
    Recorder().Clear();

    // The computer and the panel read before stay; the refused document and its frame go.
    EXPECT_EQ(1u, m_manager->GetDevices().size());
    const DisplayList_t displays = m_manager->GetDisplays();
    ASSERT_EQ(1u, displays.size());
    EXPECT_STREQ("Roof panel", displays[0]->GetName());
    EXPECT_EQ(1, CTestPanelDoc::s_live);
    EXPECT_EQ(1, MdiChildCount(*m_main));
}

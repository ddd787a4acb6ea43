// Documents with views in frames made by a template: the view list, updates, frame
// titles, closing rules, command routing from the view to the application, and the
// tree, form and edit views.
#include <gtest/gtest.h>

#include "framework/CCmdUI.h"
#include "framework/CDocument.h"
#include "framework/CEditView.h"
#include "framework/CFormView.h"
#include "framework/CFrameWnd.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CTreeView.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/FrameworkIds.h"
#include "tests/framework_ui/DocViewTestResources.h"
#include "tests/support/MessageBoxRecorder.h"

#include <string>
#include <vector>

namespace {

const UINT ID_ROUTE_VIEW = 4401;
const UINT ID_ROUTE_DOC = 4402;
const UINT ID_ROUTE_FRAME = 4403;
const UINT ID_ROUTE_APP = 4404;
const UINT ID_ROUTE_SHARED = 4405;
const UINT ID_ROUTE_NOBODY = 4406;

std::vector<std::string> g_calls;
int g_documentsDestroyed = 0;
int g_viewsDestroyed = 0;

class CSketchDoc : public CDocument
{
    DECLARE_DYNCREATE(CSketchDoc)
public:
    ~CSketchDoc() override { ++g_documentsDestroyed; }

protected:
    afx_msg void OnRouteDoc() { g_calls.push_back("doc"); }
    afx_msg void OnRouteShared() { g_calls.push_back("doc shared"); }
    afx_msg void OnUpdateRouteDoc(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSketchDoc, CDocument)
BEGIN_MESSAGE_MAP(CSketchDoc, CDocument)
    ON_COMMAND(ID_ROUTE_DOC, OnRouteDoc)
    ON_COMMAND(ID_ROUTE_SHARED, OnRouteShared)
    ON_UPDATE_COMMAND_UI(ID_ROUTE_DOC, OnUpdateRouteDoc)
END_MESSAGE_MAP()

class CSketchView : public CView
{
    DECLARE_DYNCREATE(CSketchView)
public:
    ~CSketchView() override { ++g_viewsDestroyed; }

    struct Update
    {
        CView* sender;
        LPARAM hint;
    };
    std::vector<Update> m_updates;
    int m_initialUpdates = 0;

    void OnInitialUpdate() override
    {
        ++m_initialUpdates;
        CView::OnInitialUpdate();
    }

protected:
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override
    {
        m_updates.push_back({ pSender, lHint });
        CView::OnUpdate(pSender, lHint, pHint);
    }
    afx_msg void OnRouteView() { g_calls.push_back("view"); }
    afx_msg void OnUpdateRouteView(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSketchView, CView)
BEGIN_MESSAGE_MAP(CSketchView, CView)
    ON_COMMAND(ID_ROUTE_VIEW, OnRouteView)
    ON_UPDATE_COMMAND_UI(ID_ROUTE_VIEW, OnUpdateRouteView)
END_MESSAGE_MAP()

class CSketchFrame : public CFrameWnd
{
    DECLARE_DYNCREATE(CSketchFrame)
protected:
    afx_msg void OnRouteFrame() { g_calls.push_back("frame"); }
    afx_msg void OnRouteShared() { g_calls.push_back("frame shared"); }
    afx_msg void OnUpdateRouteFrame(CCmdUI* pCmdUI) { pCmdUI->SetText("From frame"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSketchFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CSketchFrame, CFrameWnd)
    ON_COMMAND(ID_ROUTE_FRAME, OnRouteFrame)
    ON_COMMAND(ID_ROUTE_SHARED, OnRouteShared)
    ON_UPDATE_COMMAND_UI(ID_ROUTE_FRAME, OnUpdateRouteFrame)
END_MESSAGE_MAP()

class CSketchApp : public CWinApp
{
public:
    CSketchApp() : CWinApp("DocViewTestApp") {}

protected:
    afx_msg void OnRouteApp() { g_calls.push_back("app"); }
    afx_msg void OnUpdateRouteApp(CCmdUI* pCmdUI) { pCmdUI->SetRadio(TRUE); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSketchApp, CWinApp)
    ON_COMMAND(ID_ROUTE_APP, OnRouteApp)
    ON_UPDATE_COMMAND_UI(ID_ROUTE_APP, OnUpdateRouteApp)
END_MESSAGE_MAP()

// Records what the handlers asked for instead of changing a menu.
class CRecordingCmdUI : public CCmdUI
{
public:
    explicit CRecordingCmdUI(UINT nID) { m_nID = nID; }
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        calls.push_back(bOn ? "enable" : "disable");
    }
    void SetCheck(int nCheck) override { calls.push_back("check " + std::to_string(nCheck)); }
    void SetRadio(BOOL bOn) override { calls.push_back(bOn ? "radio on" : "radio off"); }
    void SetText(LPCTSTR lpszText) override { calls.push_back(std::string("text ") + lpszText); }
    std::vector<std::string> calls;
};

class CSketchTreeView : public CTreeView
{
    DECLARE_DYNCREATE(CSketchTreeView)
public:
    void OnInitialUpdate() override
    {
        CTreeView::OnInitialUpdate();
        GetTreeCtrl().InsertItem("root");
    }
};
IMPLEMENT_DYNCREATE(CSketchTreeView, CTreeView)

class CSketchFormView : public CFormView
{
    DECLARE_DYNCREATE(CSketchFormView)
public:
    CSketchFormView() : CFormView(IDD_SKETCH_FORM) {}
};
IMPLEMENT_DYNCREATE(CSketchFormView, CFormView)

std::string WindowText(CWnd* pWnd)
{
    CString text;
    pWnd->GetWindowText(text);
    return static_cast<LPCTSTR>(text);
}

CSketchView* FirstView(CDocument* pDoc)
{
    POSITION pos = pDoc->GetFirstViewPosition();
    return pos != nullptr ? dynamic_cast<CSketchView*>(pDoc->GetNextView(pos)) : nullptr;
}

int ViewCount(CDocument* pDoc)
{
    int count = 0;
    for (POSITION pos = pDoc->GetFirstViewPosition(); pos != nullptr && count < 100; ++count)
        pDoc->GetNextView(pos);
    return count;
}

class DocViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_documentsDestroyed = 0;
        g_viewsDestroyed = 0;
        testing_support::MessageBoxRecorder::Instance().Clear();
    }
    void TearDown() override
    {
        m_template.CloseAllDocuments(FALSE);
        testing_support::MessageBoxRecorder::Instance().Clear();
    }

    CSketchApp m_app;
    CMultiDocTemplate m_template{ IDR_SKETCH_TEMPLATE, RUNTIME_CLASS(CSketchDoc), RUNTIME_CLASS(CSketchFrame),
                                  RUNTIME_CLASS(CSketchView) };
};

TEST_F(DocViewTest, TemplateMakesADocumentWithAHiddenFrameAndItsView)
{
    CDocument* doc = m_template.OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(nullptr, doc);
    CSketchView* view = FirstView(doc);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(1, ViewCount(doc));
    EXPECT_EQ(doc, view->GetDocument());
    EXPECT_EQ(static_cast<int>(AFX_IDW_PANE_FIRST), view->GetDlgCtrlID());

    CFrameWnd* frame = view->GetParentFrame();
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(frame->IsKindOf(RUNTIME_CLASS(CSketchFrame)));
    EXPECT_FALSE(frame->IsWindowVisible());
    EXPECT_EQ(view, frame->GetActiveView());
    EXPECT_EQ(doc, frame->GetActiveDocument());
    EXPECT_EQ("Sketch1", WindowText(frame));
    // A hidden frame leaves the first update to whoever shows it.
    EXPECT_EQ(0, view->m_initialUpdates);

    const HWND frameWindow = frame->GetSafeHwnd();
    doc->OnCloseDocument();
    EXPECT_FALSE(::IsWindow(frameWindow));
    EXPECT_EQ(1, g_documentsDestroyed);
    EXPECT_EQ(1, g_viewsDestroyed);
}

TEST_F(DocViewTest, VisibleFrameRunsTheFirstUpdateOnce)
{
    CDocument* doc = m_template.OpenDocumentFile(nullptr, TRUE);
    ASSERT_NE(nullptr, doc);
    CSketchView* view = FirstView(doc);
    ASSERT_NE(nullptr, view);
    EXPECT_TRUE(view->GetParentFrame()->IsWindowVisible());
    EXPECT_EQ(1, view->m_initialUpdates);
    ASSERT_EQ(1u, view->m_updates.size());
    EXPECT_EQ(nullptr, view->m_updates[0].sender);
}

TEST_F(DocViewTest, SecondFrameNumbersTheTitlesAndGetsTheUpdates)
{
    CDocument* doc = m_template.OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(nullptr, doc);
    CSketchView* first = FirstView(doc);
    ASSERT_NE(nullptr, first);
    CFrameWnd* firstFrame = first->GetParentFrame();
    CFrameWnd* secondFrame = m_template.CreateNewFrame(doc, firstFrame);
    ASSERT_NE(nullptr, secondFrame);
    m_template.InitialUpdateFrame(secondFrame, doc, FALSE);
    ASSERT_EQ(2, ViewCount(doc));
    auto* second = dynamic_cast<CSketchView*>(secondFrame->GetActiveView());
    ASSERT_NE(nullptr, second);
    EXPECT_EQ("Sketch1:1", WindowText(firstFrame));
    EXPECT_EQ("Sketch1:2", WindowText(secondFrame));

    first->m_updates.clear();
    doc->UpdateAllViews(first, 7);
    EXPECT_TRUE(first->m_updates.empty());
    ASSERT_EQ(1u, second->m_updates.size());
    EXPECT_EQ(first, second->m_updates[0].sender);
    EXPECT_EQ(7, second->m_updates[0].hint);

    // Closing one of two frames keeps the document, even when it is modified.
    doc->SetModifiedFlag();
    secondFrame->SendMessage(WM_CLOSE);
    EXPECT_EQ(0u, testing_support::MessageBoxRecorder::Instance().Count());
    EXPECT_EQ(0, g_documentsDestroyed);
    EXPECT_EQ(1, ViewCount(doc));
    EXPECT_EQ("Sketch1", WindowText(firstFrame));

    // The last frame asks; No closes the document with it.
    testing_support::MessageBoxRecorder::Instance().QueueAnswer(IDNO);
    firstFrame->SendMessage(WM_CLOSE);
    EXPECT_EQ(1u, testing_support::MessageBoxRecorder::Instance().Count());
    EXPECT_EQ(1, g_documentsDestroyed);
    EXPECT_EQ(2, g_viewsDestroyed);
}

TEST_F(DocViewTest, LastViewGoingClosesOnlyAnAutoDeleteDocument)
{
    CDocument* autoDoc = m_template.OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(nullptr, autoDoc);
    FirstView(autoDoc)->GetParentFrame()->DestroyWindow();
    EXPECT_EQ(1, g_documentsDestroyed);

    CDocument* keptDoc = m_template.OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(nullptr, keptDoc);
    keptDoc->m_bAutoDelete = FALSE;
    FirstView(keptDoc)->GetParentFrame()->DestroyWindow();
    EXPECT_EQ(1, g_documentsDestroyed);
    EXPECT_EQ(2, g_viewsDestroyed);
    EXPECT_EQ(0, ViewCount(keptDoc));
    delete keptDoc;
    EXPECT_EQ(2, g_documentsDestroyed);
}

TEST_F(DocViewTest, MouseActivationMakesTheViewActiveAndRoutesToIt)
{
    CDocument* doc = m_template.OpenDocumentFile(nullptr, TRUE);
    ASSERT_NE(nullptr, doc);
    CSketchView* first = FirstView(doc);
    ASSERT_NE(nullptr, first);
    CFrameWnd* frame = first->GetParentFrame();
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    context.m_pNewViewClass = RUNTIME_CLASS(CSketchView);
    auto* second = dynamic_cast<CSketchView*>(frame->CreateView(&context, AFX_IDW_PANE_FIRST + 1));
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(2, ViewCount(doc));
    EXPECT_EQ(first, frame->GetActiveView());

    second->SendMessage(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame->GetSafeHwnd()),
                        MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(second, frame->GetActiveView());
    EXPECT_EQ(second->GetSafeHwnd(), ::GetFocus());

    // The second view's window going leaves the frame without a dangling active view.
    second->DestroyWindow();
    EXPECT_EQ(nullptr, frame->GetActiveView());
    EXPECT_EQ(1, ViewCount(doc));
    EXPECT_EQ(1, g_viewsDestroyed);
}

TEST_F(DocViewTest, CommandsRouteFromViewToDocumentToFrameToApplication)
{
    CDocument* doc = m_template.OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(nullptr, doc);
    CFrameWnd* frame = FirstView(doc)->GetParentFrame();

    for (UINT id : { ID_ROUTE_VIEW, ID_ROUTE_DOC, ID_ROUTE_FRAME, ID_ROUTE_APP, ID_ROUTE_SHARED })
        EXPECT_TRUE(frame->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr)) << id;
    EXPECT_FALSE(frame->OnCmdMsg(ID_ROUTE_NOBODY, CN_COMMAND, nullptr, nullptr));
    // The document comes before the frame for a command both handle.
    EXPECT_EQ((std::vector<std::string>{ "view", "doc", "frame", "app", "doc shared" }), g_calls);

    // A menu item sent as WM_COMMAND to the frame takes the same road.
    g_calls.clear();
    frame->SendMessage(WM_COMMAND, ID_ROUTE_APP);
    EXPECT_EQ(std::vector<std::string>{ "app" }, g_calls);

    const std::vector<std::pair<UINT, std::vector<std::string>>> expectedUpdates = {
        { ID_ROUTE_VIEW, { "disable" } },
        { ID_ROUTE_DOC, { "check 1", "enable" } },
        { ID_ROUTE_FRAME, { "text From frame", "enable" } },
        { ID_ROUTE_APP, { "radio on", "enable" } },
        { ID_ROUTE_SHARED, { "enable" } },
        { ID_ROUTE_NOBODY, { "disable" } },
    };
    for (const auto& expected : expectedUpdates)
    {
        CRecordingCmdUI ui(expected.first);
        ui.DoUpdate(frame, TRUE);
        EXPECT_EQ(expected.second, ui.calls) << expected.first;
    }
}

TEST_F(DocViewTest, TreeViewGetsItsFirstUpdateWhenTheFrameShows)
{
    CMultiDocTemplate treeTemplate(IDR_SKETCH_TEMPLATE, RUNTIME_CLASS(CSketchDoc), RUNTIME_CLASS(CSketchFrame),
                                   RUNTIME_CLASS(CSketchTreeView));
    CDocument* doc = treeTemplate.OpenDocumentFile(nullptr, TRUE);
    ASSERT_NE(nullptr, doc);
    POSITION pos = doc->GetFirstViewPosition();
    ASSERT_NE(nullptr, pos);
    auto* view = dynamic_cast<CTreeView*>(doc->GetNextView(pos));
    ASSERT_NE(nullptr, view);
    char className[64] = "";
    ::GetClassNameA(view->GetSafeHwnd(), className, sizeof className);
    EXPECT_STREQ(WC_TREEVIEWA, className);
    EXPECT_EQ(1u, view->GetTreeCtrl().GetCount());
    EXPECT_EQ(view->GetSafeHwnd(), view->GetTreeCtrl().GetSafeHwnd());
    treeTemplate.CloseAllDocuments(FALSE);
    EXPECT_EQ(1, g_documentsDestroyed);
}

TEST_F(DocViewTest, EditViewIsAnEditControl)
{
    CMultiDocTemplate editTemplate(IDR_SKETCH_TEMPLATE, RUNTIME_CLASS(CSketchDoc), RUNTIME_CLASS(CSketchFrame),
                                   RUNTIME_CLASS(CEditView));
    CDocument* doc = editTemplate.OpenDocumentFile(nullptr, FALSE);
    ASSERT_NE(nullptr, doc);
    POSITION pos = doc->GetFirstViewPosition();
    auto* view = dynamic_cast<CEditView*>(doc->GetNextView(pos));
    ASSERT_NE(nullptr, view);
    view->GetEditCtrl().SetWindowText("line one");
    EXPECT_EQ("line one", WindowText(view));
    EXPECT_NE(0u, view->GetStyle() & ES_MULTILINE);
    editTemplate.CloseAllDocuments(FALSE);
}

TEST_F(DocViewTest, FormViewIsAChildDialogThatScrollsAndFitsItsFrame)
{
    CMultiDocTemplate formTemplate(IDR_SKETCH_TEMPLATE, RUNTIME_CLASS(CSketchDoc), RUNTIME_CLASS(CSketchFrame),
                                   RUNTIME_CLASS(CSketchFormView));
    CDocument* doc = formTemplate.OpenDocumentFile(nullptr, TRUE);
    ASSERT_NE(nullptr, doc);
    POSITION pos = doc->GetFirstViewPosition();
    auto* form = dynamic_cast<CSketchFormView*>(doc->GetNextView(pos));
    ASSERT_NE(nullptr, form);
    CFrameWnd* frame = form->GetParentFrame();
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(form, frame->GetActiveView());
    EXPECT_NE(0u, form->GetStyle() & WS_CHILD);
    EXPECT_EQ(0u, form->GetStyle() & (WS_POPUP | WS_CAPTION));
    EXPECT_EQ(static_cast<int>(AFX_IDW_PANE_FIRST), form->GetDlgCtrlID());
    ASSERT_NE(nullptr, form->GetDlgItem(IDC_SKETCH_NAME));
    ASSERT_NE(nullptr, form->GetDlgItem(IDC_SKETCH_APPLY));

    // Too small a frame: the form scrolls.
    frame->SetWindowPos(nullptr, 0, 0, 120, 100, SWP_NOMOVE | SWP_NOZORDER);
    frame->RecalcLayout();
    EXPECT_NE(0u, form->GetStyle() & WS_VSCROLL);
    form->ScrollToPosition(CPoint(0, 20));
    EXPECT_EQ(20, form->GetScrollPosition().y);

    // Fitted: the whole form shows, without scroll bars.
    form->ResizeParentToFit(FALSE);
    frame->RecalcLayout();
    CRect client;
    form->GetClientRect(&client);
    CRect edit;
    form->GetDlgItem(IDC_SKETCH_NAME)->GetWindowRect(&edit);
    form->ScreenToClient(&edit);
    EXPECT_EQ(0u, form->GetStyle() & (WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(0, form->GetScrollPosition().y);
    EXPECT_GE(edit.top, 0);
    EXPECT_LE(edit.right, client.right);
    formTemplate.CloseAllDocuments(FALSE);
    EXPECT_EQ(1, g_documentsDestroyed);
}

}  // namespace

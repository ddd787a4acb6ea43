// The view bases of the displays in real MDI frames: documents made by the display
// templates know their manager before they are initialised, the views offer drops to
// their display document only, pass their context menu to it and title their frame; the
// workspace frame never shows; setup dialogs show the icon they are given.
#include <gtest/gtest.h>

#include "displays/CDocumentDisplay.h"
#include "documents/CDocumentManager.h"
#include "documents/CStorage.h"
#include "framework/CDocument.h"
#include "framework/CEditView.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/CWinApp.h"
#include "shell/CChildWndInvisible.h"
#include "shell/CDialogMainWindow.h"
#include "shell/CFormViewEx.h"
#include "shell/CMultiDocTemplateEx.h"
#include "shell/CTreeViewEx.h"
#include "shell/CViewEx.h"
#include "tests/shell_ui/ShellTestResources.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PendingMessages.h"
#include "tests/support/Screenshot.h"

#include <boost/make_shared.hpp>

#include <stdexcept>

namespace
{
// A display that takes device variables only, and tells what its views passed on.
class CDropTestDisplay : public CDocumentDisplay
{
    DECLARE_DYNCREATE(CDropTestDisplay)
public:
    bool AcceptsDevice() override { return false; }

    BOOL OnNewDocument() override
    {
        s_managerAtNew = GetDocumentManager();
        return CDocumentDisplay::OnNewDocument();
    }

    void TrackContextMenu(CWnd* parent, int x, int y) override
    {
        ++m_menus;
        m_menuWindow = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
        m_menuPoint = CPoint(x, y);
    }

    int m_menus = 0;
    HWND m_menuWindow = nullptr;
    CPoint m_menuPoint;
    static CDocumentManager* s_managerAtNew;
};
CDocumentManager* CDropTestDisplay::s_managerAtNew = nullptr;
IMPLEMENT_DYNCREATE(CDropTestDisplay, CDocumentDisplay)

class CDropTestFormView : public CFormViewEx
{
    DECLARE_DYNCREATE(CDropTestFormView)
public:
    CDropTestFormView() : CFormViewEx(IDD_SHELL_TEST_FORM) {}
};
IMPLEMENT_DYNCREATE(CDropTestFormView, CFormViewEx)

// A document that is no display: the views must refuse drops for it.
class CPlainTestDocument : public CDocument
{
    DECLARE_DYNCREATE(CPlainTestDocument)
};
IMPLEMENT_DYNCREATE(CPlainTestDocument, CDocument)

// A tree whose documents are known by id alone; one of them fails when its variables are asked for.
class CFailingTree : public CTreeViewEx
{
public:
    int m_failingId = -1;

protected:
    int DocumentNodeImage(const CTreeItem&) override { return 1; }
    CDocumentEx* FindNodeDocument(const CTreeItem& item) override
    {
        if (item.GetDocumentId() == m_failingId)
            throw std::runtime_error("the document went away");
        return nullptr;
    }
};

CTreeItemPtr DocumentNode(int documentId, const char* name)
{
    return boost::make_shared<CTreeItem>(name, "", PLOT_ID_NONE, PLOT_ID_NONE, documentId, "");
}

CTreeItem DeviceVariable(int deviceId, int variableId, const char* name)
{
    return CTreeItem(name, "V", STORAGE_TYPE_SIMPLE_VALUE, variableId, deviceId, name);
}

template <class View>
View* FirstViewOf(CDocument* document)
{
    POSITION position = document->GetFirstViewPosition();
    return position != nullptr ? dynamic_cast<View*>(document->GetNextView(position)) : nullptr;
}

std::string CaptionOf(CWnd* window)
{
    char text[256] = {};
    ::GetWindowTextA(window->GetSafeHwnd(), text, sizeof text);
    return text;
}

class ViewBases : public testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::MessageBoxRecorder::Instance().Clear();
        m_manager.reset(new CDocumentManager);
        CDocumentManager::SetApplicationManager(m_manager.get());
        m_main = new CMDIFrameWnd;
        ASSERT_TRUE(m_main->LoadFrame(IDR_SHELL_TEST_MAIN));
        m_mainHandle = m_main->GetSafeHwnd();
        m_app.m_pMainWnd = m_main;
        m_main->SetWindowPos(nullptr, 30, 30, 700, 480, SWP_NOZORDER);
        m_main->ShowWindow(SW_SHOW);
    }

    void TearDown() override
    {
        m_manager->CloseAll();
        CDocumentManager::SetApplicationManager(nullptr);
        if (::IsWindow(m_mainHandle))
            ::DestroyWindow(m_mainHandle);
        testing_support::DispatchPendingMessages();
        m_app.m_pMainWnd = nullptr;
        m_manager.reset();
    }

    CDocumentDisplayPtr Open(const CDocTemplatePtr& docTemplate)
    {
        CDocumentDisplay* display = dynamic_cast<CDocumentDisplay*>(docTemplate->OpenDocumentFile(nullptr, TRUE));
        EXPECT_NE(nullptr, display);
        CDocumentDisplayPtr shared(display);
        if (display != nullptr) {
            EXPECT_GT(m_manager->AddDisplay(shared), 0);
        }
        return shared;
    }

    CWinApp m_app{"ViewBasesTest"};
    CDocumentManagerPtr m_manager;
    CMDIFrameWnd* m_main = nullptr;
    HWND m_mainHandle = nullptr;
};
} // namespace

TEST_F(ViewBases, BothViewBasesOfferDropsToTheirDisplayWhichDecidesAlone)
{
    const CDocTemplatePtr viewTemplate(new CMultiDocTemplateEx(m_manager.get(), IDR_SHELL_TEST_DISPLAY,
                                                               RUNTIME_CLASS(CDropTestDisplay),
                                                               RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CViewEx)));
    const CDocTemplatePtr formTemplate(new CMultiDocTemplateEx(m_manager.get(), IDR_SHELL_TEST_FORM,
                                                               RUNTIME_CLASS(CDropTestDisplay),
                                                               RUNTIME_CLASS(CMDIChildWnd),
                                                               RUNTIME_CLASS(CDropTestFormView)));
    m_manager->AddDocTemplate(viewTemplate);
    m_manager->AddDocTemplate(formTemplate);

    CDropTestDisplay::s_managerAtNew = nullptr;
    const CDocumentDisplayPtr plain = Open(viewTemplate);
    ASSERT_TRUE(plain);
    // The manager was known before the document's own new step ran.
    EXPECT_EQ(m_manager.get(), CDropTestDisplay::s_managerAtNew);
    EXPECT_EQ(m_manager.get(), plain->GetDocumentManager());
    CDropTestDisplay::s_managerAtNew = nullptr;
    const CDocumentDisplayPtr form = Open(formTemplate);
    ASSERT_TRUE(form);
    EXPECT_EQ(m_manager.get(), CDropTestDisplay::s_managerAtNew);

    CViewEx* view = FirstViewOf<CViewEx>(plain.get());
    CFormViewEx* formView = FirstViewOf<CFormViewEx>(form.get());
    ASSERT_NE(nullptr, view);
    ASSERT_NE(nullptr, formView);
    // The frames carry their document's title.
    EXPECT_EQ(plain->GetTitle().GetString(), CaptionOf(view->GetParentFrame()));
    EXPECT_EQ(form->GetTitle().GetString(), CaptionOf(formView->GetParentFrame()));

    // Reached through the framework view as the trees reach them.
    pyraxis::IDropTarget* targets[] = {dynamic_cast<pyraxis::IDropTarget*>(static_cast<CView*>(view)),
                                       dynamic_cast<pyraxis::IDropTarget*>(static_cast<CView*>(formView))};
    CDocumentDisplay* displays[] = {plain.get(), form.get()};
    for (int which = 0; which < 2; ++which) {
        SCOPED_TRACE(which == 0 ? "CViewEx" : "CFormViewEx");
        pyraxis::IDropTarget* target = targets[which];
        ASSERT_NE(nullptr, target);
        const CTreeItem variable = DeviceVariable(1, 10, "Battery Voltage");
        const CTreeItem wholeDevice("Varnix", "", PLOT_ID_NONE, PLOT_ID_NONE, 1, "");

        EXPECT_FALSE(target->CanDrop(nullptr));
        target->Drop(nullptr);
        EXPECT_TRUE(target->CanDrop(&variable));
        // This display takes no whole devices: a direct Drop changes nothing either.
        EXPECT_FALSE(target->CanDrop(&wholeDevice));
        target->Drop(&wholeDevice);
        EXPECT_EQ(0u, displays[which]->GetEntryCount());

        target->Drop(&variable);
        ASSERT_EQ(1u, displays[which]->GetEntryCount());
        EXPECT_STREQ("Battery Voltage", displays[which]->GetEntry(0).item->GetName());
        // The display refuses a duplicate, and the view adds no rule of its own.
        EXPECT_FALSE(target->CanDrop(&variable));
        target->Drop(&variable);
        EXPECT_EQ(1u, displays[which]->GetEntryCount());
    }

    // The context menu is the display's, at the message's screen point.
    auto* display = static_cast<CDropTestDisplay*>(plain.get());
    view->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->GetSafeHwnd()), MAKELPARAM(120, 90));
    EXPECT_EQ(1, display->m_menus);
    EXPECT_EQ(view->GetSafeHwnd(), display->m_menuWindow);
    EXPECT_EQ(CPoint(120, 90), display->m_menuPoint);
    auto* formDisplay = static_cast<CDropTestDisplay*>(form.get());
    formView->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(formView->GetSafeHwnd()), MAKELPARAM(5, 6));
    EXPECT_EQ(1, formDisplay->m_menus);

    m_main->MDITile(MDITILE_VERTICAL);
    testing_support::DispatchPendingMessages();
    ::RedrawWindow(m_mainHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    EXPECT_FALSE(testing_support::Screenshot::OfWindow(m_mainHandle).Save("shell_view_bases").empty());
}

TEST_F(ViewBases, ViewsOfADocumentThatIsNoDisplayRefuseEveryDrop)
{
    CMultiDocTemplate plainTemplate(IDR_SHELL_TEST_DISPLAY, RUNTIME_CLASS(CPlainTestDocument),
                                    RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CViewEx));
    CDocument* document = plainTemplate.OpenDocumentFile(nullptr, TRUE);
    ASSERT_NE(nullptr, document);
    CViewEx* view = FirstViewOf<CViewEx>(document);
    ASSERT_NE(nullptr, view);
    const CTreeItem variable = DeviceVariable(1, 10, "Battery Voltage");
    EXPECT_FALSE(view->CanDrop(&variable));
    view->Drop(&variable);   // nothing to add it to, and no crash
    // Without a display the context menu does nothing.
    view->SendMessage(WM_CONTEXTMENU, 0, MAKELPARAM(1, 1));
    document->OnCloseDocument();
}

TEST_F(ViewBases, TheWorkspaceFrameStaysHiddenWhateverTheShowCommand)
{
    CMultiDocTemplate workspaceTemplate(IDR_SHELL_TEST_WORKSPACE, RUNTIME_CLASS(CPlainTestDocument),
                                        RUNTIME_CLASS(CChildWndInvisible), RUNTIME_CLASS(CEditView));
    CDocument* document = workspaceTemplate.OpenDocumentFile(nullptr, TRUE);
    ASSERT_NE(nullptr, document);
    CView* view = FirstViewOf<CView>(document);
    ASSERT_NE(nullptr, view);
    CFrameWnd* frame = view->GetParentFrame();
    ASSERT_NE(nullptr, dynamic_cast<CChildWndInvisible*>(frame));
    EXPECT_FALSE(::IsWindowVisible(frame->GetSafeHwnd()));
    for (int show : {SW_SHOW, SW_SHOWNORMAL, SW_SHOWMAXIMIZED, SW_RESTORE, -1}) {
        frame->ActivateFrame(show);
        EXPECT_FALSE(::IsWindowVisible(frame->GetSafeHwnd())) << "show command " << show;
    }
    document->OnCloseDocument();
}

TEST_F(ViewBases, SetupDialogBaseShowsTheIconItIsGivenAndKeepsTheDefaultsWithout)
{
    const HICON icon = ::LoadIcon(nullptr, IDI_ASTERISK);
    CDialogMainWindow withIcon(IDD_SHELL_TEST_EXCHANGE, nullptr, icon);
    ASSERT_TRUE(withIcon.Create(IDD_SHELL_TEST_EXCHANGE));
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), withIcon.SendMessage(WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), withIcon.SendMessage(WM_GETICON, ICON_SMALL, 0));
    withIcon.DestroyWindow();

    CDialogMainWindow without(IDD_SHELL_TEST_EXCHANGE, nullptr, nullptr);
    ASSERT_TRUE(without.Create(IDD_SHELL_TEST_EXCHANGE));
    EXPECT_EQ(0, without.SendMessage(WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(0, without.SendMessage(WM_GETICON, ICON_SMALL, 0));
    without.DestroyWindow();
}

TEST_F(ViewBases, ATreePassThatThrowsLeavesTheTreeDrawn)
{
    // Drawing is held while a pass changes the tree: a pass that fails half-way must give it
    // back, or the tree stays invisible for good.
    CFailingTree* tree = new CFailingTree;
    ASSERT_TRUE(tree->Create(nullptr, "Tree", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 200), m_main, 0xE900));
    const HWND control = tree->GetTreeCtrl().GetSafeHwnd();
    CTreeItemList items{DocumentNode(1, "Device 1")};
    EXPECT_TRUE(tree->SyncChildren(TVI_ROOT, items));
    ASSERT_NE(0, ::GetWindowLongPtr(control, GWL_STYLE) & WS_VISIBLE);
    tree->m_failingId = 2;
    items.push_back(DocumentNode(2, "Device 2"));
    EXPECT_THROW(tree->SyncChildren(TVI_ROOT, items), std::runtime_error);
    EXPECT_NE(0, ::GetWindowLongPtr(control, GWL_STYLE) & WS_VISIBLE) << "drawing stayed off";
    // And the next pass works as ever.
    tree->m_failingId = -1;
    items.push_back(DocumentNode(3, "Device 3"));
    EXPECT_TRUE(tree->SyncChildren(TVI_ROOT, items));
    EXPECT_EQ(3u, tree->GetTreeCtrl().GetCount());
    tree->DestroyWindow();
}

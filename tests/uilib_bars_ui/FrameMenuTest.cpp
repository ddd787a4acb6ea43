// The docking MDI frame's owner-drawn menus in a hidden frame: menus made from a
// resource and kept by the frame, the default and template menus that InitializeMenu
// puts in place (the default only once), and the menu messages that reach owner-drawn
// items through the frame; its window class with an icon of its own.
#include "tests/uilib_bars_ui/BarsFixture.h"

#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CView.h"
#include "tests/uilib_bars_ui/BarsTestResources.h"
#include "uilib/CBNDockBar.h"
#include "uilib/CBNMenu.h"

#include <string>

namespace {

class FrameMenuTest : public BarsFixture
{
protected:
    void SetUp() override
    {
        BarsFixture::SetUp();
        ASSERT_NE(CreateFrame(), nullptr);
    }

    // The record of the item at a position of a popup of the frame's menu.
    static ULONG_PTR ItemData(HMENU hPopup, UINT nPosition, UINT* pID = nullptr)
    {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA | MIIM_ID | MIIM_FTYPE;
        ::GetMenuItemInfoA(hPopup, nPosition, TRUE, &info);
        if (pID != nullptr)
            *pID = info.wID;
        return (info.fType & MFT_OWNERDRAW) ? info.dwItemData : 0;
    }
};

TEST_F(FrameMenuTest, MenusMadeByTheFrameAreOwnerDrawnAndKeptByIt)
{
    EXPECT_EQ(frame->GetMenuCount(), 0);
    EXPECT_FALSE(frame->InitializeMenu(static_cast<HMENU*>(nullptr), BarsTestFrame::kFrameID, 0u));
    EXPECT_EQ(frame->GetMenuCount(), 0);

    HMENU hMenu = nullptr;
    ASSERT_TRUE(frame->InitializeMenu(&hMenu, BarsTestFrame::kFrameID, 0u));
    ASSERT_TRUE(::IsMenu(hMenu));
    EXPECT_EQ(frame->GetMenuCount(), 1);
    // The top level stays plain text; its popups are owner-drawn.
    EXPECT_EQ(::GetMenuItemCount(hMenu), 3);
    HMENU hDevices = ::GetSubMenu(hMenu, 1);
    EXPECT_TRUE(CBNMenu::IsMenu(hDevices));
    UINT nID = 0;
    EXPECT_NE(ItemData(hDevices, 0, &nID), 0u);
    EXPECT_EQ(nID, static_cast<UINT>(ID_TEST_CONTEXT_FIRST));
    ::DestroyMenu(hMenu);

    EXPECT_EQ(frame->NewMenu(999, 0u), nullptr);
    EXPECT_EQ(frame->GetMenuCount(), 1);
}

TEST_F(FrameMenuTest, OnlyTheFirstTemplateMenuReplacesTheFramesDefaultMenu)
{
    CMultiDocTemplate first(BarsTestFrame::kFrameID, RUNTIME_CLASS(CDocument), RUNTIME_CLASS(CMDIChildWnd),
                            RUNTIME_CLASS(CView));
    CMultiDocTemplate second(BarsTestFrame::kFrameID, RUNTIME_CLASS(CDocument), RUNTIME_CLASS(CMDIChildWnd),
                             RUNTIME_CLASS(CView));
    first.LoadTemplate();
    second.LoadTemplate();
    const HMENU hLoaded = frame->m_hMenuDefault;
    ASSERT_TRUE(frame->InitializeMenu(&first, BarsTestFrame::kFrameID, 0u, BarsTestFrame::kFrameID));
    const HMENU hDefault = frame->m_hMenuDefault;
    EXPECT_NE(hDefault, hLoaded);
    EXPECT_EQ(::GetMenu(frame->m_hWnd), hDefault);
    EXPECT_TRUE(CBNMenu::IsMenu(::GetSubMenu(hDefault, 0)));
    // The menu the frame was loaded with is no longer anybody's.
    EXPECT_FALSE(::IsMenu(hLoaded));
    EXPECT_TRUE(CBNMenu::IsMenu(::GetSubMenu(first.m_hMenuShared, 1)));
    EXPECT_EQ(frame->GetMenuCount(), 2);

    ASSERT_TRUE(frame->InitializeMenu(&second, BarsTestFrame::kFrameID, 0u, BarsTestFrame::kFrameID));
    EXPECT_EQ(frame->m_hMenuDefault, hDefault);
    EXPECT_EQ(::GetMenu(frame->m_hWnd), hDefault);
    EXPECT_TRUE(CBNMenu::IsMenu(::GetSubMenu(second.m_hMenuShared, 1)));
    EXPECT_EQ(frame->GetMenuCount(), 3);
    // The templates' menus go with the templates, before the frame's records do.
    ::DestroyMenu(first.m_hMenuShared);
    ::DestroyMenu(second.m_hMenuShared);
    first.m_hMenuShared = second.m_hMenuShared = nullptr;
}

TEST_F(FrameMenuTest, TheFramePassesMenuMessagesToItsOwnerDrawnMenus)
{
    ASSERT_TRUE(frame->InitializeMenu(static_cast<CDocTemplate*>(nullptr), BarsTestFrame::kFrameID, 0u,
                                      BarsTestFrame::kFrameID));
    HMENU hFile = ::GetSubMenu(::GetMenu(frame->m_hWnd), 0);
    ASSERT_TRUE(CBNMenu::IsMenu(hFile));
    UINT nID = 0;
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = ItemData(hFile, 0, &nID);
    measure.itemID = nID;
    ASSERT_NE(measure.itemData, 0u);
    frame->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_GT(measure.itemWidth, 20u);
    EXPECT_GE(measure.itemHeight, static_cast<UINT>(::GetSystemMetrics(SM_CYMENU)));

    // "E&xit": x is its mnemonic, in either case.
    const LRESULT nAnswer = frame->SendMessage(WM_MENUCHAR, MAKEWPARAM('X', MF_POPUP), reinterpret_cast<LPARAM>(hFile));
    EXPECT_EQ(HIWORD(nAnswer), MNC_EXECUTE);
    EXPECT_EQ(LOWORD(nAnswer), 0);
    EXPECT_EQ(frame->SendMessage(WM_MENUCHAR, MAKEWPARAM('q', MF_POPUP), reinterpret_cast<LPARAM>(hFile)), 0);
}

TEST_F(FrameMenuTest, TheFramesWindowClassCarriesTheIconItIsGiven)
{
    CREATESTRUCT cs = {};
    ASSERT_TRUE(frame->PreCreateWindow(cs, IDI_BARS_TEST));
    ASSERT_NE(cs.lpszClass, nullptr);
    WNDCLASSA info = {};
    ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), cs.lpszClass, &info));
    EXPECT_NE(info.hIcon, nullptr);
    EXPECT_EQ(info.hCursor, nullptr);
    EXPECT_EQ(info.hbrBackground, nullptr);
    EXPECT_EQ(info.style, 0u);
    EXPECT_NE(cs.style & WS_CLIPCHILDREN, 0u);
}

} // namespace

namespace {

TEST_F(FrameMenuTest, TheFramesMenuBarShowsItsMenuAsButtonsOnTheToolbarSide)
{
    frame->EnableDocking(CBRS_ALIGN_ANY);
    CBNMenuBar& menuBar = frame->GetMenuBar();
    ASSERT_TRUE(menuBar.CreateEx(frame, 0, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER));
    ASSERT_TRUE(menuBar.LoadMenuA(BarsTestFrame::kFrameID));
    menuBar.EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(&menuBar, AFX_IDW_DOCKBAR_TOP);
    frame->RecalcLayout();

    // The buttons stand for the popups; the frame's own menu is gone.
    EXPECT_EQ(menuBar.GetButtonCount(), 3);
    EXPECT_EQ(::GetMenu(frame->m_hWnd), nullptr);
    CControlBar* pTop = frame->GetControlBar(AFX_IDW_DOCKBAR_TOP);
    ASSERT_NE(pTop, nullptr);
    EXPECT_EQ(menuBar.GetParent(), pTop);
    EXPECT_TRUE(pTop->IsKindOf(RUNTIME_CLASS(CBNDockBar)));
    // The client area and the edge bar's side lie below the menu bar.
    EXPECT_GE(ClientArea().top, RectIn(&menuBar, frame).bottom);
    EXPECT_GE(RectIn(Side(kLeftID), frame).top, RectIn(&menuBar, frame).bottom);
    EXPECT_TRUE(EdgeBar().IsLeftDocked());
}

} // namespace

namespace {

TEST_F(FrameMenuTest, ClosingTheFrameFirstTakesTheActivationFromTheBarsView)
{
    frame->SetActiveView(EdgeBar().GetView(0), TRUE);
    ASSERT_EQ(frame->GetActiveView(), EdgeBar().GetView(0));
    DevicesTestView::s_nDeactivations = 0;
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(hFrame));
    EXPECT_EQ(DevicesTestView::s_nDeactivations, 1);
}

} // namespace

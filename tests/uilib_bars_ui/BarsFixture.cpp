#include "tests/uilib_bars_ui/BarsFixture.h"
#include "framework/FrameworkIds.h"
#include "tests/support/PendingMessages.h"

namespace {
const char kRegistryKey[] = "PyraxisBarsTest";
const char kRegistryPath[] = "Software\\PyraxisBarsTest";
} // namespace

void BarsFixture::SetUp()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath);
    app.SetRegistryKey(kRegistryKey);
}

void BarsFixture::TearDown()
{
    DestroyFrame();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kRegistryPath);
}

BarsTestFrame* BarsFixture::CreateFrame(bool bVisible)
{
    frame = new BarsTestFrame;
    if (!frame->LoadFrame(BarsTestFrame::kFrameID, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
    {
        ADD_FAILURE() << "the test frame was not created";
        frame = nullptr;
        return nullptr;
    }
    hFrame = frame->m_hWnd;
    frame->SetWindowPos(nullptr, 40, 40, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    if (bVisible)
    {
        frame->ShowWindow(SW_SHOW);
        frame->UpdateWindow();
    }
    frame->RecalcLayout();
    testing_support::DispatchPendingMessages();
    return frame;
}

void BarsFixture::DestroyFrame()
{
    if (hFrame != nullptr && ::IsWindow(hFrame))
        frame->DestroyWindow();
    frame = nullptr;
    hFrame = nullptr;
    testing_support::DispatchPendingMessages();
}

CBNSizeDockBar* BarsFixture::Side(UINT nID) const
{
    CControlBar* pBar = frame->GetControlBar(nID);
    return pBar != nullptr && pBar->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)) ? static_cast<CBNSizeDockBar*>(pBar)
                                                                           : nullptr;
}

CRect BarsFixture::RectIn(const CWnd* pWnd, const CWnd* pReference)
{
    CRect rect;
    pWnd->GetWindowRect(&rect);
    pReference->ScreenToClient(&rect);
    return rect;
}

CSize BarsFixture::WindowSize(const CWnd* pWnd)
{
    CRect rect;
    pWnd->GetWindowRect(&rect);
    return rect.Size();
}

CRect BarsFixture::ClientArea() const
{
    CRect rect;
    ::GetWindowRect(frame->m_hWndMDIClient, &rect);
    frame->ScreenToClient(&rect);
    return rect;
}

void BarsFixture::IdleUpdate()
{
    frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
}

int BarsFixture::ProfileInt(const std::string& section, const char* entry)
{
    return static_cast<int>(app.GetProfileInt(section.c_str(), entry, -1));
}

std::string BarsFixture::EdgeBarSection()
{
    for (int i = 0; i < 64; i++)
    {
        const std::string section = "Bar State-Bar" + std::to_string(i);
        const int nID = ProfileInt(section, "BarID");
        if (nID == -1)
            break;
        if (static_cast<UINT>(nID) == BarsTestFrame::kEdgeBarID)
            return section;
    }
    return "";
}

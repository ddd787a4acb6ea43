// The frame the bar tests build: created hidden at a fixed size with its own profile in
// the registry, and taken down again with the profile.
#pragma once
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "tests/uilib_bars_ui/BarsTestFrame.h"
#include "uilib/CBNSizeDockBar.h"

#include <string>

class BarsFixture : public ::testing::Test
{
protected:
    static const UINT kTopID = 0xE821;
    static const UINT kBottomID = 0xE825;
    static const UINT kLeftID = 0xE820;
    static const UINT kRightID = 0xE822;

    void SetUp() override;
    void TearDown() override;

    // A new frame (the one before must be gone), hidden or shown, at 40,40 800 x 600.
    BarsTestFrame* CreateFrame(bool bVisible = false);
    void DestroyFrame();
    CBNSizeDockBar* Side(UINT nID) const;
    CBNTabCtrlBar& EdgeBar() const { return frame->m_wndEdgeBar; }
    // The window rectangle of a window in another window's client co-ordinates.
    static CRect RectIn(const CWnd* pWnd, const CWnd* pReference);
    static CSize WindowSize(const CWnd* pWnd);
    // The MDI client's place in the frame.
    CRect ClientArea() const;
    // Runs the bars' idle update, as the application's idle time does.
    void IdleUpdate();
    // A value of the bar state, -1 when absent.
    int ProfileInt(const std::string& section, const char* entry);
    std::string EdgeBarSection();

    CWinApp app{"BarsTest"};
    BarsTestFrame* frame = nullptr;
    HWND hFrame = nullptr;
};

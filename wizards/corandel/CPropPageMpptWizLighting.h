// The lighting page of the Corandel MPPT wizard: the four lighting channels' timers,
// actions and combination, the lighting switch and the sunrise and sunset thresholds,
// shown on two 24-hour dials: every channel as its own ring around a day/night disc on
// the left, the controller's combined lighting output on the right. A slider sets a
// trial day length so that the user sees where sunrise and sunset fall.
#pragma once
#include "framework/CComboBox.h"
#include "framework/CSliderCtrl.h"
#include "framework/CTabCtrl.h"
#include "graphics/CGraphicObRingMulti.h"
#include "wizards/corandel/CPropPageMpptWizard.h"

#include <boost/shared_ptr.hpp>
#include <deque>

class CPropPageMpptWizLighting : public CPropPageMpptWizard
{
public:
    explicit CPropPageMpptWizLighting(CMpptSettings* settings);

    BOOL OnInitDialog() override;

    int GetCurrentChannel() const { return m_channel; }
    // Index 0 the day/night disc of the left dial, 1 to 4 the rings of channels 0 to 3.
    const std::deque<boost::shared_ptr<CGraphicObRingMulti>>& GetChannelRings() const { return m_rings; }
    CGraphicObRingMulti& GetOutputRing() { return *m_outputRing; }
    CGraphicObRingMulti& GetOutputDisc() { return *m_rightDisc; }

    // Recomputes every ring from the settings and the day length, then redraws.
    void RebuildDials();
    void SelectChannel(int channel);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool StoreFields(bool forward) override;

    void LoadControls();
    void StoreControls(CDataExchange* pDX);
    // Stores a timer's hours and minutes. Out of range, while validating, they fail the
    // exchange; otherwise they are stored as typed and the timer's fields are marked to
    // keep their text, so that Next can still say what is wrong.
    void StoreTimerOffset(CDataExchange* pDX, int timer, int hoursId, int minutesId, int beforeAfterId);
    void FailOn(CDataExchange* pDX, int control, const char* text);
    // Stores a threshold of 0 to 100 % as the nearest count the register holds.
    // The threshold as the page shows it.
    CString ThresholdText(UINT32 registerAddress) const;
    void StoreThreshold(UINT32 registerAddress, double percent, const CString& text);
    // Exchange from the controls; false when a field was refused.
    bool Exchange(bool validating);
    void ApplyEnableRule();
    void LayOutDials();

    afx_msg void OnFieldChanged();
    afx_msg void OnEnableClicked();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnPaint();
    afx_msg void OnChannelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnChannelChanged(NMHDR* pNMHDR, LRESULT* pResult);

    CSliderCtrl m_dayLength;
    CTabCtrl m_channelTabs;
    std::deque<boost::shared_ptr<CGraphicObRingMulti>> m_rings;
    boost::shared_ptr<CGraphicObRingMulti> m_outputRing;
    boost::shared_ptr<CGraphicObRingMulti> m_rightDisc;
    int m_channel;
    bool m_validating;   // set only while the page is left with Next or the tab changes
    bool m_exchanging;   // an exchange is running: focus moves of its boxes start none
    // Per timer of the current channel: its hours or minutes are out of range, and the
    // fields keep what was typed when the controls are filled from the settings.
    bool m_keepTypedTimer[2];

    DECLARE_MESSAGE_MAP()
};

// The eleven pages of the Ostrel channel wizard, in sheet order: function, control type,
// control address, alarm/fault selection, simple and advanced threshold, start-up state,
// timing, and the three GenStart pages.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CListCtrl.h"
#include "graphics/CGraphicObSignal.h"
#include "res/pyraxis_relay_resource.h"
#include "wizards/relay/CPropPageRelay.h"

class CPropertySheet;
class CWnd;

#define RELAY_PAGE_ID(id) \
    UINT GetDialogId() const override { return id; }

class CPropPageRelayFunction : public CPropPageRelay
{
public:
    CPropPageRelayFunction(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_FUNCTION)
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

protected:
    afx_msg void OnFunction(UINT id);
    DECLARE_MESSAGE_MAP()
};

class CPropPageRelayControlType : public CPropPageRelay
{
public:
    CPropPageRelayControlType(CRelayModuleChannel* channels, int index, const RelayCandidateList_t& candidates);
    RELAY_PAGE_ID(IDD_RELAY_CONTROL_TYPE)
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;

private:
    RelayCandidateList_t m_candidates;
};

class CPropPageRelayControlAddress : public CPropPageRelay
{
public:
    CPropPageRelayControlAddress(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_CONTROL_ADDRESS)
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
};

class CPropPageRelayAlarmSelect : public CPropPageRelay
{
public:
    CPropPageRelayAlarmSelect(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_ALARM_SELECT)
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;

protected:
    afx_msg void OnCheckAllAlarms();
    afx_msg void OnUncheckAllAlarms();
    afx_msg void OnCheckAllFaults();
    afx_msg void OnUncheckAllFaults();
    DECLARE_MESSAGE_MAP()
};

// The two threshold pages: the watched variable and its high and low limits.
class CPropPageRelayThreshold : public CPropPageRelay
{
public:
    using CPropPageRelay::CPropPageRelay;

protected:
    void ShowLimits();
    // The selected variable into the channel; false (a box said why) when none is chosen.
    bool StoreVariable();
    // The limit edits into the channel; the boxes call them by the page's word for them.
    // With validation both must be numbers and the low one below the high one.
    bool StoreLimits(bool validate, const std::string& limitWord);
};

class CPropPageRelayThresholdSimple : public CPropPageRelayThreshold
{
public:
    CPropPageRelayThresholdSimple(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_THRESHOLD_SIMPLE)
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;

protected:
    void Show();
    afx_msg void OnListChange();
    DECLARE_MESSAGE_MAP()
};

class CPropPageRelayThresholdAdv : public CPropPageRelayThreshold
{
public:
    CPropPageRelayThresholdAdv(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_THRESHOLD_ADV)
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;

protected:
    afx_msg void OnVariableChange();
    DECLARE_MESSAGE_MAP()
};

class CPropPageRelayStartupState : public CPropPageRelay
{
public:
    CPropPageRelayStartupState(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_STARTUP_STATE)
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;
};

class CPropPageRelayTimingControl : public CPropPageRelay
{
public:
    CPropPageRelayTimingControl(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_TIMING_CONTROL)
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;
};

// The GenStart pages draw the channel's signal timing.
class CPropPageRelayGenStartDiagram : public CPropPageRelay
{
public:
    CPropPageRelayGenStartDiagram(CRelayModuleChannel* channels, int index, UINT dialogId);
    BOOL OnInitDialog() override;
    CGraphicObSignal& Diagram() { return m_diagram; }
    const CRect& DiagramRect() const { return m_diagramRect; }

protected:
    void RebuildDiagram();
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

    CGraphicObSignal m_diagram;
    CRect m_diagramRect;
};

class CPropPageRelayGenStartSig : public CPropPageRelayGenStartDiagram
{
public:
    CPropPageRelayGenStartSig(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_GENSTART_SIG)
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;

protected:
    void Show();
    afx_msg void OnSignalChange(UINT id);
    afx_msg void OnWireChange(UINT id);
    DECLARE_MESSAGE_MAP()
};

class CPropPageRelayGenStartTiming1 : public CPropPageRelayGenStartDiagram
{
public:
    CPropPageRelayGenStartTiming1(CRelayModuleChannel* channels, int index);
    RELAY_PAGE_ID(IDD_RELAY_GENSTART_TIMING1)
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    // Takes the edits into the channel for the row being edited; false (a box said why)
    // keeps the row selected.
    bool CommitRow();
    int EditedEvent() const { return m_editedEvent; }

protected:
    void FillRows();
    void EditRow(int row);
    afx_msg void OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    CListCtrl m_spans;
    int m_editedRow = -1;
    int m_editedEvent = -1;
};

class CPropPageRelayGenStartTrigger : public CPropPageRelay
{
public:
    CPropPageRelayGenStartTrigger(CRelayModuleChannel* channels, int index, const RelayCandidateList_t& candidates);
    RELAY_PAGE_ID(IDD_RELAY_GENSTART_TRIGGER)
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    bool Store(bool validate) override;

protected:
    void Show();
    afx_msg void OnVariableChange();
    DECLARE_MESSAGE_MAP()

private:
    RelayCandidateList_t m_candidates;
};

// The channel wizard on one of the four channels, as the setup dialog's Simple and
// Advanced buttons run it: the sheet "Relay Module Setup Wizard" with its eleven pages
// over the dialog's channels, and what its end does to them.
class CRelayChannelWizard
{
public:
    CRelayChannelWizard(CRelayModuleChannel* channels, int index, bool advanced,
                        const RelayCandidateList_t& candidates, CWnd* parent);
    ~CRelayChannelWizard();

    CPropertySheet& Sheet();
    // Finish (ID_WIZFINISH) keeps the edits with the GenStart and Disabled adjustments of
    // the channels; anything else restores all four channels as they were before.
    void Conclude(INT_PTR result);
    // Sheet().DoModal(), then Conclude.
    INT_PTR Run();

private:
    struct Pages;
    CRelayModuleChannel* m_channels;
    int m_index;
    RelayCandidateList_t m_candidates;
    CRelayModuleChannel m_backup[4];
    Pages* m_pages;
};

// What Finish does to the channels after the wizard edited channel index.
void ApplyRelayWizardFinish(CRelayModuleChannel* channels, int index, const RelayCandidateList_t& candidates);

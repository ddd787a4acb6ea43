// The Varnix setup wizard's pages of the load, diversion and lighting modes.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/MessageMap.h"
#include "wizards/varnix/CPropPageVxWiz.h"
#include "wizards/varnix/VarnixLightingGraphic.h"

class CPropPageVxWizLoad1 : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizLoad1(CVarnixSettings* settings);
    BOOL OnSetActive() override;

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT NextPage() override;
    LRESULT PreviousPage() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnCheckClicked();
    DECLARE_MESSAGE_MAP()

private:
    float m_lvd = 0, m_lvr = 0, m_compensation = 0, m_hvd = 0, m_hvr = 0;
    int m_delayM = 0, m_delayS = 0;
};

class CPropPageVxWizDiversion1 : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizDiversion1(CVarnixSettings* settings);

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT PreviousPage() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnCheckClicked();
    DECLARE_MESSAGE_MAP()

private:
    int m_method = 0;   // 0 PWM, 1 on/off
    float m_pwm = 0, m_compensation = 0, m_maximum = 0, m_minimum = 0, m_on = 0, m_off = 0;
    int m_days = 0;
};

class CPropPageVxWizDiversion2 : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizDiversion2(CVarnixSettings* settings);

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT NextPage() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnCheckClicked();
    DECLARE_MESSAGE_MAP()

private:
    float m_floatVoltage = 0, m_equalizeVoltage = 0, m_interval = 0;
    VarnixTimeEntry m_after, m_exit, m_time, m_timeout;
};

// The two load timers from dusk or dawn, and the dusk and dawn thresholds, with a strip
// that draws the day's on-periods.
class CPropPageVxWizLighting1 : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizLighting1(CVarnixSettings* settings);
    BOOL OnInitDialog() override;

    // The timers as the controls hold them (for the strip).
    std::vector<LightingPeriod_t> GetPeriods() const { return m_periods; }
    RECT GetStrip() const { return m_strip; }

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT NextPage() override;
    LRESULT PreviousPage() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnPaint();
    afx_msg void OnDuskToDawnClicked();
    afx_msg void OnTimerChanged(UINT id);
    DECLARE_MESSAGE_MAP()

private:
    void EnableTimerControls();
    // Reads the timer controls into the periods and repaints the strip.
    void RefreshGraphic();
    void SetTimer(int first, int sign, int reference, long seconds, bool fromDawn);

    RECT m_strip = {0, 0, 0, 0};
    std::vector<LightingPeriod_t> m_periods;
    float m_dusk = 0, m_dawn = 0, m_expectedDawn = 0;
};

// Dusk to dawn keeps the load on from dusk for the longest time timer 1 holds.
const long LIGHTING_DUSK_TO_DAWN_SECONDS = 32767;

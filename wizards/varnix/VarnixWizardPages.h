// The Varnix setup wizard: the mode page, the charge pages, the LED and communication
// pages. The load, diversion and lighting pages are in VarnixWizardModePages.h.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/MessageMap.h"
#include "wizards/varnix/CPropPageVxWiz.h"

class CPropPageVxWizMode : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizMode(CVarnixSettings* settings);
    BOOL OnSetActive() override;

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT NextPage() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    int m_mode = 0;   // radio index: solar, load, diversion, lighting
};

class CPropPageVxWizCharge1 : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizCharge1(CVarnixSettings* settings);

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT PreviousPage() override;
    afx_msg void OnServiceReminderClicked();
    DECLARE_MESSAGE_MAP()
};

class CPropPageVxWizCharge2 : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizCharge2(CVarnixSettings* settings);

protected:
    void LoadPage() override;
    bool StorePage() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnCheckClicked();
    DECLARE_MESSAGE_MAP()

private:
    float m_floatVoltage = 0, m_lowBatteryVoltage = 0, m_cancelVoltage = 0, m_duty = 0;
    VarnixTimeEntry m_after, m_exit, m_lowBatteryTime;
};

class CPropPageVxWizCharge3 : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizCharge3(CVarnixSettings* settings);

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT NextPage() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnCheckClicked();
    DECLARE_MESSAGE_MAP()

private:
    float m_equalizeVoltage = 0, m_hvd = 0, m_hvr = 0, m_interval = 0;
    VarnixTimeEntry m_time, m_timeout;
};

class CPropPageVxWizLed : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizLed(CVarnixSettings* settings);

protected:
    void LoadPage() override;
    bool StorePage() override;
    LRESULT PreviousPage() override;
};

class CPropPageVxWizComm : public CPropPageVxWiz
{
public:
    explicit CPropPageVxWizComm(CVarnixSettings* settings);
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;

protected:
    void LoadPage() override;
    bool StorePage() override;
};

// A plain-text number entry that checks its own range, as the PWM and LED boxes do; the
// texts name the box and end with the given unit (" V" or nothing).
bool ReadCheckedNumber(CWnd& page, int controlId, const char* name, double minimum,
                       double maximum, const char* invalidFormat, const char* unitSuffix,
                       double* value);

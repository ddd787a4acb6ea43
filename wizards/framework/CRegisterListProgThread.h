// The one run body of the register-list wizards: read or program every register of the
// context's list in ascending order, one request each, with a tick per register. The
// Varnix, Corandel Duo and Corandel MPPT threads differ only in their texts.
#pragma once
#include "framework/FrameworkBase.h"
#include "wizards/framework/CModbusProgrammingThread.h"
#include "wizards/framework/CVarnixWizardProgContext.h"

struct RegisterListTexts_t
{
    const char* readLine;
    const char* programLine;
};

struct SettingRow_t;

class CRegisterListProgThread : public CModbusProgrammingThread
{
public:
    // table: the product's default settings, whose bus-address rows a programming run
    // checks before it connects.
    CRegisterListProgThread(const RegisterListTexts_t& texts, const SettingRow_t* table);
    ~CRegisterListProgThread() override;

    CRelayProgContext& GetContext() override { return m_context; }
    // Takes a register-list context; a context of another kind is ignored.
    void SetContext(const CRelayProgContext& context) override;
    int Run() override;

    CVarnixWizardProgContext& GetRegisterContext() { return m_context; }

private:
    const RegisterListTexts_t& m_texts;
    const SettingRow_t* m_table;
    CVarnixWizardProgContext m_context;
};

class CVarnixWizProgThread : public CRegisterListProgThread
{
public:
    CVarnixWizProgThread();
};

class CCorandelWizProgThread : public CRegisterListProgThread
{
public:
    CCorandelWizProgThread();
};

class CCorandelMpptProgThread : public CRegisterListProgThread
{
public:
    CCorandelMpptProgThread();
};

#include "wizards/framework/CRegisterListProgThread.h"

#include "wizards/framework/CorandelDuoDefaultSettings.h"
#include "wizards/framework/CorandelMpptDefaultSettings.h"
#include "wizards/framework/ProgrammingMessages.h"
#include "wizards/framework/SettingsRegisterList.h"
#include "wizards/framework/VarnixDefaultSettings.h"

#include <string>

namespace
{
const RegisterListTexts_t VARNIX_TEXTS = {"Reading configuration from Varnix.  Please wait.",
                                          "Programming Varnix.  Please wait."};
const RegisterListTexts_t CORANDEL_DUO_TEXTS = {"Reading configuration from Corandel Duo.  Please wait.",
                                                "Programming Corandel Duo.  Please wait."};
const RegisterListTexts_t CORANDEL_MPPT_TEXTS = {"Reading configuration from Corandel MPPT.  Please wait.",
                                                 "Programming Corandel MPPT.  Please wait."};
}

CRegisterListProgThread::CRegisterListProgThread(const RegisterListTexts_t& texts, const SettingRow_t* table)
    : m_texts(texts), m_table(table), m_context(nullptr)
{
}

CRegisterListProgThread::~CRegisterListProgThread()
{
    Stop(5000);
}

void CRegisterListProgThread::SetContext(const CRelayProgContext& context)
{
    const CVarnixWizardProgContext* registerList = dynamic_cast<const CVarnixWizardProgContext*>(&context);
    if (registerList != nullptr)
        m_context.Assign(*registerList);
}

int CRegisterListProgThread::Run()
{
    // Whatever built the list, no address the controller would stop answering at is
    // programmed, and nothing is sent when one is there.
    const std::string refusal = m_context.isRead ? std::string() : AddressRefusal(m_table, m_context.registers);
    if (!refusal.empty())
    {
        PostText(("* Error: " + refusal).c_str());
        PostToPage(WM_APP_PROG_FAILED, 0);
        return -1;
    }
    boost::shared_ptr<CSharedModbus> link = Connect();
    if (!link)
        return -1;
    PostText(m_context.isRead ? m_texts.readLine : m_texts.programLine);
    int done = 0;
    for (auto& entry : m_context.registers)
    {
        if (StopRequested())
            return 0;
        bool transferred = false;
        if (m_context.isRead)
        {
            WORD word = 0;
            transferred = ReadRegister(*link, entry.first, &word, 1);
            if (transferred)
                entry.second = word;
        }
        else
            transferred = WriteRegister(*link, entry.first, entry.second);
        if (!transferred)
        {
            const auto name = m_context.registerNames.find(entry.first);
            FailRequest(SettingText(name != m_context.registerNames.end() ? name->second : std::string(), entry.first),
                        done, static_cast<int>(m_context.registers.size()));
            return 0;
        }
        ++done;
        PostToPage(WM_APP_PROG_TICK);
    }
    PostText("Finished.");
    PostToPage(WM_APP_PROG_DONE);
    return 0;
}

CVarnixWizProgThread::CVarnixWizProgThread() : CRegisterListProgThread(VARNIX_TEXTS, VARNIX_DEFAULT_SETTINGS)
{
}

CCorandelWizProgThread::CCorandelWizProgThread() : CRegisterListProgThread(CORANDEL_DUO_TEXTS, CORANDEL_DUO_DEFAULT_SETTINGS)
{
}

CCorandelMpptProgThread::CCorandelMpptProgThread() : CRegisterListProgThread(CORANDEL_MPPT_TEXTS, CORANDEL_MPPT_DEFAULT_SETTINGS)
{
}

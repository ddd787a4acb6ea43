// Data exchange between the MPPT wizard pages' controls and the settings they edit. A
// setting or entry the settings refuse shows its text in a stop box and fails the
// exchange, so a wrong entry never leaves the page.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDataExchange.h"
#include "modbus/CModbusVariable.h"

#include <functional>
#include <set>

// Finds the variable of a setting; may throw std::range_error for an unknown id.
typedef std::function<CModbusVariable*()> MpptVariableSource;

// Whether a setting holds only a stand-in because the controller did not give it: its
// control shows nothing, and only what the user enters there sets it (and takes it out of
// the set). No set: every setting holds a value.
struct MpptNotRead
{
    std::set<int>* ids = nullptr;
    int id = 0;

    bool Is() const { return ids != nullptr && ids->count(id) != 0; }
    void Set() const
    {
        if (ids != nullptr)
            ids->erase(id);
    }
};

// An edit (or IP-address control) and a setting's text. With impliedMinus the edit shows
// the value without its minus sign and a typed minus is refused. A text the user left as
// it was shown keeps the setting's register value: the text of a scaled value is rounded,
// and converting it back could move the setting by a step.
void MpptExchangeSetting(CDataExchange* pDX, int editId, const MpptVariableSource& variable,
                         bool impliedMinus, const MpptNotRead& notRead = MpptNotRead());
// Three edits and the hours, minutes and seconds of a time setting.
void MpptExchangeTime(CDataExchange* pDX, int hoursId, int minutesId, int secondsId,
                      const MpptVariableSource& variable);
// A check box (with an edit, or 0) that switches a setting off (0) or on. Returns false
// only when the box has just been cleared, so that the caller skips what depends on it.
// A setting not read shows an undecided (three-state) box and stays not read while it is.
bool MpptExchangeOptionalSetting(CDataExchange* pDX, int checkId, int editId,
                                 const MpptVariableSource& variable, const char* defaultText,
                                 const MpptNotRead& notRead = MpptNotRead());
// Sets a setting from a text inside an exchange, failing it as the exchanges do.
void MpptExchangeAssign(CDataExchange* pDX, const MpptVariableSource& variable, const char* text);

// A failed cross-check of a page: the stop box, the focus on the control and a failed
// exchange.
[[noreturn]] void MpptCheckFailed(CDataExchange* pDX, int focusId, const char* message);

// The front ends the pages call: the page's settings look the id up.
template <class TPage>
void DDX_MpptSetting(TPage* page, CDataExchange* pDX, int editId, int settingId,
                     bool impliedMinus = false)
{
    MpptExchangeSetting(pDX, editId, [=] { return page->settings->GetVariable(settingId); },
                        impliedMinus, MpptNotRead{page->notRead, settingId});
}

template <class TPage>
void DDX_MpptTime(TPage* page, CDataExchange* pDX, int hoursId, int minutesId, int secondsId,
                  int settingId)
{
    MpptExchangeTime(pDX, hoursId, minutesId, secondsId,
                     [=] { return page->settings->GetVariable(settingId); });
}

template <class TPage>
bool DDX_MpptOptionalSetting(TPage* page, CDataExchange* pDX, int checkId, int editId,
                             int settingId, const char* defaultText)
{
    return MpptExchangeOptionalSetting(
        pDX, checkId, editId, [=] { return page->settings->GetVariable(settingId); },
        defaultText, MpptNotRead{page->notRead, settingId});
}

#include "framework/CCmdTarget.h"
#include "framework/CCmdUI.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY noEntries[] = { { 0, 0, 0, 0, nullptr } };
    static const AFX_MSGMAP messageMap = { nullptr, &noEntries[0] };
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT nID) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfnAdapter != nullptr; ++entry)
        {
            if (entry->nMessage == message && entry->nCode == code && entry->nID <= nID &&
                nID <= entry->nLastID)
                return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::DispatchToMap(AFX_MSG_CALL& call)
{
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(call.message, call.nCode, call.nID);
    return entry != nullptr && entry->pfnAdapter(this, call);
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    AFX_MSG_CALL call = {};
    call.nID = nID;
    AFX_NOTIFY* notify = nullptr;
    if (HIWORD(nCode) == WM_NOTIFY && nCode != static_cast<int>(CN_UPDATE_COMMAND_UI))
    {
        // Notification codes are negative numbers packed into the low word.
        call.message = WM_NOTIFY;
        call.nCode = static_cast<UINT>(static_cast<int>(static_cast<short>(LOWORD(nCode))));
        notify = static_cast<AFX_NOTIFY*>(pExtra);
        call.pExtra = notify != nullptr ? notify->pNMHDR : nullptr;
    }
    else
    {
        call.message = WM_COMMAND;
        call.nCode = static_cast<UINT>(nCode);
        call.pExtra = pExtra;
    }

    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(call.message, call.nCode, nID);
    if (entry == nullptr)
        return FALSE;
    if (pHandlerInfo != nullptr)
    {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = entry;
        return TRUE;
    }

    if (call.nCode == CN_UPDATE_COMMAND_UI && call.message == WM_COMMAND)
    {
        CCmdUI* cmdUI = static_cast<CCmdUI*>(pExtra);
        cmdUI->m_bContinueRouting = FALSE;
        entry->pfnAdapter(this, call);
        return !cmdUI->m_bContinueRouting;
    }

    const BOOL handled = entry->pfnAdapter(this, call);
    if (notify != nullptr && notify->pResult != nullptr)
        *notify->pResult = call.result;
    return handled;
}

void CCmdTarget::BeginWaitCursor()
{
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
}

void CCmdTarget::EndWaitCursor()
{
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
}

void CCmdTarget::RestoreWaitCursor()
{
    BeginWaitCursor();
}

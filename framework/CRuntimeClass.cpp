#include "framework/CRuntimeClass.h"

#include <cstring>
#include <mutex>

namespace {

// Constant-initialised, so registrations from any translation unit find it ready.
CRuntimeClass* g_firstRegisteredClass = nullptr;

std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

CObject* CRuntimeClass::CreateObject() const
{
    if (m_pfnCreateObject == nullptr)
        return nullptr;
    return m_pfnCreateObject();
}

CRuntimeClass* CRuntimeClass::GetBaseClass() const
{
    return m_pfnGetBaseClass != nullptr ? m_pfnGetBaseClass() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    if (pBaseClass == nullptr)
        return FALSE;
    for (const CRuntimeClass* pClass = this; pClass != nullptr; pClass = pClass->GetBaseClass())
    {
        if (pClass == pBaseClass)
            return TRUE;
    }
    return FALSE;
}

BOOL CRuntimeClass::IsSerializable() const
{
    return m_wSchema != AFX_NOT_SERIALIZABLE_SCHEMA;
}

bool CRuntimeClass::Register(CRuntimeClass* pClass)
{
    if (pClass == nullptr)
        return false;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    for (CRuntimeClass* pKnown = g_firstRegisteredClass; pKnown != nullptr; pKnown = pKnown->m_pNextClass)
    {
        if (pKnown == pClass)
            return true;
    }
    pClass->m_pNextClass = g_firstRegisteredClass;
    g_firstRegisteredClass = pClass;
    return true;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName)
{
    if (lpszClassName == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> lock(RegistryMutex());
    for (CRuntimeClass* pClass = g_firstRegisteredClass; pClass != nullptr; pClass = pClass->m_pNextClass)
    {
        if (std::strcmp(pClass->m_lpszClassName, lpszClassName) == 0)
            return pClass;
    }
    return nullptr;
}

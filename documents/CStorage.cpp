#include "documents/CStorage.h"

DWORD CStorage::GetVariableId() const
{
    return 1;
}

int CStorage::GetSourceId() const
{
    return m_sourceId;
}

COleVariant CStorage::GetValue() const
{
    return COleVariant();
}

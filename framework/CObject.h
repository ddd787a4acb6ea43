// Root of the framework's class hierarchy: run-time class information and
// serialisation through archives.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CRuntimeClass.h"

class CObject
{
public:
    virtual ~CObject() = default;

    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    static CRuntimeClass classCObject;
    static CRuntimeClass* GetThisClass();
    virtual CRuntimeClass* GetRuntimeClass() const;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;

    // Stores or loads the object's data; the root has none.
    virtual void Serialize(CArchive& ar);

protected:
    CObject() = default;
};

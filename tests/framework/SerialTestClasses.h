// Small class hierarchy shared by the object and archive tests: serializable,
// versionable, creatable-only and dynamic-only classes.
#pragma once
#include "framework/CArchive.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <vector>

class CShape : public CObject
{
    DECLARE_SERIAL(CShape)
public:
    CShape() = default;
    void Serialize(CArchive& ar) override;
    int m_id = 0;
};

class CCircle : public CShape
{
    DECLARE_SERIAL(CCircle)
public:
    CCircle() = default;
    void Serialize(CArchive& ar) override;
    double m_radius = 0.0;
};

// Versionable, schema 2: schema 1 had no label.
class CSquare : public CShape
{
    DECLARE_SERIAL(CSquare)
public:
    CSquare() = default;
    void Serialize(CArchive& ar) override;
    int m_side = 0;
    CString m_label;
    UINT m_loadedSchema = 0;
};

// References other objects without owning them; loaded children are owned by the test.
class CGroup : public CObject
{
    DECLARE_SERIAL(CGroup)
public:
    CGroup() = default;
    void Serialize(CArchive& ar) override;
    std::vector<CObject*> m_children;
};

// Counts its live instances, to see that a half-read object is freed.
class CCounted : public CObject
{
    DECLARE_SERIAL(CCounted)
public:
    CCounted() { ++s_live; }
    ~CCounted() override { --s_live; }
    void Serialize(CArchive& ar) override;
    static int s_live;
    LONGLONG m_value = 0;
};

class CCreatableOnly : public CObject
{
    DECLARE_DYNCREATE(CCreatableOnly)
public:
    CCreatableOnly() = default;
};

class CDynamicOnly : public CObject
{
    DECLARE_DYNAMIC(CDynamicOnly)
public:
    CDynamicOnly() = default;
};

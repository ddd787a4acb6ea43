// Base of the wrappers of GDI objects (pens, brushes, fonts, bitmaps, regions).
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CObject.h"

class CGdiObject : public CObject
{
    DECLARE_DYNAMIC(CGdiObject)
public:
    HGDIOBJ m_hObject = nullptr;

    CGdiObject() = default;
    // Deletes the GDI object it still owns.
    ~CGdiObject() override;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // The object that owns the handle, or a temporary wrapper of this thread, deleted at
    // idle time (DeleteTempMap); the wrapper has the class matching the object's type.
    static CGdiObject* FromHandle(HGDIOBJ hObject);
    static CGdiObject* FromHandlePermanent(HGDIOBJ hObject);
    static void DeleteTempMap();

    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();

    int GetObject(int nCount, LPVOID lpObject) const;
    UINT GetObjectType() const;
    BOOL CreateStockObject(int nIndex);
    BOOL UnrealizeObject();

    BOOL operator==(const CGdiObject& other) const { return m_hObject == other.m_hObject; }
    BOOL operator!=(const CGdiObject& other) const { return m_hObject != other.m_hObject; }
};

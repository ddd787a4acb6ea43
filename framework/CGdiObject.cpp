#include "framework/CGdiObject.h"

#include "framework/CBitmap.h"
#include "framework/CBrush.h"
#include "framework/CFont.h"
#include "framework/CHandleMap.h"
#include "framework/CPen.h"
#include "framework/CRgn.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)

using GdiHandleMap = CHandleMap<CGdiObject, HGDIOBJ>;

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

CGdiObject* CGdiObject::FromHandlePermanent(HGDIOBJ hObject)
{
    return hObject == nullptr ? nullptr : GdiHandleMap::LookupPermanent(hObject);
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject)
{
    if (hObject == nullptr)
        return nullptr;
    if (CGdiObject* permanent = GdiHandleMap::LookupPermanent(hObject))
        return permanent;
    if (CGdiObject* temporary = GdiHandleMap::LookupTemporary(hObject))
        return temporary;

    // Callers cast the result to the class they asked for, so the wrapper must be one.
    CGdiObject* wrapper = nullptr;
    switch (::GetObjectType(hObject)) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
        wrapper = new CPen;
        break;
    case OBJ_BRUSH:
        wrapper = new CBrush;
        break;
    case OBJ_FONT:
        wrapper = new CFont;
        break;
    case OBJ_BITMAP:
        wrapper = new CBitmap;
        break;
    case OBJ_REGION:
        wrapper = new CRgn;
        break;
    default:
        wrapper = new CGdiObject;
        break;
    }
    wrapper->m_hObject = hObject;
    GdiHandleMap::AddTemporary(hObject, wrapper);
    return wrapper;
}

void CGdiObject::DeleteTempMap()
{
    for (CGdiObject* wrapper : GdiHandleMap::TakeTemporaries()) {
        wrapper->m_hObject = nullptr;   // the handle belongs to someone else
        delete wrapper;
    }
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    ASSERT(m_hObject == nullptr);
    if (hObject == nullptr)
        return FALSE;
    m_hObject = hObject;
    GdiHandleMap::SetPermanent(hObject, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ hObject = m_hObject;
    if (hObject != nullptr) {
        GdiHandleMap::RemovePermanent(hObject, this);
        GdiHandleMap::RemoveTemporary(hObject, this);
    }
    m_hObject = nullptr;
    return hObject;
}

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == nullptr)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const
{
    return ::GetObject(m_hObject, nCount, lpObject);
}

UINT CGdiObject::GetObjectType() const
{
    return ::GetObjectType(m_hObject);
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
    // Stock objects are never deleted by the system, so owning one is harmless.
    return Attach(::GetStockObject(nIndex));
}

BOOL CGdiObject::UnrealizeObject()
{
    return ::UnrealizeObject(m_hObject);
}

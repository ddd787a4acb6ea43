// Run-time type information of the framework's classes: the class name, the
// schema used in archives, dynamic creation and the link to the base class.
#pragma once
#include "framework/FrameworkBase.h"

class CObject;
class CArchive;

// Set in a class's schema to let it load older schemas; Serialize then asks the
// archive for the schema that was stored (CArchive::GetObjectSchema).
#define VERSIONABLE_SCHEMA (0x80000000u)

// Schema of classes that cannot be written to an archive.
#define AFX_NOT_SERIALIZABLE_SCHEMA (0xFFFFu)

// Instances are plain aggregates built by the IMPLEMENT_* macros. All members are
// constant expressions, so every class's record is ready before any constructor of
// any translation unit runs; only the by-name registry is filled at start-up.
struct CRuntimeClass
{
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                          // AFX_NOT_SERIALIZABLE_SCHEMA when not serializable
    CObject* (*m_pfnCreateObject)();         // nullptr when not dynamically creatable
    CRuntimeClass* (*m_pfnGetBaseClass)();   // nullptr for CObject
    CRuntimeClass* m_pNextClass;             // link of the registry of serializable classes

    // A new object of this class, or nullptr when the class is not creatable.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    CRuntimeClass* GetBaseClass() const;
    BOOL IsSerializable() const;

    // Finds a registered (serializable) class by its name; nullptr if none.
    static CRuntimeClass* FromName(LPCSTR lpszClassName);

    // Adds a class to the by-name registry; a class already there is left alone.
    // IMPLEMENT_SERIAL does this at start-up. With static libraries the linker drops
    // a translation unit nothing refers to, and its classes then never register: an
    // application whose objects are only ever created by name while loading must
    // refer to each such class, e.g. by calling Register(RUNTIME_CLASS(C)) at
    // start-up, which both keeps the code linked and registers it.
    static bool Register(CRuntimeClass* pClass);
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

// Declarations, placed inside the class body.
#define DECLARE_DYNAMIC(class_name) \
public: \
    static CRuntimeClass class##class_name; \
    static CRuntimeClass* GetThisClass(); \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name) \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) \
    DECLARE_DYNCREATE(class_name) \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

// Definitions, placed in the class's source file.
#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew) \
    CRuntimeClass class_name::class##class_name = { \
        #class_name, (int)sizeof(class_name), (UINT)(wSchema), pfnNew, \
        &base_class_name::GetThisClass, nullptr }; \
    CRuntimeClass* class_name::GetThisClass() { return &class_name::class##class_name; } \
    CRuntimeClass* class_name::GetRuntimeClass() const { return &class_name::class##class_name; }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, AFX_NOT_SERIALIZABLE_SCHEMA, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, AFX_NOT_SERIALIZABLE_SCHEMA, \
                           class_name::CreateObject)

// The source file must include "framework/CArchive.h" (operator>> reads through it).
#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema) \
    CObject* class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject) \
    [[maybe_unused]] static const bool registered##class_name = \
        CRuntimeClass::Register(RUNTIME_CLASS(class_name)); \
    CArchive& operator>>(CArchive& ar, class_name*& pOb) \
    { \
        pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name))); \
        return ar; \
    }

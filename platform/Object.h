// CObject and its run-time classes: class name, object size, schema, base class and dynamic
// creation, as the application framework provides them.
#pragma once

#include <cstring>

#include "platform/Types.h"

class CObject;
class CArchive;

class CDumpContext {
public:
    virtual ~CDumpContext() = default;
};

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object made with the ordinary allocator and the default constructor; null when the
    // class is not dynamically creatable.
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    BOOL IsDerivedFrom(const CRuntimeClass* base) const {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
            if (c == base) return TRUE;
        return FALSE;
    }
};

class CObject {
public:
    static const CRuntimeClass classCObject;

    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    virtual ~CObject() = default;
    virtual void Serialize(CArchive&) {}
    virtual void AssertValid() const {}
    virtual void Dump(CDumpContext&) const {}

    BOOL IsKindOf(const CRuntimeClass* c) const { return GetRuntimeClass()->IsDerivedFrom(c); }

protected:
    CObject() = default;
};

#define RUNTIME_CLASS(name) (&name::class##name)

#define DECLARE_DYNCREATE(name)                                      \
public:                                                              \
    static const CRuntimeClass class##name;                          \
    const CRuntimeClass* GetRuntimeClass() const override;           \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(name, base, schema, creator)                                     \
    const CRuntimeClass name::class##name = {#name, int(sizeof(name)), schema, creator,         \
                                             RUNTIME_CLASS(base)};                              \
    const CRuntimeClass* name::GetRuntimeClass() const { return RUNTIME_CLASS(name); }

#define IMPLEMENT_DYNCREATE(name, base)                               \
    CObject* name::CreateObject() { return new name; }                \
    IMPLEMENT_RUNTIMECLASS(name, base, 0xFFFF, name::CreateObject)

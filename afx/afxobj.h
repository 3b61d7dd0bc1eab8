// CObject and a minimal runtime class: enough for IsKindOf and GetRuntimeClass names.
#pragma once

#include "afxtypes.h"

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    CRuntimeClass* m_pBaseClass;
    CObject* (*m_pfnCreateObject)();

    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                                                         \
public:                                                                                                     \
    static CRuntimeClass class##class_name;                                                                 \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                                       \
    DECLARE_DYNAMIC(class_name)                                                                             \
    static CObject* CreateObject();

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                                      \
    CRuntimeClass class_name::class##class_name = {#class_name, (int)sizeof(class_name),                    \
                                                   RUNTIME_CLASS(base_class_name), nullptr};                \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                                    \
    CObject* class_name::CreateObject() { return new class_name; }                                          \
    CRuntimeClass class_name::class##class_name = {#class_name, (int)sizeof(class_name),                    \
                                                   RUNTIME_CLASS(base_class_name), class_name::CreateObject}; \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

class CObject {
public:
    static CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    BOOL IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

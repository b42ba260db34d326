#pragma once
// The object root of the program's serialisable classes, with run-time class
// records: each records its class name, its base and its archive schema,
// and a registry finds a creatable class by the name an archive holds.
//
//   class CFormat : public CGenData { DECLARE_SERIAL(CFormat) ... };
//   IMPLEMENT_SERIAL(CFormat, CGenData, VERSIONABLE_SCHEMA | 1)   // in CFormat.cpp
//
// A class is registered when its .cpp is linked into the program; a class
// that only ever comes out of files must still be referenced somewhere
// (RUNTIME_CLASS in the code that reads it will do).

#include <string_view>

class CArchive;
class CObject;

// The schema flag that lets an archive hold an older version of a class;
// Serialize then asks CArchive::GetObjectSchema which one it reads.
inline constexpr unsigned VERSIONABLE_SCHEMA = 0x80000000u;
// Schema of a class that cannot be stored.
inline constexpr unsigned kNoSchema = 0xFFFF;

struct CRuntimeClass {
    const char *m_lpszClassName;
    unsigned m_wSchema;
    CObject *(*m_pfnCreateObject)(); // nullptr: not creatable by name
    const CRuntimeClass *m_pBaseClass;

    CObject *CreateObject() const; // a new object, or nullptr when not creatable
    bool IsDerivedFrom(const CRuntimeClass *base) const;
    bool IsSerializable() const { return m_wSchema != kNoSchema && m_pfnCreateObject; }

    // The registered class of that name, or nullptr.
    static const CRuntimeClass *FromName(std::string_view name);
};

// Adds cls to the registry; false when another class already has its name.
bool RegisterRuntimeClass(const CRuntimeClass *cls);

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass *GetRuntimeClass() const;
    virtual void Serialize(CArchive &ar);

    bool IsKindOf(const CRuntimeClass *cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    static const CRuntimeClass classCObject;
    static const CRuntimeClass *StaticRuntimeClass() { return &classCObject; }

protected:
    CObject() = default;
    CObject(const CObject &) = default;
    CObject &operator=(const CObject &) = default;
};

#define RUNTIME_CLASS(cls) (&cls::class##cls)

#define DECLARE_DYNAMIC(cls)                                                                                          \
public:                                                                                                              \
    static const CRuntimeClass class##cls;                                                                           \
    static const CRuntimeClass *StaticRuntimeClass() { return &class##cls; }                                         \
    const CRuntimeClass *GetRuntimeClass() const override;

#define DECLARE_SERIAL(cls)                                                                                           \
    DECLARE_DYNAMIC(cls)                                                                                             \
    static CObject *CreateObject();

// A class known by its record but never created by name (an abstract base).
#define IMPLEMENT_DYNAMIC(cls, base)                                                                                  \
    const CRuntimeClass cls::class##cls = {#cls, kNoSchema, nullptr, RUNTIME_CLASS(base)};                           \
    const CRuntimeClass *cls::GetRuntimeClass() const { return RUNTIME_CLASS(cls); }

#define IMPLEMENT_SERIAL(cls, base, schema)                                                                           \
    CObject *cls::CreateObject() { return new cls; }                                                                 \
    const CRuntimeClass cls::class##cls = {#cls, schema, cls::CreateObject, RUNTIME_CLASS(base)};                    \
    const CRuntimeClass *cls::GetRuntimeClass() const { return RUNTIME_CLASS(cls); }                                 \
    [[maybe_unused]] static const bool zot_registered_##cls = RegisterRuntimeClass(RUNTIME_CLASS(cls));

#include "CObject.h"

#include <map>
#include <string>

namespace {

// Built on first use, so registrations from any static initialiser find it.
std::map<std::string, const CRuntimeClass *, std::less<>> &Registry()
{
    static std::map<std::string, const CRuntimeClass *, std::less<>> registry;
    return registry;
}

} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", kNoSchema, nullptr, nullptr};

const CRuntimeClass *CObject::GetRuntimeClass() const
{
    return &classCObject;
}

void CObject::Serialize(CArchive &)
{
}

CObject *CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass *base) const
{
    for (const CRuntimeClass *c = this; c; c = c->m_pBaseClass) {
        if (c == base)
            return true;
    }
    return false;
}

const CRuntimeClass *CRuntimeClass::FromName(std::string_view name)
{
    const auto &registry = Registry();
    const auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second;
}

bool RegisterRuntimeClass(const CRuntimeClass *cls)
{
    return Registry().emplace(cls->m_lpszClassName, cls).second;
}

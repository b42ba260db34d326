#include "ArchiveTestClasses.h"

IMPLEMENT_SERIAL(CTestItem, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CTestList, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CTestFixed, CObject, 2)

void CTestItem::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        ar << name << value;
    } else {
        loadedSchema = ar.GetObjectSchema();
        ar >> name >> value;
    }
}

void CTestList::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(quint32(children.size() + alsoWrite.size()));
        for (const auto &child : children)
            ar.WriteObject(child.get());
        for (const CObject *extra : alsoWrite)
            ar.WriteObject(extra);
        return;
    }
    children.clear();
    const quint32 count = ar.ReadCount();
    for (quint32 i = 0; i < count; ++i)
        children.push_back(ar.ReadObject(RUNTIME_CLASS(CObject)));
    schemaAfterChildren = ar.GetObjectSchema();
}

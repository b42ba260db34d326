#pragma once
// Small serialisable classes for the archive tests and its fuzzer.

#include "Archive.h"

#include <QString>

#include <memory>
#include <vector>

// A name and a number; versionable schema 1, as the data items.
class CTestItem : public CObject {
    DECLARE_SERIAL(CTestItem)
public:
    void Serialize(CArchive &ar) override;
    QString name;
    qint32 value = 0;
    unsigned loadedSchema = 0; // what GetObjectSchema said while loading
};

// An object array: a count, then each child as a tagged object.
class CTestList : public CObject {
    DECLARE_SERIAL(CTestList)
public:
    void Serialize(CArchive &ar) override;
    std::vector<std::unique_ptr<CObject>> children; // null entries allowed
    std::vector<const CObject *> alsoWrite;         // written after the children
    unsigned schemaAfterChildren = 0;
};

// Nothing but its tag; schema 2 without the versionable flag.
class CTestFixed : public CObject {
    DECLARE_SERIAL(CTestFixed)
};

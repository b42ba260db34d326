#include "KindTable.h"

#include "StringTable.h"

const KindRow *KindTable::Find(int kind) const
{
    for (const KindRow &row : m_rows) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

int KindTable::Type(int kind) const
{
    const KindRow *row = Find(kind);
    return row ? row->type : 0;
}

QString KindTable::TypeName(int kind) const
{
    const KindRow *row = Find(kind);
    return row ? LoadString(row->name) : QString();
}

QString KindTable::Mnemonic(int kind) const
{
    const KindRow *row = Find(kind);
    return row ? QString::fromLatin1(row->mnemonic) : QString();
}

QString KindTable::Problem(int kind) const
{
    return Knows(kind) ? QString() : QString::fromLatin1(m_problem);
}

#pragma once
// A primitive of one of a few kinds that a number chooses (a marker's, a
// grid's, an image option's, an information box's): its type code, type
// name and line mnemonic come from its class's KindTable, and a number no
// row has, as a file may give it, makes a primitive with no type (0), no
// name and no line, of which the class complains.

#include "CPrimitive.h"

class KindTable;

class KindedPrimitive : public CPrimitive {
public:
    int Type() const override;
    QString GetTypeName() const override;
    QString KindProblem() const override;
    int Kind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }

protected:
    KindedPrimitive(const KindTable &kinds, int kind);
    KindedPrimitive(const KindTable &kinds, CCanvas *canvas, int kind);
    KindedPrimitive(const KindedPrimitive &other) = default;

    bool KnownKind() const;
    // The kind's mnemonic; empty for an unknown kind.
    QString Mnemonic() const;

    std::int32_t m_kind;

private:
    const KindTable &m_kinds;
};

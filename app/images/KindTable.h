#pragma once
// The kinds of a primitive class that one number chooses (a marker's, a
// grid's, an image option's, an information box's) as rows: each kind's
// type code (also its icon in the tree), its line's mnemonic and its type
// name. A number no row has is a kind a file may give: it has no type (0),
// no name and no line, and the class's own complaint.

#include <QString>

#include <span>

struct KindRow {
    int kind;
    int type;
    const char *mnemonic;
    unsigned name; // the type name's string
};

class KindTable {
public:
    // problem: the class's complaint about a kind no row has.
    constexpr KindTable(const char *problem, std::span<const KindRow> rows) : m_problem(problem), m_rows(rows) {}

    bool Knows(int kind) const { return Find(kind) != nullptr; }
    int Type(int kind) const;
    QString TypeName(int kind) const;
    QString Mnemonic(int kind) const;
    // The complaint for a kind no row has, else empty.
    QString Problem(int kind) const;

private:
    const KindRow *Find(int kind) const;

    const char *m_problem;
    std::span<const KindRow> m_rows;
};

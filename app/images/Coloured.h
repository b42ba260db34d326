#pragma once
// A primitive of one named colour (a dot, a line, a marker, ...): the
// colour's index is what the editor's colour combo shows and sets.

#include "CNamedColour.h"

template <class Base>
class Coloured : public Base {
public:
    using Base::Base;

    bool HasColour() const override { return true; }
    int GetColour() const override { return m_colour.GetIndex(); }
    // An index out of range leaves the colour.
    void SetColour(int index) override { m_colour.SetIndex(index); }

protected:
    Coloured() = default;
    Coloured(const Coloured &other) = default;

    CNamedColour m_colour{CNamedColour::kWhite};
};

#pragma once
// What every kind of primitive does alike, written once: its detached copy
// (Clone) and its taking of another's values (VirtualAssign). A kind
// derives from PrimitiveKind<Kind> (a box's kinds from
// PrimitiveKind<Kind, CRectangle>), makes it a friend, and gives either
//   Values()                       (static) a tuple of pointers to its
//                                  value members in archive order, which
//                                  TakeValues copies and TransferValues
//                                  keeps;
// or its own
//   TakeValues(const Kind &other)  the other's values (a group's members).
// Its copy constructor copies every member (a group's clones them).

#include "CPrimitive.h"

template <class Kind, class Base = CPrimitive>
class PrimitiveKind : public Base {
public:
    using Base::Base;

    CPrimitive *Clone() const override { return new Kind(static_cast<const Kind &>(*this)); }

    // Another primitive of the same class: the values every primitive
    // shares, then the kind's own; of another class, the base's complaint.
    void VirtualAssign(const CPrimitive &other) override
    {
        const auto *same = dynamic_cast<const Kind *>(&other);
        if (!same) {
            CPrimitive::VirtualAssign(other);
            return;
        }
        this->AssignBase(other);
        static_cast<Kind &>(*this).TakeValues(*same);
    }

protected:
    PrimitiveKind() = default;
    PrimitiveKind(const PrimitiveKind &other) = default;

    void TakeValues(const Kind &other) { CPrimitive::CopyValues(static_cast<Kind &>(*this), other, Kind::Values()); }
    void TransferValues(CArchive &ar) { CPrimitive::TransferValues(ar, static_cast<Kind &>(*this), Kind::Values()); }
};

#pragma once
// What a port id says about its port, for code above the link that must not
// see the port library itself.

#include <cstdint>

// The library's handle of an open port: the type in the high half, the slot
// in the low half.
using PortId = uint32_t;

enum class PortType : uint32_t {
    None = 0,
    Isa = 0x10000,
    Com = 0x20000,
    Pci = 0x40000,
    Gpib = 0x80000,
};

inline PortType PortTypeOf(PortId id)
{
    return PortType(id & 0xFFFF0000u);
}

inline int PortSlotOf(PortId id)
{
    return int(id & 0xFFFFu);
}

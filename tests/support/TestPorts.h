#pragma once
// Port ids and the communication box the tests share, written by hand from the library's
// port-id layout (type in the high half, slot in the low half).

#include "Prompts.h"

#include <morvane.h>

inline constexpr PortId kCom1 = MORVANE_PORT_COM;     // "Com-1"
inline constexpr PortId kCom2 = MORVANE_PORT_COM | 1; // "Com-2"
inline constexpr PortId kIsa3 = MORVANE_PORT_ISA | 3; // "Isa-3"
// The "Communication Error" box's text.
inline constexpr unsigned kCommandErrorId = 33410;
// The flags of the "Communication Error" box.
inline constexpr unsigned kWarningBox = MB_OK | MB_ICONWARNING;

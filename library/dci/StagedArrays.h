// Arrays copied into and out of staged generator memory: on ISA as blocks
// of 16-bit words, on PCI as streams of 16- or 32-bit values. The caller's
// bytes are copied exactly; the transfer itself moves whole units, a last
// partial unit padded with zero bytes, so nothing past the caller's array is
// ever read or written.
#pragma once

#include "Dci.h"

#include <cstddef>
#include <cstdint>

namespace morvane::dci {

// The size of one PCI stream value.
enum class PciUnit : uint8_t { Int16 = 2, Int32 = 4 };

// false when the session is or became dead, or the transfer was refused
// (an ISA address off a 16-bit boundary); nothing is then copied back.
bool PutStaged(Session& session, uint32_t address, const void* data, std::size_t bytes, PciUnit unit);
bool GetStaged(Session& session, uint32_t address, void* data, std::size_t bytes, PciUnit unit);

}  // namespace morvane::dci

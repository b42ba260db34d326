#pragma once
// Packs values into the fractal stream: each value least significant bit
// first, the bits filling each byte from its most significant bit down.

#include <cstdint>
#include <vector>

class FractalBitWriter {
public:
    void Put(uint32_t value, int bits);
    // Pads the last byte with zero bits; nothing when it is already full.
    void Flush();
    const std::vector<uint8_t> &Bytes() const { return m_bytes; }
    uint64_t BitCount() const { return uint64_t(m_bytes.size()) * 8 - (m_used == 0 ? 0 : 8 - m_used); }

private:
    std::vector<uint8_t> m_bytes;
    int m_used = 0; // bits of the last byte taken, 0 when it is complete
};

#include "FractalBitReader.h"

bool FractalBitReader::Get(int bits, uint32_t &value)
{
    if (bits < 0 || m_bit + uint64_t(bits) > uint64_t(m_size) * 8)
        return false;
    uint32_t v = 0;
    for (int i = 0; i < bits; ++i, ++m_bit)
        if (m_data[m_bit / 8] & (0x80u >> (m_bit % 8)))
            v |= 1u << i;
    value = v;
    return true;
}

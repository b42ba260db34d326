#include "FractalBitWriter.h"

void FractalBitWriter::Put(uint32_t value, int bits)
{
    for (int i = 0; i < bits; ++i) {
        if (m_used == 0)
            m_bytes.push_back(0);
        if ((value >> i) & 1u)
            m_bytes.back() |= uint8_t(0x80u >> m_used);
        m_used = (m_used + 1) % 8;
    }
}

void FractalBitWriter::Flush()
{
    m_used = 0;
}

#pragma once
// Reads values of the fractal stream as FractalBitWriter packs them. Never
// reads past its bytes: a value that runs past them is refused.

#include <cstddef>
#include <cstdint>

class FractalBitReader {
public:
    FractalBitReader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    // false, with value untouched, when the data ends first.
    bool Get(int bits, uint32_t &value);

private:
    const uint8_t *m_data;
    size_t m_size;
    uint64_t m_bit = 0;
};

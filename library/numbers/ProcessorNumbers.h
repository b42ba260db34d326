// The graphics processor's number forms, shared by the library's exports
// and the program's memory-file tools so that both write the same bytes.
// The processor keeps the IEEE layout with the mantissa's leading one at
// the field's top bit and the exponent one higher; both forms are stored
// little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

// 8 bytes: 3.0 gives 00 00 00 00 00 00 1C 40. The fraction's lowest bit is
// dropped; zero gives the form of 2^-1023. An infinity or NaN, whose
// exponent would wrap, gives the largest finite form of its sign.
void PackDouble(double value, uint8_t out[8]);
// Eight zero bytes give 0.
double UnpackDouble(const uint8_t in[8]);

// 4 bytes, the same rules: 1.0f gives 00 00 40 40.
void PackFloat(float value, uint8_t out[4]);
double UnpackFloat(const uint8_t in[4]);

// Reverses count bytes in place (2, 4 or 8: a big-endian field made native).
void SwapBytes(uint8_t *bytes, std::size_t count);

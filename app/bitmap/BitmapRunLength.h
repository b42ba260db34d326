#pragma once
// Decoding of run-length bitmap data (8 and 4 bits a pixel) into the rows an
// uncompressed file of the same size would store, bottom row first.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

struct RunLengthImage {
    // Stored rows that received a pixel, by stored row number; rows not
    // here are all index 0. Each holds rowBytes bytes.
    std::map<uint32_t, std::vector<uint8_t>> rows;
};

struct RunLengthShape {
    uint32_t width = 0;    // pixels per row
    uint32_t height = 0;   // rows
    int bitsPerPixel = 8;  // 8 or 4
    uint32_t rowBytes = 0; // stored row length, padding included
};

// Decodes data[0..size) into image. Returns 0 on success, else the string
// id of the reason the data is refused. Never reads outside data.
unsigned DecodeRunLength(const uint8_t *data, size_t size, const RunLengthShape &shape, RunLengthImage &image);

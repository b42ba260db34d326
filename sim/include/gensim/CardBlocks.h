// The card routines that move pixel blocks, code run-length blocks, do the
// processor's 16.16 arithmetic, format numbers as text, count frames, take
// format fields and flash the card from video memory. The rules here are
// what the tests compute their pixels and numbers from.
//
// Pixel blocks (staged buffers in the card's heap; an address may point into
// a block, and only the block's bytes from there are read or written):
// - XR_GetRect (width, height, x, y, buffer, pitch) and XR_PutRect (buffer,
//   pitch, width, height, x, y): row r at buffer + r * pitch. ISA: pitch in
//   bits, pixel c of a row in the 8 bits from bit 8c, bits from bit 0 of each
//   16-bit word (byte k holds bits 8k to 8k + 7). PCI: pitch in 32-bit words,
//   a word per pixel, its low byte the pixel.
// - XR_BitExpand (buffer, pitch, width, height, x, y): pitch in bits on both
//   cards; bit r * pitch + c (bit i in byte i / 8, bit i % 8) is 1: colour 1;
//   0: colour 0 when opaque, untouched when transparent.
// - XR_PixelExpand (buffer, pitch, size, width, height, x, y): ISA source
//   pixels of size bits (1, 2, 4 or 8; others draw nothing) from bit
//   r * pitch + c * size; PCI a word per pixel as XR_PutRect. The value's low
//   byte is drawn.
// - XR_ZoomRect (space, width, height, x, y, to x, to y, factor): each pixel
//   of the source rectangle becomes a factor x factor square from (to x,
//   to y); nothing when the work space is under width * height bytes, the
//   factor is not 1 to 64 or the sizes are not positive.
// Drawing goes through the viewport (origin, clip rectangle, pmask); the
// copies (PutRect, PixelExpand, ZoomRect, RunDecode) skip source 0 when
// transparent. Reads take screen pixels from the origin, 0 off the screen.
// Sizes whose pixel count is negative or above kMaxUnits draw nothing.
//
// Run-length blocks, 16-bit little-endian words: kRunMark, width, height,
// the block's length in bytes (header included), then runs: count in the
// high byte (1-255), pixel in the low byte, filling rows left to right, top
// to bottom. XR_RunEncode (width, height, x, y, buffer, size) codes the
// rectangle and returns the length, or 0 (nothing written) when it does not
// fit size or the block; XR_RunDecode (x, y, block) draws a block and stops
// at the first fault (bad mark, sizes, a length outside the staged block, a
// zero count, runs past the pixels).
//
// 16.16 maths (Fix: 0x10000 is 1.0). A matrix is 16 Fix, row by row; a
// vertex x, y, z. Products: the exact sum of the 64-bit products, shifted
// right 16 (floor), kept to 32 bits. XR_Rotate, XR_Scale, XR_Translate (matrix, vertex): matrix :=
// matrix * T, T the rotation by vertex x, then y, then z degrees (cos and
// sin rounded to Fix; Rx rows (1 0 0 0)(0 c s 0)(0 -s c 0)(0 0 0 1), Ry
// (c 0 -s 0)(0 1 0 0)(s 0 c 0)(0 0 0 1), Rz (c s 0 0)(-s c 0 0)(0 0 1 0)
// (0 0 0 1), one product each), the scale diag(x, y, z, 1) or the
// translation with x, y, z in row 3. XR_Transform (matrix, n, vertices):
// each v := (x, y, z, 1) * matrix, its first three. XR_VertexToPoint (n,
// vertices, points): (round(x), round(y)); XR_Perspec (n, vertices, points,
// distance, cx, cy): D = distance << 16, den = D + z; den = 0 gives (cx, cy),
// else (cx + ((x * D / den) >> 16), cy + ((y * D / den) >> 16)), the divisions
// toward zero. Round(f) = (f + 0x8000) >> 16; points keep to int16. The
// conversions (n, in, out) return out: Int32ToFix and Int16ToFix v << 16,
// FixToInt32 round(v), FixToInt16 round(v) kept to int16. Counts outside
// 0-32767 or arrays past their blocks do nothing. XR_Round (value):
// trunc(value + 0.5) kept to int32; XR_TimesDivide (a, b, c): a * b / c in
// 64 bits toward zero, kept to int32, 0 when c is 0.
//
// Number text: XR_itoaf (value, out, width, precision, format) and XR_ftoa
// (value, out, width, precision, format) write into the 40-byte out the
// format's text with its one conversion %[-0][width][.precision](d|x|X|f)
// ("%%" is a percent sign); a width or precision the format lacks comes from
// the arguments (precision < 0: 6 for %f). %d and %x take the value truncated
// toward zero (%x of a negative value: its 32-bit pattern), %f six places by
// default, correctly rounded. At most 39 characters and a NUL; the result is
// the characters written.
//
// Frames: the counter runs at frameRate (60 Hz unless set); XR_WaitFrame
// (frame) finishes when the counter reaches frame and returns the counter
// then; XR_WaitFrames (n) finishes n frames later; XR_WaitScan (line) when
// the beam next reaches the line, the screen's height in lines to a frame
// (a line off the screen: the next frame's start). Waits longer than
// kLongestWaitMs finish then.
//
// Format fields: XR_fmtn, XR_name, XR_fmta, XR_fmtl (staged name), XR_fmtb,
// XR_fmte, XR_fmtu, XR_hrat, XR_avss (a double) and the integer fields run
// the generator's command of the same mnemonic; XR_xvsg (flags) runs
// "XVSG a b c" with a = bit 2, b = bit 1, c = bit 0.
//
// Flash from video memory (PCI function 198): each 4-byte group of video
// memory is turned back to the file's byte order and checked as firmware.bin:
// the big-endian size at 252 (256 to the video memory's size, else 32), the
// big-endian double at 240 (a finite version from 7.0 below 100, else 16;
// its thousandths digit 5 marks PCI firmware, else 64) and, from version
// 7.002, the 16-bit sums of the big-endian words at even and odd word
// indices (words 124 and 125 left out) against the big-endian words at 248
// and 250 (a bad sum: 1 with 2 for even, 4 for odd). A good image is kept
// and the call finishes cleanly; a fault ends it with 0x70 and the result
// word at +12.
#pragma once

#include <cstdint>
#include <optional>

namespace gensim {

namespace blocks {

constexpr int64_t kMaxUnits = int64_t{16} << 20;
constexpr uint16_t kRunMark = 0x4C52;  // "RL"
constexpr int kRunHeaderBytes = 8;
constexpr int kTextBytes = 40;
constexpr double kDefaultFrameRate = 60.0;
constexpr int kLongestWaitMs = 60000;

// Flash result words.
constexpr uint32_t kFlashNoBoards = 8;
constexpr uint32_t kFlashBadVersion = 16;
constexpr uint32_t kFlashBadSize = 32;
constexpr uint32_t kFlashBadId = 64;
constexpr uint32_t kFlashNoMemory = 0x20000;
constexpr uint32_t kFlashChecksum = 1;
constexpr uint32_t kFlashEvenBad = 2;
constexpr uint32_t kFlashOddBad = 4;
constexpr uint32_t kFlashFailed = 0x70;  // the result code of a failed flash

} // namespace blocks

// What a test scripts into the flash from video memory.
struct FlashFaults {
    std::optional<uint32_t> word{};  // end with 0x70 and this result word, whatever the image
    bool neverFinishes = false;
    int finishMs = 0;                // the flash finishes this much later
};

} // namespace gensim

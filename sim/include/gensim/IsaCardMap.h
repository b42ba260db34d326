// Where things lie in an ISA card's processor memory, for each firmware
// build: the stores the firmware keeps its memory files in and the routines
// that unpack them (the build's memory map), the words of the host
// interface, the direct calls' buffers and staging heap, video memory, the
// hardware identity and the flash windows. Addresses are the processor's
// bit addresses: a 16-bit word is 16 apart, a byte 8.
//
// A build is found from the firmware version as the firmware's own map is:
// key = version x 1000, truncated and capped at 3000 (so every version from
// 3.0 on is build 3000). A version with more than three decimals below 3.0,
// or a key without a row, has only the system record and the format store.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace gensim {

struct IsaRegion {
    std::string_view name;
    uint32_t first;  // bit address of its first word
    uint32_t words;  // 16-bit words

    uint64_t end() const { return first + uint64_t{words} * 16; }  // just past it
    bool contains(uint32_t address) const { return address >= first && address < end(); }
    bool overlaps(const IsaRegion& other) const { return first < other.end() && other.first < end(); }
};

namespace isa {

// The same in every build.
constexpr IsaRegion kVideo{"video memory", 0x00000000, 1u << 20};  // 2 MB, a byte per pixel
constexpr IsaRegion kIdentity{"hardware identity", 0x06000000, 48};
constexpr IsaRegion kIoRegisters{"processor I/O registers", 0xC0000000, 32};
constexpr IsaRegion kRam{"processor RAM", 0xFF000000, 0x20000};  // holds the regions below up to the heap
constexpr IsaRegion kSystemRecord{"system record (system.sys)", 0xFF000000, 72};
constexpr IsaRegion kCharacters{"character words (host to generator, back)", 0xFF1FB000, 2};
constexpr IsaRegion kCallArguments{"direct-call arguments", 0xFF1FC000, 256};
constexpr IsaRegion kCallResult{"direct-call result", 0xFF1FD000, 2};
constexpr IsaRegion kQueryAnswer{"variable query answer", 0xFF1FD100, 4};
constexpr IsaRegion kStagingHeap{"direct-call staging heap", 0xFF200000, 0x60000};  // 768 KB
// The flash parts: programmed through the write window (their unlock
// addresses 0xFF855550 and 0xFF82AAA0 inside it), read back through the ROM.
constexpr IsaRegion kFlashWrite{"flash write window", 0xFF800000, 0x40000};
constexpr IsaRegion kFlashRom{"flash ROM", 0xFFC00000, 0x40000};

constexpr uint32_t kInputWord = kCharacters.first;
constexpr uint32_t kOutputWord = kCharacters.first + 16;

// Sizes of the stores, in 16-bit words.
constexpr uint32_t kFormatStoreWords = 10800;  // format.mem, 21600 bytes
constexpr uint32_t kImageStoreWords = 12288;   // image.mem, 24576 bytes
constexpr uint32_t kPathTableWords = 64;       // path.mem, 128 bytes
constexpr uint32_t kDirectoryWords = 4096;     // dir.mem: 1024 records of 8 bytes
constexpr uint32_t kKnobListWords = 512;       // a .knb file: 128 records of 8 bytes

// Bytes of the sequence store the firmware walks.
uint32_t sequenceStoreBytes(double firmware);

} // namespace isa

// One build's memory map; 0 where the build has no such table or routine.
struct IsaBuild {
    int key;
    uint32_t format;
    uint32_t image;
    uint32_t sequence;
    uint32_t directory;
    uint32_t path;
    uint32_t formatKnobs;
    uint32_t imageKnobs;
    uint32_t sequenceKnobs;
    uint32_t formatUnpack;
    uint32_t imageUnpack;
    uint32_t sequenceUnpack;
    uint32_t directoryUnpack;
    uint32_t pathUnpack;
};

// Every build with a row, in key order.
const std::vector<IsaBuild>& isaBuilds();
// The build a firmware version runs (key 0 when it has no row).
IsaBuild isaBuildOf(double firmware);
// Every region of the card under that build (the RAM that holds some of
// them not counted); no two overlap.
std::vector<IsaRegion> isaRegions(const IsaBuild& build);

} // namespace gensim

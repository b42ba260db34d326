// The flash parts behind an ISA card's host port: their commands, the ID
// each type shows, type 0's sector loads and type 1's erase and word
// programs with the status bits a host polls, and the faults a card's
// settings set. Then the card model: the windows reach the parts only on a
// card whose memory holds the ROM.
#include "CardMemory.h"
#include "IsaFlashParts.h"
#include "IsaHostModel.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <vector>

namespace driver::test {
namespace {

constexpr uint32_t kUnlock1Address = IsaFlashParts::kWriteWindow + IsaFlashParts::kUnlock1 * 16;
constexpr uint32_t kUnlock2Address = IsaFlashParts::kWriteWindow + IsaFlashParts::kUnlock2 * 16;

uint32_t WriteAt(uint32_t word) { return IsaFlashParts::kWriteWindow + word * 16; }
uint32_t ReadAt(uint32_t word) { return IsaFlashParts::kReadWindow + word * 16; }

struct Parts {
    explicit Parts(uint16_t type) { IsaFlashParts::Fit(settings.data(), type); }

    void Command(uint16_t command, bool wide)
    {
        model.Write(kUnlock1Address, wide ? 0xAAAA : 0xAA);
        model.Write(kUnlock2Address, wide ? 0x5555 : 0x55);
        model.Write(kUnlock1Address, command);
    }
    uint16_t Read(uint32_t word)
    {
        uint16_t value = 0;
        EXPECT_TRUE(model.Read(ReadAt(word), value));
        return value;
    }
    // Reads until the bits of mask equal those of wanted; the reads it took,
    // or -1 past limit.
    int Poll(uint32_t word, uint16_t mask, uint16_t wanted, int limit = 100)
    {
        for (int reads = 1; reads <= limit; ++reads)
            if ((Read(word) & mask) == (wanted & mask))
                return reads;
        return -1;
    }

    std::vector<uint16_t> flash = std::vector<uint16_t>(IsaFlashParts::kWords, 0x1234);
    std::array<uint16_t, IsaFlashParts::kSettingWords> settings{};
    IsaFlashParts model{flash.data(), settings.data()};
};

TEST(IsaFlashParts, EachTypeShowsItsIdInTheIdModeOnly)
{
    const struct {
        uint16_t type;
        bool wide;  // the query's form
        uint16_t faults;
        uint16_t id;
    } cases[] = {
        {0, true, 0, IsaFlashParts::kType0Id},
        {0, false, 0, IsaFlashParts::kType0Id},  // the low bytes count
        {1, false, 0, IsaFlashParts::kType1Id},
        {1, true, 0, IsaFlashParts::kType1Id},
        {0, true, IsaFlashParts::kUnknownId, 0x1F1F},
        {1, false, IsaFlashParts::kUnknownId, 0x1F1F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " wide " << c.wide << " faults " << c.faults);
        Parts parts(c.type);
        parts.settings[IsaFlashParts::kFaults] = c.faults;
        EXPECT_EQ(parts.Read(1), 0x1234);
        parts.Command(c.wide ? 0x9090 : 0x90, c.wide);
        EXPECT_EQ(parts.Read(1), c.id);
        EXPECT_EQ(parts.Read(2), 0x1234) << "only word 1 shows the ID";
        parts.Command(c.wide ? 0xF0F0 : 0xF0, c.wide);
        EXPECT_EQ(parts.Read(1), 0x1234);
    }
    // Type 1 also leaves the ID mode at a reset word written to word 0.
    Parts parts(1);
    parts.Command(0x90, false);
    parts.model.Write(WriteAt(0), 0xF0);
    EXPECT_EQ(parts.Read(1), 0x1234);
    EXPECT_EQ(parts.flash[0], 0x1234) << "the reset word programs nothing";
}

TEST(IsaFlashParts, Type0LoadsWholeWordsOnceEnabledAndShowsItsStatus)
{
    Parts parts(0);
    parts.model.Write(WriteAt(5), 0x0001);
    EXPECT_EQ(parts.flash[5], 0x1234) << "writes are not enabled yet";
    parts.Command(0xA0A0, true);
    for (uint32_t n = 0; n < 256; ++n)
        parts.model.Write(WriteAt(256 + n), uint16_t(0x8000 + n));
    EXPECT_EQ(parts.flash[256], 0x8000);
    EXPECT_EQ(parts.flash[511], 0x80FF);
    // The status bits of the last word come inverted while the sector programs.
    EXPECT_EQ(parts.Poll(511, 0x8080, 0x80FF), IsaFlashParts::kLoadBusyReads + 1);
    // The unlock words inside a sector load as data when no command follows.
    parts.model.Write(WriteAt(IsaFlashParts::kUnlock1), 0x00AA);
    parts.model.Write(WriteAt(IsaFlashParts::kUnlock1 + 1), 0x0055);
    EXPECT_EQ(parts.flash[IsaFlashParts::kUnlock1], 0x00AA);
    EXPECT_EQ(parts.flash[IsaFlashParts::kUnlock1 + 1], 0x0055);
}

TEST(IsaFlashParts, Type1ErasesTheChipAndProgramsArmedWordsByClearingBits)
{
    Parts parts(1);
    parts.model.Write(WriteAt(3), 0x0000);
    EXPECT_EQ(parts.flash[3], 0x1234) << "a word program needs its command";
    parts.Command(0x80, false);
    parts.Command(0x10, false);
    EXPECT_EQ(parts.model.Erases(), 1);
    EXPECT_EQ(parts.Poll(0, 0x80, 0x80), IsaFlashParts::kEraseBusyReads + 1) << "bit 7 rises when the erase is done";
    EXPECT_EQ(parts.Read(12345), 0xFFFF);

    parts.Command(0xA0, false);
    parts.model.Write(WriteAt(7), 0x5A0F);
    EXPECT_EQ(parts.Poll(7, 0x80, 0x0F), IsaFlashParts::kProgramBusyReads + 1);
    EXPECT_EQ(parts.Read(7), 0x5A0F);
    parts.model.Write(WriteAt(8), 0x0000);
    EXPECT_EQ(parts.Read(8), 0xFFFF) << "one command arms one word";
    parts.Command(0xA0, false);
    parts.model.Write(WriteAt(7), 0xFFF0);
    EXPECT_EQ(parts.flash[7], 0x5A00) << "programming clears bits, never sets them";

    // 0x10 without 0x80 before it erases nothing.
    parts.Command(0x10, false);
    EXPECT_EQ(parts.model.Erases(), 1);
    EXPECT_EQ(parts.flash[7], 0x5A00);
}

TEST(IsaFlashParts, FaultsFromTheSettings)
{
    // A stuck bit is held by the cell: loaded, programmed or read.
    for (uint16_t type : {0, 1}) {
        SCOPED_TRACE(type);
        Parts parts(type);
        parts.settings[IsaFlashParts::kStuckWordLow] = 0x0010;
        parts.settings[IsaFlashParts::kStuckWordHigh] = 0x0001;
        parts.settings[IsaFlashParts::kStuckMask] = 0x0080;
        if (type == 1) {
            parts.Command(0x80, false);
            parts.Command(0x10, false);
            parts.Poll(0, 0x80, 0x80);
            parts.Command(0xA0, false);
        } else {
            parts.Command(0xA0A0, true);
        }
        parts.model.Write(WriteAt(0x10010), 0x00FF);
        EXPECT_EQ(parts.flash[0x10010], 0x007F);
        EXPECT_EQ(parts.Poll(0x10010, 0x80, 0x80, 20), -1) << "bit 7 never shows what was written";
    }
    // An endless erase reads 0 for ever and erases nothing.
    Parts erase(1);
    erase.settings[IsaFlashParts::kFaults] = IsaFlashParts::kEndlessErase;
    erase.Command(0x80, false);
    erase.Command(0x10, false);
    EXPECT_EQ(erase.Poll(0, 0x80, 0x80, 1000), -1);
    EXPECT_EQ(erase.flash[0], 0x1234);
    // A type 0 sector that never settles.
    Parts busy(0);
    busy.settings[IsaFlashParts::kBusySector] = 2;
    EXPECT_EQ(busy.Poll(0x2FF, 0x8080, 0x1234, 1000), -1);
    EXPECT_EQ(busy.Poll(0x300, 0x8080, 0x1234), 1);
    // No parts: the windows read as nothing and take nothing.
    Parts none(IsaFlashParts::kNoParts);
    none.Command(0xA0A0, true);
    none.model.Write(WriteAt(0), 0);
    EXPECT_EQ(none.Read(0), 0xFFFF);
    EXPECT_EQ(none.flash[0], 0x1234);
}

TEST(IsaFlashParts, OnlyTheWindowsAreTheParts)
{
    Parts parts(0);
    uint16_t value = 0;
    EXPECT_FALSE(parts.model.Read(IsaFlashParts::kWriteWindow - 16, value));
    EXPECT_FALSE(parts.model.Write(IsaFlashParts::kWriteWindow - 16, 0));
    EXPECT_TRUE(parts.model.Read(WriteAt(0), value));
    EXPECT_EQ(value, 0xFFFF) << "the write window reads as nothing";
    EXPECT_TRUE(parts.model.Write(ReadAt(4), 0)) << "the ROM takes no write";
    EXPECT_EQ(parts.flash[4], 0x1234);
    EXPECT_TRUE(parts.model.Read(ReadAt(IsaFlashParts::kWords - 1), value));
}

// A card's memory with or without the ROM region, as the driver hands it over.
struct FlashCardFile {
    static constexpr uint32_t kRom = 0x1000;
    static constexpr uint32_t kRegisters = kRom + IsaHostModel::kFlashRomBytes;
    static constexpr uint32_t kSize = kRegisters + 4096;

    FlashCardFile()
    {
        fd.Reset(memfd_create("flash-card-test", MFD_CLOEXEC));
        EXPECT_EQ(ftruncate(fd.Get(), kSize), 0);
        void* p = mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
        EXPECT_NE(p, MAP_FAILED);
        bytes = static_cast<uint8_t*>(p);
        IsaFlashParts::Fit(Settings(), 1);
    }
    ~FlashCardFile() { munmap(bytes, kSize); }

    uint16_t* Rom() { return reinterpret_cast<uint16_t*>(bytes + kRom); }
    uint16_t* Settings() { return reinterpret_cast<uint16_t*>(bytes + kRegisters + IsaHostModel::kFlashSettingsAt); }
    std::shared_ptr<CardMemory> Map(bool withRom)
    {
        RegisterAnswer answer;
        answer.handle = 3;
        answer.hasMemory = true;
        answer.fileSize = kSize;
        answer.registerBlock = kRegisters;
        answer.regions = {{0xFF000000, 0x1000, 0}};
        if (withRom)
            answer.regions.push_back({IsaFlashParts::kReadWindow, IsaHostModel::kFlashRomBytes, kRom});
        return CardMemory::Map(UniqueFd(dup(fd.Get())), answer);
    }

    UniqueFd fd;
    uint8_t* bytes = nullptr;
};

void HostWrite(IsaHostModel& model, uint32_t address, uint16_t value)
{
    model.WriteRegister(IsaHostModel::kAddressLow, uint16_t(address));
    model.WriteRegister(IsaHostModel::kAddressHigh, uint16_t(address >> 16));
    model.WriteRegister(IsaHostModel::kData, value);
}

uint16_t HostRead(IsaHostModel& model, uint32_t address)
{
    model.WriteRegister(IsaHostModel::kAddressLow, uint16_t(address));
    model.WriteRegister(IsaHostModel::kAddressHigh, uint16_t(address >> 16));
    return model.ReadRegister(IsaHostModel::kData);
}

TEST(IsaHostModelFlash, TheHostPortReachesThePartsOfACardWithTheRom)
{
    FlashCardFile file;
    file.Rom()[9] = 0x0F0F;
    IsaHostModel model(nullptr, 3, file.Map(true));
    ASSERT_NE(model.FlashParts(), nullptr);
    HostWrite(model, kUnlock1Address, 0xAA);
    HostWrite(model, kUnlock2Address, 0x55);
    HostWrite(model, kUnlock1Address, 0x90);
    EXPECT_EQ(HostRead(model, ReadAt(1)), IsaFlashParts::kType1Id);
    HostWrite(model, ReadAt(9), 0);
    EXPECT_EQ(file.Rom()[9], 0x0F0F) << "the ROM window takes no write";
    // The settings are the card's: a change shows at the next access.
    file.Settings()[IsaFlashParts::kFaults] = IsaFlashParts::kUnknownId;
    EXPECT_NE(HostRead(model, ReadAt(1)), IsaFlashParts::kType1Id);

    IsaHostModel plain(nullptr, 3, file.Map(false));
    EXPECT_EQ(plain.FlashParts(), nullptr);
    EXPECT_EQ(HostRead(plain, ReadAt(9)), 0xFFFF) << "no ROM, no parts";
}

}  // namespace
}  // namespace driver::test

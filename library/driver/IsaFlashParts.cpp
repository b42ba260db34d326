#include "IsaFlashParts.h"

namespace driver {

namespace {

constexpr uint16_t kUnknownIdWord = 0x1F1F;
constexpr uint16_t kType0Status = 0x8080;
constexpr uint16_t kType1Status = 0x0080;

uint16_t Low(uint16_t value)
{
    return value & 0xFF;
}

}  // namespace

void IsaFlashParts::Fit(uint16_t* settings, uint16_t type)
{
    settings[kPartType] = type;
    settings[kFaults] = 0;
    settings[kStuckWordLow] = 0xFFFF;
    settings[kStuckWordHigh] = 0xFFFF;
    settings[kStuckMask] = 0;
    settings[kBusySector] = 0xFFFF;
}

uint16_t IsaFlashParts::StuckMask(uint32_t word) const
{
    const uint32_t stuck = uint32_t(settings_[kStuckWordHigh]) << 16 | settings_[kStuckWordLow];
    return word == stuck ? static_cast<uint16_t>(~settings_[kStuckMask]) : 0xFFFF;
}

void IsaFlashParts::Busy(int reads, uint16_t mask, uint16_t written)
{
    busyReads_ = reads;
    busyMask_ = mask;
    busyStatus_ = static_cast<uint16_t>(~written);
}

int IsaFlashParts::Type() const
{
    const uint16_t type = settings_[kPartType];
    return type <= 1 ? type : -1;
}

bool IsaFlashParts::Read(uint32_t address, uint16_t& value)
{
    if (address < kWriteWindow)
        return false;
    if (address < kReadWindow) {
        value = 0xFFFF;  // the write window reads as nothing
        return true;
    }
    const uint32_t word = (address - kReadWindow) >> 4;
    if (Type() < 0) {
        value = 0xFFFF;
        return true;
    }
    if (idMode_ && word == 1) {
        value = (settings_[kFaults] & kUnknownId) ? kUnknownIdWord : Type() == 0 ? kType0Id : kType1Id;
        return true;
    }
    if (erasingForever_) {
        value = 0;
        return true;
    }
    value = static_cast<uint16_t>(flash_[word] & StuckMask(word));
    if (Type() == 0 && word / 256 == settings_[kBusySector])
        value ^= kType0Status;
    if (busyReads_ > 0) {
        // While busy the status bits show the complement of what was written.
        --busyReads_;
        value = static_cast<uint16_t>((value & ~busyMask_) | (busyStatus_ & busyMask_));
    }
    return true;
}

bool IsaFlashParts::Write(uint32_t address, uint16_t value)
{
    if (address < kWriteWindow)
        return false;
    if (address >= kReadWindow || Type() < 0)
        return true;
    pending_.push_back({(address - kWriteWindow) >> 4, value});
    while (!pending_.empty()) {
        const auto& p = pending_;
        const bool first = p[0].first == kUnlock1 && Low(p[0].second) == 0xAA;
        const bool second = p.size() < 2 || (p[1].first == kUnlock2 && Low(p[1].second) == 0x55);
        const bool third = p.size() < 3 || p[2].first == kUnlock1;
        if (first && second && third) {
            if (p.size() < 3)
                return true;  // the rest of the command may follow
            const uint16_t command = Low(p[2].second);
            pending_.clear();
            Command(command);
            return true;
        }
        // Not a command after all: its writes are data, in order.
        Data(pending_.front().first, pending_.front().second);
        pending_.pop_front();
    }
    return true;
}

void IsaFlashParts::Command(uint16_t command)
{
    switch (command) {
    case 0x90: idMode_ = true; break;
    case 0xF0: idMode_ = false; break;
    case 0xA0:
        if (Type() == 0)
            writesEnabled_ = true;
        else
            armed_ = true;
        break;
    case 0x80: eraseArmed_ = true; break;
    case 0x10:
        if (eraseArmed_ && Type() == 1) {
            ++erases_;
            if (settings_[kFaults] & kEndlessErase) {
                erasingForever_ = true;
            } else {
                for (uint32_t n = 0; n < kWords; ++n)
                    flash_[n] = 0xFFFF;
                Busy(kEraseBusyReads, 0xFFFF, 0xFFFF);
            }
        }
        eraseArmed_ = false;
        break;
    default: break;
    }
}

void IsaFlashParts::Data(uint32_t word, uint16_t value)
{
    if (Type() == 1 && word == 0 && Low(value) == 0xF0 && !armed_) {
        idMode_ = false;
        return;
    }
    if (Type() == 0 && writesEnabled_) {
        flash_[word] = static_cast<uint16_t>(value & StuckMask(word));  // a sector load writes whole words
        Busy(kLoadBusyReads, kType0Status, value);
        return;
    }
    if (Type() == 1 && armed_) {
        flash_[word] = static_cast<uint16_t>(flash_[word] & value & StuckMask(word));  // programming only clears bits
        armed_ = false;
        Busy(kProgramBusyReads, kType1Status, value);
    }
}

}  // namespace driver

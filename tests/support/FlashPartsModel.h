#pragma once
// Flash parts behind a graphics processor's host port, as a test's stand-in
// library answers GspRead and GspWrite for a firmware download: the card's
// identity words, the unlock sequences at words 0x5555 and 0x2AAA, the part
// ID at read-window word 1 (0xDADA for type 0, 0x22xx for type 1), type 0's
// sector loads and type 1's chip erase and word programs with bit 7 showing
// the state, and the faults a test sets: a stuck bit, an endless erase, a
// sector that never finishes.

#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

class FlashPartsModel {
public:
    static constexpr uint32_t kWords = 0x40000;
    static constexpr uint32_t kWriteWindow = 0xFF800000;
    static constexpr uint32_t kReadWindow = 0xFFC00000;
    static constexpr uint32_t kUnlock1 = 0x5555;
    static constexpr uint32_t kUnlock2 = 0x2AAA;

    int partType = 0;                      // 0, 1, or -1: no part the host knows
    std::map<uint32_t, uint16_t> identity; // host-port word address -> word
    int stuckWord = -1;                    // this word reads with stuckMask cleared
    uint16_t stuckMask = 0;
    bool endlessErase = false;
    int busySector = -1;                   // type 0: its status never settles
    std::vector<uint16_t> flash = std::vector<uint16_t>(kWords, 0xFFFF);
    int erases = 0;

    uint16_t Read(uint32_t address)
    {
        if (auto it = identity.find(address); it != identity.end())
            return it->second;
        if (address < kReadWindow || address - kReadWindow >= kWords * 16)
            return 0;
        const uint32_t word = (address - kReadWindow) / 16;
        if (m_idMode && word == 1)
            return partType == 0 ? 0xDADA : partType == 1 ? 0x22D6 : flash[1];
        if (m_erasing)
            return 0x0000;
        uint16_t value = flash[word];
        if (int(word) == stuckWord)
            value &= uint16_t(~stuckMask);
        if (partType == 0 && busySector >= 0 && word / 256 == uint32_t(busySector))
            value ^= 0x8080;
        return value;
    }

    void Write(uint32_t address, uint16_t value)
    {
        if (address < kWriteWindow || address - kWriteWindow >= kWords * 16)
            return;
        const uint32_t word = (address - kWriteWindow) / 16;
        m_pending.push_back({word, value});
        // A command is three writes: AA at 0x5555, 55 at 0x2AAA, the command at 0x5555.
        const auto low = [](uint16_t v) { return v & 0xFF; };
        while (!m_pending.empty()) {
            const auto& p = m_pending;
            const bool first = p[0].first == kUnlock1 && low(p[0].second) == 0xAA;
            const bool second = p.size() < 2 || (p[1].first == kUnlock2 && low(p[1].second) == 0x55);
            const bool third = p.size() < 3 || p[2].first == kUnlock1;
            if (first && second && third) {
                if (p.size() < 3)
                    return; // wait for the rest
                Command(low(p[2].second));
                m_pending.clear();
                return;
            }
            Data(p.front().first, p.front().second);
            m_pending.pop_front();
        }
    }

private:
    void Command(int command)
    {
        switch (command) {
        case 0x90: m_idMode = true; break;
        case 0xF0: m_idMode = false; break;
        case 0xA0: m_armed = true; m_loading = partType == 0; break;
        case 0x80: m_eraseArmed = true; break;
        case 0x10:
            if (m_eraseArmed && partType == 1) {
                ++erases;
                if (endlessErase)
                    m_erasing = true;
                else
                    flash.assign(kWords, 0xFFFF);
            }
            m_eraseArmed = false;
            break;
        default: break;
        }
    }

    void Data(uint32_t word, uint16_t value)
    {
        if (partType == 1 && value == 0xF0 && word == 0) {
            m_idMode = false;
            return;
        }
        if (partType == 0 && m_loading) {
            flash[word] = value; // a sector load writes whole words
            return;
        }
        if (partType == 1 && m_armed) {
            flash[word] &= value; // programming only clears bits
            m_armed = false;
        }
    }

    std::deque<std::pair<uint32_t, uint16_t>> m_pending;
    bool m_idMode = false;
    bool m_armed = false;
    bool m_loading = false;
    bool m_eraseArmed = false;
    bool m_erasing = false;
};

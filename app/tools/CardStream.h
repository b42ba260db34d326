#pragma once
// A download file sent to the maker's stream card through the kernel
// driver, in blocks of kBlockBytes. The card is opened before the generator
// is told to expect the data, so a card that cannot be had leaves the
// generator untouched; it is released when the stream goes.

#include <QString>

#include <cstdint>
#include <cstdio>

class CProgressDlg;

class CardStream
{
public:
    static constexpr int kBlockBytes = 512000;

    CardStream() = default;
    ~CardStream();
    CardStream(const CardStream&) = delete;
    CardStream& operator=(const CardStream&) = delete;

    // Whether the driver answers and the maker's card is held.
    bool Open();
    bool IsOpen() const { return m_card != 0; }
    // Sends the rest of f, a block at a time (progress line 1030 "Sent: %d
    // Bytes" after each); false at the first block the card did not take
    // whole. Every call runs on the port thread.
    bool Send(FILE* f, CProgressDlg* progress);
    void Close();

    // Bytes the card took, and the blocks sent.
    int64_t Sent() const { return m_sent; }
    int Blocks() const { return m_blocks; }

private:
    uint32_t m_card = 0;
    int64_t m_sent = 0;
    int m_blocks = 0;
};

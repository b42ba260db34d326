#include "CardStream.h"

#include "CProgressDlg.h"
#include "KernelDriverAccess.h"
#include "LinkRoutines.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "ToolLibrary.h"

#include <new>
#include <vector>

CardStream::~CardStream()
{
    Close();
}

bool CardStream::Open()
{
    Close();
    uint32_t card = 0;
    LinkRoutines::Run(0, [&card](ToolLibrary& lib) {
        if (lib.Driver().WinDriverOpen())
            card = lib.Driver().PciCardOpen(true);
    });
    m_card = card;
    m_sent = 0;
    m_blocks = 0;
    return m_card != 0;
}

bool CardStream::Send(FILE* f, CProgressDlg* progress)
{
    if (m_card == 0 || f == nullptr)
        return false;
    std::vector<uint8_t> block;
    try {
        block.resize(kBlockBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (progress)
        progress->SetStatus(IDC_STATUS2, LoadString(IDS_IMGDL_SENDING));
    while (true) {
        const size_t read = std::fread(block.data(), 1, block.size(), f);
        if (read == 0)
            return std::ferror(f) == 0;
        int taken = -1;
        const bool ran = LinkRoutines::Run(0, [&](ToolLibrary& lib) {
            taken = lib.Driver().PciCardTransfer(m_card, block.data(), int(read));
        });
        ++m_blocks;
        // A short block would leave the generator waiting for the rest.
        if (!ran || taken != int(read))
            return false;
        m_sent += taken;
        if (progress)
            progress->SetStatus(IDC_STATUS2, FormatString(IDS_FILE_BYTES_SENT, {QString::number(m_sent)}));
    }
}

void CardStream::Close()
{
    if (m_card == 0)
        return;
    const uint32_t card = m_card;
    m_card = 0;
    LinkRoutines::Run(0, [card](ToolLibrary& lib) { lib.Driver().PciCardClose(card); });
}

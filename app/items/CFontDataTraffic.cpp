// Fonts between the PC and generators. An upload is FNTB, the name (FNTN),
// the header (FDTA 0 k), the allocation (FNTG), one FDTA a table entry and
// the store (FNTA); a recall is FNTB, FNTL name and one FDTA? a header
// value and entry. Each is one operation: its first refused command shows
// the one box and halts the rest. Whatever ends a transfer once FNTB went
// out, the generator is put back with "FNTN " and "FNTE ".

#include "CFontData.h"
#include "TransferSession.h"
#include "TransferSteps.h"

#include "CGenerator.h"
#include "CProgressDlg.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QWidget>

#include <new>

namespace {

// FDTA 0 k of the header values in FontData::Header's order; 8 is not one.
constexpr int kFontHeaderSlots[FontData::kHeaderValues] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12};

// The progress line of each table (1-4).
constexpr unsigned kFontTableLines[] = {IDS_FONT_BITMAP_LINE, IDS_FONT_OFFSET_WIDTH_LINE, IDS_FONT_IMAGE_WIDTH_LINE,
                                    IDS_FONT_IMAGE_WIDTH_LINE};

// Largest entry of each table.
constexpr std::int64_t kFontTableMax[] = {0xFFFFFFFF, 0xFFFF, 0xFFFF, 0xFF};

const StoredKind kFontKind = {&CGenerator::FontsSupported, IDS_FONT_NOT_SUPPORTED, IDS_FONT_TRANSMIT_ERROR,
                               IDS_FONT_ERROR, IDS_FONT_NOT_SENT, IDS_FONT_NOT_RECALLED, IDS_FONT_NOT_COPIED};

TransferSession FontSession(CGenerator &g)
{
    return TransferSession(g, &CGenerator::CmdFntb, &CGenerator::CmdFntn, &CGenerator::CmdFnte);
}

void ShowFontTableLine(CProgressDlg *progress, int table, std::size_t left)
{
    ShowTransferStatus(progress, FormatString(kFontTableLines[table - 1], {QString::number(left)}));
}

// The entries of one table; false when refused or cancelled.
template <class T>
bool SendFontTable(CGenerator &g, int table, const std::vector<T> &entries, CProgressDlg *progress)
{
    const std::size_t count = entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 10 == 0)
            ShowFontTableLine(progress, table, count - i);
        // The strike's words go as the signed numbers of their 32 bits.
        const int value = table == 1 ? int(std::int32_t(std::uint32_t(entries[i]))) : int(entries[i]);
        g.CmdFdta(table, int(i), value);
        if (!g.LastCommandSucceeded())
            return false;
        if (PollsCancelAt(int(i + 1)) && TransferCancelled(progress))
            return false;
    }
    return true;
}

bool UploadFont(CGenerator &g, const QString &name, const FontData &font, CProgressDlg *progress)
{
    ShowTransferStatus(progress, LoadString(IDS_PREPARING));
    const TransferSession session = FontSession(g);
    g.CmdFntn(name);
    ShowTransferStatus(progress, LoadString(IDS_FONT_DEFINITION_LINE));
    const auto header = font.Header();
    for (int k = 0; k < FontData::kHeaderValues; ++k)
        g.CmdFdta(0, kFontHeaderSlots[k], header[std::size_t(k)]);
    g.CmdFntg();
    if (!g.LastCommandSucceeded())
        return false;
    if (!SendFontTable(g, 1, font.bitmap, progress) || !SendFontTable(g, 2, font.locTable, progress) ||
        !SendFontTable(g, 3, font.owTable, progress) || !SendFontTable(g, 4, font.imageWidths, progress))
        return false;
    ShowTransferStatus(progress, LoadString(IDS_SAVING));
    g.CmdFnta(name, true);
    return g.LastCommandSucceeded();
}

// Reads table (1-4) into entries; false when refused, cancelled or an
// entry lies outside what the table holds (bad is then set).
template <class T>
bool ReadFontEntries(CGenerator &g, int table, std::vector<T> &entries, CProgressDlg *progress, bool &bad)
{
    const std::size_t count = entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 10 == 0)
            ShowFontTableLine(progress, table, count - i);
        const int value = g.QueryFdta(table, int(i));
        if (!g.LastCommandSucceeded())
            return false;
        const std::int64_t entry = table == 1 ? std::int64_t(std::uint32_t(value)) : std::int64_t(value);
        if (entry < 0 || entry > kFontTableMax[table - 1]) {
            bad = true;
            return false;
        }
        entries[i] = T(entry);
        if (PollsCancelAt(int(i + 1)) && TransferCancelled(progress))
            return false;
    }
    return true;
}

void ShowNotAFont(const QString &name, QWidget *parent)
{
    MessageBox(parent, PromptText(IDS_FONT_INVALID, {name}), PromptText(IDS_FONT_ERROR), MB_OK | MB_ICONWARNING);
}

// Reads the stored font name into font; font is left as it was unless the
// whole font came and is one.
bool DownloadFont(CGenerator &g, const QString &name, FontData &font, CProgressDlg *progress, QWidget *parent)
{
    ShowTransferStatus(progress, LoadString(IDS_FONT_LOADING));
    const TransferSession session = FontSession(g);
    g.CmdFntl(name);
    if (!g.LastCommandSucceeded())
        return false;
    ShowTransferStatus(progress, LoadString(IDS_FONT_DEFINITION_LINE));
    std::array<std::int32_t, FontData::kHeaderValues> header{};
    for (int k = 0; k < FontData::kHeaderValues; ++k) {
        header[std::size_t(k)] = g.QueryFdta(0, kFontHeaderSlots[k]);
        if (!g.LastCommandSucceeded())
            return false;
    }
    FontData read;
    read.SetHeader(header);
    if (!read.HeaderValid()) {
        ShowNotAFont(name, parent);
        return false;
    }
    try {
        read.bitmap.assign(read.BitmapWords(), 0u);
        read.locTable.assign(read.Glyphs() + 1, 0);
        read.owTable.assign(read.Glyphs() + 1, 0);
        read.imageWidths.assign(read.Glyphs(), 0);
    } catch (const std::bad_alloc &) {
        MessageBox(parent, PromptText(IDS_NO_MEMORY), PromptText(IDS_NO_MEMORY_CAPTION), MB_OK | MB_ICONWARNING);
        return false;
    }
    bool bad = false;
    if (!ReadFontEntries(g, 1, read.bitmap, progress, bad) || !ReadFontEntries(g, 2, read.locTable, progress, bad) ||
        !ReadFontEntries(g, 3, read.owTable, progress, bad) || !ReadFontEntries(g, 4, read.imageWidths, progress, bad)) {
        if (bad)
            ShowNotAFont(name, parent);
        return false;
    }
    if (!read.Valid()) {
        ShowNotAFont(name, parent);
        return false;
    }
    font = std::move(read);
    return true;
}

} // namespace

// ===== Send =====================================================================

bool CFontData::SendToGenerator(CGenerator *generator, CProgressDlg *progress)
{
    QWidget *parent = progress ? static_cast<QWidget *>(progress) : qobject_cast<QWidget *>(m_owner.data());
    if (!MaySend(kFontKind, *generator, m_name, parent))
        return false;
    CGenerator::Operation operation(generator);
    return UploadFont(*generator, m_name, m_data, progress);
}

// ===== Recall ===================================================================

bool CFontData::RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress)
{
    QWidget *parent = progress ? static_cast<QWidget *>(progress) : qobject_cast<QWidget *>(m_owner.data());
    if (!MayRecall(kFontKind, *generator, name, parent))
        return false;
    CGenerator::Operation operation(generator);
    if (progress)
        progress->SetStatus(IDC_STATUS1, FormatString(IDS_FONT_RECALLING, {name}));
    FontData read;
    if (!DownloadFont(*generator, name, read, progress, parent))
        return false;
    m_data = std::move(read);
    TakeRecalled(name);
    return true;
}

// ===== Copy between generators ==================================================

bool CopyFontBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress)
{
    QWidget *parent = progress ? static_cast<QWidget *>(progress) : target->GetOwner();
    if (!MayCopy(kFontKind, *source, *target, name, parent))
        return false;
    CGenerator::Operation sourceOperation(source);
    CGenerator::Operation targetOperation(target);
    FontData font;
    if (!DownloadFont(*source, name, font, progress, parent) || TransferCancelled(progress))
        return false;
    return UploadFont(*target, name, font, progress);
}

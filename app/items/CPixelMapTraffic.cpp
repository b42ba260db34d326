// Pixel maps between the PC and generators. An upload is MAPB, the name
// (MAPN), the size (DMAP), one MDTA a word and the store (MAPA); a recall is
// MAPB, MAPL name, DMAP? and one MDTA? a word. The generator reports a lack
// of memory only in its error count (ERRC before, NERR? after). Whatever
// ends a transfer once MAPB went out, the generator is put back with
// "MAPN " and "MAPE ".

#include "CPixelMap.h"
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

TransferSession MapSession(CGenerator &g)
{
    return TransferSession(g, &CGenerator::CmdMapb, &CGenerator::CmdMapn, &CGenerator::CmdMape);
}

void ShowProcessing(CProgressDlg *progress, std::size_t wordsLeft)
{
    ShowTransferStatus(progress, FormatString(IDS_MAP_PROCESSING, {QString::number(wordsLeft)}));
}

const StoredKind kPixelMapKind = {&CGenerator::PixelMapsSupported, IDS_MAP_NOT_SUPPORTED, IDS_MAP_TRANSMIT_ERROR,
                                   IDS_MAP_ERROR, IDS_MAP_NOT_SENT, IDS_MAP_NOT_RECALLED, IDS_MAP_NOT_COPIED};

// The error count since ERRC; false when it could not be read (the
// operation's box was shown) or, with the memory box, when it is not 0.
bool GeneratorHadMemory(CGenerator &g, QWidget *parent)
{
    const int errors = g.QueryNerr();
    if (!g.LastCommandSucceeded())
        return false;
    if (errors == 0)
        return true;
    MessageBox(parent, PromptText(IDS_MAP_GENERATOR_MEMORY), PromptText(IDS_MAP_TRANSMIT_ERROR), MB_OK | MB_ICONSTOP);
    return false;
}

// Uploads the words of a map of that size and stores it under name; true
// only when the generator stored it.
bool Upload(CGenerator &g, const QString &name, const PixelMapData &map, CProgressDlg *progress, QWidget *parent)
{
    ShowTransferStatus(progress, LoadString(IDS_PREPARING));
    const TransferSession session = MapSession(g);
    g.CmdErrc();
    g.CmdMapn(name);
    g.CmdDmap(map.width, map.height, map.depth);
    if (!GeneratorHadMemory(g, parent))
        return false;
    const std::size_t count = map.pixels.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 10 == 0)
            ShowProcessing(progress, count - i);
        // Sent as the signed number of its 32 bits.
        g.CmdMdta(int(i), std::int32_t(map.pixels[i]));
        if (!g.LastCommandSucceeded())
            return false;
        if (PollsCancelAt(int(i + 1)) && TransferCancelled(progress))
            return false;
    }
    ShowTransferStatus(progress, LoadString(IDS_SAVING));
    g.CmdErrc();
    g.CmdMapa(name, true);
    if (!g.LastCommandSucceeded())
        return false;
    if (GeneratorHadMemory(g, parent))
        return true;
    // The name went into the cached list with the store; the generator
    // kept what it had, so the list is read again.
    g.RefreshPixelMapList();
    return false;
}

// Reads the stored map name into map: its size and words, and its LUT
// brought to 2^depth entries. map is left as it was unless the whole map came.
bool Download(CGenerator &g, const QString &name, PixelMapData &map, CProgressDlg *progress, QWidget *parent)
{
    ShowTransferStatus(progress, LoadString(IDS_MAP_LOADING));
    const TransferSession session = MapSession(g);
    g.CmdMapl(name);
    if (!g.LastCommandSucceeded())
        return false;
    ShowTransferStatus(progress, LoadString(IDS_PREPARING));
    int width = 0, height = 0, depth = 0;
    g.QueryDmap(width, height, depth);
    if (!g.LastCommandSucceeded())
        return false;
    if (!PixelMapData::IsGeometry(width, height, depth)) {
        MessageBox(parent, PromptText(IDS_MAP_INVALID_DIMENSIONS), PromptText(IDS_MAP_ERROR), MB_OK | MB_ICONWARNING);
        return false;
    }
    PixelMapData read;
    try {
        read.width = width;
        read.height = height;
        read.depth = depth;
        read.pitch32 = PixelMapData::Pitch32(width, depth);
        read.lutSetMask = map.lutSetMask;
        read.lut = map.lut;
        read.FitLut();
        read.pixels.assign(std::size_t(height) * std::size_t(read.pitch32), 0u);
    } catch (const std::bad_alloc &) {
        MessageBox(parent, PromptText(IDS_NO_MEMORY), PromptText(IDS_NO_MEMORY_CAPTION), MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::size_t count = read.pixels.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 10 == 0)
            ShowProcessing(progress, count - i);
        read.pixels[i] = g.QueryMdta(int(i));
        if (!g.LastCommandSucceeded())
            return false;
        if (PollsCancelAt(int(i + 1)) && TransferCancelled(progress))
            return false;
    }
    map = std::move(read);
    return true;
}

} // namespace

// ===== Send =====================================================================

bool CPixelMap::SendToGenerator(CGenerator *generator, CProgressDlg *progress)
{
    QWidget *parent = qobject_cast<QWidget *>(m_owner.data());
    if (!MaySend(kPixelMapKind, *generator, m_name, parent))
        return false;
    CGenerator::Operation operation(generator);
    return Upload(*generator, m_name, m_data, progress, parent);
}

// ===== Recall ===================================================================

bool CPixelMap::RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress)
{
    QWidget *parent = qobject_cast<QWidget *>(m_owner.data());
    if (!MayRecall(kPixelMapKind, *generator, name, parent))
        return false;
    CGenerator::Operation operation(generator);
    if (progress)
        progress->SetStatus(IDC_STATUS1, FormatString(IDS_MAP_RECALLING, {name}));
    PixelMapData read = m_data;
    if (!Download(*generator, name, read, progress, parent))
        return false;
    m_data = std::move(read);
    TakeRecalled(name);
    return true;
}

// ===== Copy between generators ==================================================

bool CopyPixelMapBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target,
                                   CProgressDlg *progress)
{
    QWidget *parent = target->GetOwner();
    if (!MayCopy(kPixelMapKind, *source, *target, name, parent))
        return false;
    CGenerator::Operation sourceOperation(source);
    CGenerator::Operation targetOperation(target);
    PixelMapData map;
    if (!Download(*source, name, map, progress, parent) || TransferCancelled(progress))
        return false;
    return Upload(*target, name, map, progress, parent);
}

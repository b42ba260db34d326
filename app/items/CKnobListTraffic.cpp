// Knob lists between the PC and generators: a knob list is a directory of
// the generator (DIRN, DIRB, NAMI ..., DIRE, DIRA to write one; DIRL and
// NAMQ? to read one). A write that stops ends the directory without DIRA,
// so the generator keeps the directory it had; every read and write ends
// with "DIRL " so no directory stays loaded.

#include "CKnobList.h"
#include "ItemEditorLink.h"
#include "TransferSteps.h"

#include "CGenerator.h"
#include "CProgressDlg.h"
#include "CommandJob.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QWidget>

#include <optional>

namespace {

// Put into a directory while it is read, so that the read never meets an
// empty one (which the generator refuses to list).
const QString kMarker = QStringLiteral("123456789");
constexpr int kMarkerPosition = 1;

// A directory being written: ended with DIRE (and unloaded with "DIRL ")
// whatever happens; stored with DIRA only by Store.
class DirectoryWriter {
public:
    DirectoryWriter(CGenerator &g, const QString &name) : m_g(g), m_name(name)
    {
        m_g.CmdDirn(name);
        m_ok = m_g.LastCommandSucceeded();
        if (m_ok) {
            m_g.CmdDirb();
            m_ok = m_g.LastCommandSucceeded();
        }
    }
    ~DirectoryWriter() { End(false); }
    DirectoryWriter(const DirectoryWriter &) = delete;
    DirectoryWriter &operator=(const DirectoryWriter &) = delete;

    // False once the generator refused a command of the write.
    bool Ok() const { return m_ok && !m_g.IsLinkLost(); }

    bool Put(int position, const QString &entry)
    {
        if (!Ok())
            return false;
        m_g.CmdNami(position, entry);
        m_ok = m_g.LastCommandSucceeded();
        return Ok();
    }

    // DIRE, DIRA (only when every entry went in), "DIRL "; true when stored.
    bool End(bool store)
    {
        if (m_ended)
            return false;
        m_ended = true;
        if (m_g.IsLinkLost()) {
            // The generator still writes the directory: ended once the link is back.
            m_g.CloseAfterReconnect([g = &m_g] {
                g->CmdDire();
                g->CmdDirl(QString());
            });
            return false;
        }
        const bool whole = store && m_ok;
        {
            // A stopped write is ended all the same, after a failure too.
            std::optional<CGenerator::PutBack> putBack;
            if (!whole)
                putBack.emplace(&m_g);
            m_g.CmdDire();
        }
        bool stored = false;
        if (whole) {
            m_g.CmdDira(m_name, true);
            stored = m_g.LastCommandSucceeded();
        }
        CGenerator::PutBack putBack(&m_g);
        m_g.CmdDirl(QString());
        return stored;
    }

private:
    CGenerator &m_g;
    QString m_name;
    bool m_ok = false;
    bool m_ended = false;
};

// The names of the loaded directory; false when the read was refused.
bool ReadEntries(CGenerator &g, QStringList &entries)
{
    g.QueryNamqList(1, CGenerator::kMaxListEntries, entries);
    return g.LastCommandSucceeded();
}

bool KnobNameRefused(const QString &name, QWidget *parent, unsigned refusalId)
{
    return TransferNameRefused(name, parent, refusalId, IDS_KNOB_LIST_ERROR);
}

// Reads the directory name with the marker in front: the marker alone means
// an empty directory. The marker is taken out again, and never kept. A
// full directory refuses the marker; being full, it is read as it is.
bool ReadWithMarker(CGenerator &g, const QString &name, QStringList &entries)
{
    g.CmdDirl(name);
    if (!g.LastCommandSucceeded())
        return false;
    g.CmdNami(kMarkerPosition, kMarker);
    if (!g.LastCommandSucceeded()) {
        if (g.IsLinkLost())
            return false;
        // The generator refused only the marker (its box was shown): read on.
        CGenerator::PutBack readOn(&g);
        return ReadEntries(g, entries) && entries.size() >= CGenerator::kMaxListEntries;
    }
    QStringList first;
    const bool read = ReadEntries(g, first);
    {
        CGenerator::PutBack putBack(&g);
        g.CmdNamk(kMarker);
    }
    if (!read || g.IsLinkLost())
        return false;
    entries.clear();
    if (first.size() == 1 && first.first() == kMarker)
        return true; // an empty directory
    g.CmdDirl(name);
    if (!g.LastCommandSucceeded() || !ReadEntries(g, entries))
        return false;
    if (entries.removeAll(kMarker) > 0)
        g.CmdNamk(kMarker); // its first removal was refused: try once more
    g.CmdDirl(QString());
    return !g.IsLinkLost();
}

} // namespace

// ===== Send =====================================================================

bool CKnobList::SendToGenerator(CGenerator *generator, CProgressDlg *progress)
{
    QWidget *parent = qobject_cast<QWidget *>(m_owner.data());
    if (m_entries.size() > CGenerator::kMaxListEntries) {
        MessageBox(parent,
                   PromptText(IDS_KNOB_LIST_TOO_LONG, {m_name, QString::number(m_entries.size()),
                                                       QString::number(CGenerator::kMaxListEntries)}),
                   PromptText(IDS_KNOB_LIST_ERROR), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (KnobNameRefused(m_name, parent, IDS_KNOB_LIST_CANNOT_BE_SENT))
        return false;
    for (const QString &entry : m_entries) {
        if (KnobNameRefused(entry, parent, IDS_KNOB_LIST_CANNOT_BE_SENT))
            return false;
    }
    CGenerator::Operation operation(generator);
    ShowTransferStatus(progress, LoadString(IDS_PREPARING));
    DirectoryWriter writer(*generator, m_name);
    if (TransferCancelled(progress) || !writer.Ok())
        return false;
    // The entries up to each Cancel poll go as one job on the port thread
    // (Cancel read before each command there).
    const int count = int(m_entries.size());
    for (int first = 1; first <= count;) {
        int last = first;
        while (last < count && !PollsCancelAt(last))
            ++last;
        bool put = true;
        const bool whole = generator->RunCommands(progress, [&](CommandJob &) {
            for (int n = first; n <= last && put; ++n)
                put = writer.Put(n, m_entries.at(n - 1));
        });
        if (!put || !whole)
            return false; // refused: the stored directory stays as it was
        if (PollsCancelAt(last) && TransferCancelled(progress))
            return false;
        first = last + 1;
    }
    ShowTransferStatus(progress, LoadString(IDS_SAVING));
    return writer.End(true);
}

// ===== Recall ===================================================================

bool CKnobList::RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress)
{
    if (KnobNameRefused(name, qobject_cast<QWidget *>(m_owner.data()), IDS_KNOB_LIST_NOT_RECALLED))
        return false;
    CGenerator::Operation operation(generator);
    if (!generator->QueryDirl(name))
        return false;
    if (progress) {
        progress->SetStatus(IDC_STATUS1, FormatString(IDS_RECALLING_KNOB_LIST, {name}));
        ShowTransferStatus(progress, FormatString(IDS_IN_PROGRESS_ON, {generator->GetPortName()}));
    }
    QStringList entries;
    bool read = false;
    generator->RunCommands(nullptr, [&](CommandJob &) { read = ReadWithMarker(*generator, name, entries); });
    if (!generator->IsLinkLost()) {
        CGenerator::PutBack putBack(generator);
        generator->CmdDirl(QString());
    }
    if (!read)
        return false;
    m_name = name;
    m_entries = entries;
    m_modified = true;
    if (ItemEditorLink *editor = Editor())
        editor->ItemRenamed();
    SendMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    if (name == QLatin1String(kLinkedName) && !m_source) {
        m_source = generator;
        generator->AttachKnobList(this);
    }
    return true;
}

// ===== Copy between generators ==================================================

bool CopyKnobListBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target,
                                   CProgressDlg *progress)
{
    if (KnobNameRefused(name, target->GetOwner(), IDS_KNOB_LIST_NOT_COPIED))
        return false;
    CGenerator::Operation sourceOperation(source);
    CGenerator::Operation targetOperation(target);
    ShowTransferStatus(progress, LoadString(IDS_READ_DATA));
    if (TransferCancelled(progress))
        return false;
    source->CmdDirl(name);
    QStringList entries;
    const bool read = source->LastCommandSucceeded() && ReadEntries(*source, entries);
    if (!source->IsLinkLost()) {
        CGenerator::PutBack putBack(source);
        source->CmdDirl(QString());
    }
    if (!read || TransferCancelled(progress))
        return false;
    ShowTransferStatus(progress, LoadString(IDS_WRITING_DATA));
    DirectoryWriter writer(*target, name);
    bool whole = writer.Ok();
    for (int n = 1; whole && n <= int(entries.size()); ++n)
        whole = writer.Put(n, entries.at(n - 1)) && !(PollsCancelAt(n) && TransferCancelled(progress));
    ShowTransferStatus(progress, LoadString(IDS_SAVING));
    return writer.End(whole);
}

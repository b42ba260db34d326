// Sequences between the PC and generators: the upload and store, the
// recall into an item and the copy from one generator to another.
//
// Two firmware gates decide how a stored sequence is read: from 3.0 the
// generator counts its steps (NSTP?); above 3.052 a step's names are read
// inside the sequence buffer (SEQB, SEQL name, then FMTL?, IMGL?), below
// it the sequence runs and each step is applied and read from the
// generator's current settings. Whatever stops a transfer, the generator
// is put back out of the buffer or the run before the result is returned.

#include "CSequence.h"
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

#include <algorithm>
#include <optional>

namespace {

constexpr double kCountedFirmware = 3.0;
constexpr double kNamedQueryFirmware = 3.052; // strictly above
constexpr double kCopySettleSeconds = 0.25;

struct Gates {
    bool counted;
    bool named;
};

Gates GatesOf(double firmware)
{
    return {firmware >= kCountedFirmware, firmware > kNamedQueryFirmware};
}

QString StepText(int number)
{
    return FormatString(IDS_READING_STEP, {QString::number(number)});
}

// --- Reading a stored sequence -------------------------------------------------------

// One stored sequence opened for reading on a generator, closed again by
// Close (or when it goes) whatever happened in between.
class SequenceReader {
public:
    SequenceReader(CGenerator &g, Gates gates) : m_g(g), m_gates(gates) {}
    ~SequenceReader() { Close(); }
    SequenceReader(const SequenceReader &) = delete;
    SequenceReader &operator=(const SequenceReader &) = delete;

    // Loads name; false when the generator refused it. keepOutputs: turn the
    // outputs off while an old firmware runs the sequence, and back on after.
    bool Open(const QString &name, bool keepOutputs, double settleSeconds)
    {
        m_open = true;
        if (m_gates.named) {
            m_g.CmdSeqb();
            m_g.CmdSeql(name);
            return m_g.LastCommandSucceeded();
        }
        m_g.CmdSeql(name);
        if (!m_g.LastCommandSucceeded()) {
            m_open = false; // nothing is loaded: nothing to put back
            return false;
        }
        m_g.CmdSmod(1);
        if (keepOutputs) {
            m_outputs = m_g.QueryOutg();
            m_g.CmdOutg(0);
        }
        m_g.CmdAllu();
        m_g.Delay(settleSeconds);
        m_g.CmdSeqe();
        return !m_g.IsLinkLost();
    }

    // NSTP? within 0..kMaxSteps; nothing when it was refused.
    std::optional<int> Count()
    {
        const int count = m_g.QueryNstp();
        if (!m_g.LastCommandSucceeded())
            return std::nullopt;
        return std::clamp(count, 0, int(CSequence::kMaxSteps));
    }

    // Goes to step n; false when the generator has no such step.
    bool Select(int n)
    {
        m_g.CmdStep(n);
        if (!m_g.LastCommandSucceeded())
            return false;
        if (!m_gates.named)
            m_g.CmdSequ();
        return m_g.LastCommandSucceeded();
    }

    void Close()
    {
        if (!m_open)
            return;
        m_open = false;
        if (m_g.IsLinkLost()) {
            // The generator still holds the sequence: put back once the link is.
            m_g.CloseAfterReconnect([g = &m_g, gates = m_gates, outputs = m_outputs] { PutBack(*g, gates, outputs); });
            return;
        }
        CGenerator::PutBack putBack(&m_g); // also after the operation failed
        PutBack(m_g, m_gates, m_outputs);
    }

    CGenerator &Generator() { return m_g; }
    Gates GatesInUse() const { return m_gates; }

private:
    static void PutBack(CGenerator &g, Gates gates, std::optional<int> outputs)
    {
        if (gates.named) {
            g.CmdSeql(QString());
            g.CmdSeqe();
            return;
        }
        g.CmdSmod(0);
        g.CmdSeql(QString());
        if (outputs)
            g.CmdOutg(*outputs);
        g.CmdAllu();
    }

    CGenerator &m_g;
    Gates m_gates;
    bool m_open = false;
    std::optional<int> m_outputs;
};

// The last item of the run that starts at first and ends where Cancel is
// polled next (items 1, 11, 21, ...), or at count.
int RunEnd(int first, int count)
{
    int last = first;
    while (last < count && !PollsCancelAt(last))
        ++last;
    return last;
}

// A step's replies as the generator gave them, in the order they are read.
struct StepReplies {
    QString format;
    QString image;
    int imageVersion = 0;
    int gates = 0;
    int sync = 0;
    int output = 0;
    double delay = 0;

    // A failed query (or a lost link) makes the replies worthless.
    bool Read(CGenerator &g, bool named)
    {
        const auto answered = [&g] { return g.LastCommandSucceeded(); };
        format = named ? g.QueryFmtl() : g.QueryFmtu();
        if (!answered())
            return false;
        image = named ? g.QueryImgl() : g.QueryImgu();
        if (!answered())
            return false;
        const std::pair<int *, int (CGenerator::*)()> ints[] = {{&imageVersion, &CGenerator::QueryIver},
                                                                {&gates, &CGenerator::QuerySvsg},
                                                                {&sync, &CGenerator::QuerySsst},
                                                                {&output, &CGenerator::QueryOutg}};
        for (const auto &[value, query] : ints) {
            *value = (g.*query)();
            if (!answered())
                return false;
        }
        delay = g.QuerySdly();
        return answered();
    }

    CSequenceStep Step() const
    {
        CSequenceStep step;
        step.formatName = format;
        step.imageName = image;
        step.imageVersion = imageVersion;
        step.SetGateMask(gates);
        step.syncType = CSequenceStep::SyncTypeFromCommand(sync);
        step.output = output;
        step.duration = CSequenceStep::DurationFromSeconds(delay);
        step.Normalize();
        return step;
    }

    bool SameAs(const StepReplies &o) const
    {
        return format.compare(o.format, Qt::CaseInsensitive) == 0 &&
               image.compare(o.image, Qt::CaseInsensitive) == 0 && imageVersion == o.imageVersion &&
               gates == o.gates && sync == o.sync && output == o.output && delay == o.delay;
    }
};

// A name that would break the command lines it goes into: shown, nothing sent.
bool NameRefused(const QString &name, QWidget *parent, unsigned refusalId)
{
    return TransferNameRefused(name, parent, refusalId, IDS_SEQUENCE_ERROR);
}

// --- Writing a sequence --------------------------------------------------------------

// The target's sequence buffer, ended (SEQE) without a store unless Store ran.
class SequenceWriter {
public:
    SequenceWriter(CGenerator &g, const QString &name) : m_g(g), m_name(name)
    {
        m_g.CmdSeqn(name);
        m_g.CmdSeqb();
    }
    ~SequenceWriter()
    {
        if (!m_open)
            return;
        if (m_g.IsLinkLost()) {
            // The generator is still in its upload: ended once the link is back.
            m_g.CloseAfterReconnect([g = &m_g] { g->CmdSeqe(); });
            return;
        }
        CGenerator::PutBack putBack(&m_g);
        m_g.CmdSeqe(); // nothing is stored: the generator keeps what it had
    }
    SequenceWriter(const SequenceWriter &) = delete;
    SequenceWriter &operator=(const SequenceWriter &) = delete;

    void Put(int n, const CSequenceStep &step)
    {
        m_g.CmdStep(n);
        m_g.CmdFmtl(step.formatName);
        m_g.CmdImgl(step.imageName);
        m_g.CmdIver(step.imageVersion);
        m_g.CmdSdly(CSequenceStep::SecondsOfDuration(step.duration));
        m_g.CmdSsst(CSequenceStep::SyncTypeToCommand(step.syncType));
        if (step.red == CSequenceStep::kNotSet)
            m_g.CmdSvsg(CSequenceStep::kNotSet);
        else
            m_g.CmdXvsgValues(step.red, step.green, step.blue);
        m_g.CmdOutg(step.output);
    }

    // As read from another generator.
    void Put(int n, const StepReplies &r)
    {
        m_g.CmdStep(n);
        m_g.CmdFmtl(r.format);
        m_g.CmdImgl(r.image);
        m_g.CmdIver(r.imageVersion);
        m_g.CmdSdly(r.delay);
        m_g.CmdSsst(r.sync);
        m_g.CmdSvsg(r.gates);
        m_g.CmdOutg(r.output);
    }

    // SEQE, then the store; true when the generator took it.
    bool Store()
    {
        m_open = false;
        m_g.CmdSeqe();
        m_g.CmdSeqa(m_name, true);
        return m_g.LastCommandSucceeded();
    }

private:
    CGenerator &m_g;
    QString m_name;
    bool m_open = true;
};

} // namespace

// ===== Send =====================================================================

bool CSequence::SendToGenerator(CGenerator *generator, CProgressDlg *progress)
{
    QWidget *parent = qobject_cast<QWidget *>(m_owner.data());
    if (NameRefused(m_name, parent, IDS_SEQUENCE_CANNOT_BE_SENT))
        return false;
    for (const CSequenceStep &step : m_steps) {
        if (NameRefused(step.formatName, parent, IDS_SEQUENCE_CANNOT_BE_SENT) ||
            NameRefused(step.imageName, parent, IDS_SEQUENCE_CANNOT_BE_SENT))
            return false;
    }
    CGenerator::Operation operation(generator);
    ShowTransferStatus(progress, LoadString(IDS_PREPARING));
    SequenceWriter writer(*generator, m_name);
    if (TransferCancelled(progress) || generator->IsLinkLost())
        return false;
    // The steps up to each Cancel poll go as one job on the port thread (Cancel
    // is read before each command there); a refused command ends the send.
    const int count = int(m_steps.size());
    for (int first = 1; first <= count;) {
        const int last = RunEnd(first, count);
        const bool whole = generator->RunCommands(progress, [&](CommandJob &job) {
            for (int n = first; n <= last && !generator->IsHalted(); ++n) {
                const CSequenceStep &step = m_steps[size_t(n - 1)];
                job.Status(FormatString(IDS_SENDING_STEP, {QString::number(n), step.formatName, step.imageName}));
                writer.Put(n, step);
            }
        });
        if (!whole || (PollsCancelAt(last) && TransferCancelled(progress)))
            return false;
        first = last + 1;
    }
    ShowTransferStatus(progress, LoadString(IDS_SAVING));
    return writer.Store();
}

// ===== Recall ===================================================================

bool CSequence::RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress)
{
    QWidget *parent = qobject_cast<QWidget *>(m_owner.data());
    if (NameRefused(name, parent, IDS_SEQUENCE_NOT_RECALLED))
        return false;
    CGenerator::Operation operation(generator);
    const Gates gates = GatesOf(generator->QueryVerf());
    if (!generator->LastCommandSucceeded())
        return false;
    if (progress) {
        progress->SetStatus(IDC_STATUS1, FormatString(IDS_RECALLING_SEQUENCE, {name}));
        ShowTransferStatus(progress, LoadString(IDS_LOADING));
    }
    SequenceReader reader(*generator, gates);
    if (!reader.Open(name, true, 0.0))
        return false;
    std::optional<int> count = int(kMaxSteps);
    if (gates.counted && !(count = reader.Count()))
        return false;
    std::vector<CSequenceStep> steps;
    std::optional<CSequenceStep> previous;
    // A counted sequence is read ten steps a job on the port thread (Cancel
    // read before each query there); an uncounted one a step a job, as the
    // user may be asked after each whether it has ended.
    bool ended = false;
    for (int first = 1; first <= *count && !ended;) {
        const int last = gates.counted ? std::min(*count, first + 9) : first;
        if (progress) {
            ShowTransferStatus(progress, StepText(first));
            if (PollsCancelAt(first) && progress->IsCancelled())
                return false;
        }
        std::vector<StepReplies> read;
        bool noMoreSteps = false;
        generator->RunCommands(progress, [&](CommandJob &job) {
            for (int n = first; n <= last; ++n) {
                job.Status(StepText(n));
                if (!reader.Select(n)) {
                    noMoreSteps = true; // the generator has no more steps
                    return;
                }
                StepReplies replies;
                if (!replies.Read(*generator, gates.named))
                    return;
                read.push_back(replies);
            }
        });
        if (progress && progress->CancelRequested())
            return false;
        if (!noMoreSteps && int(read.size()) < last - first + 1)
            return false; // a query failed
        for (const StepReplies &replies : read) {
            const CSequenceStep step = replies.Step();
            if (!gates.counted && previous && step.IsEqual(*previous)) {
                const int answer = MessageBox(parent, PromptText(IDS_SEQUENCE_END_QUESTION),
                                              PromptText(IDS_POSSIBLE_END_CAPTION),
                                              MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL);
                if (answer == IDYES) {
                    ended = true;
                    break;
                }
            }
            steps.push_back(step);
            previous = step;
        }
        ended = ended || noMoreSteps;
        first = last + 1;
    }
    reader.Close();
    if (generator->IsLinkLost())
        return false;
    m_name = name;
    m_steps.insert(m_steps.end(), steps.begin(), steps.end());
    m_modified = true;
    if (ItemEditorLink *editor = Editor())
        editor->ItemRenamed();
    SendMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    return true;
}

// ===== Copy between generators ==================================================

bool CopySequenceBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target,
                                   CProgressDlg *progress)
{
    if (NameRefused(name, target->GetOwner(), IDS_SEQUENCE_NOT_COPIED))
        return false;
    CGenerator::Operation sourceOperation(source);
    CGenerator::Operation targetOperation(target);
    ShowTransferStatus(progress, LoadString(IDS_PREPARING));
    if (TransferCancelled(progress))
        return false;
    const Gates gates = GatesOf(source->GetFirmwareVersion());
    SequenceReader reader(*source, gates);
    if (!reader.Open(name, false, kCopySettleSeconds))
        return false;
    std::optional<int> count = int(CSequence::kMaxSteps);
    if (gates.counted && !(count = reader.Count()))
        return false;
    if (TransferCancelled(progress))
        return false;
    SequenceWriter writer(*target, name);
    std::optional<StepReplies> previous;
    for (int n = 1; n <= *count; ++n) {
        ShowTransferStatus(progress, StepText(n));
        if (PollsCancelAt(n) && TransferCancelled(progress))
            return false;
        if (!reader.Select(n))
            break;
        StepReplies replies;
        if (!replies.Read(*source, gates.named))
            return false; // the target stores nothing it did not get whole
        if (!gates.counted && previous && replies.SameAs(*previous))
            break;
        writer.Put(n, replies);
        if (target->IsLinkLost())
            return false;
        previous = replies;
    }
    ShowTransferStatus(progress, LoadString(IDS_SAVING));
    if (TransferCancelled(progress) || source->IsLinkLost())
        return false;
    const bool stored = writer.Store();
    reader.Close();
    if (!gates.named)
        source->Delay(kCopySettleSeconds);
    return stored;
}

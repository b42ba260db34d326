// Formats between the PC and generators: the upload into the edit buffer,
// the send (upload, check, store), the check alone, the recall into an item
// and the copy from one generator to another.
//
// Every command goes through CGenerator, which reports communication errors
// itself. Each of these is one operation of its generators: the first failed
// command (or a lost link) ends it at its next step; the generator has shown
// the one box about it and refuses further commands quietly.

#include "CFormatTraffic.h"

#include "CFormat.h"

#include "CGenerator.h"
#include "CGeneralFormatData.h"
#include "CGeneratorState.h"
#include "CProgressDlg.h"
#include "CommandJob.h"
#include "CommandName.h"
#include "FormatErrorTable.h"
#include "FormatRecord.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QWidget>

namespace {

// The generator shows the last format it loaded only after this long.
constexpr double kLoadSettleSeconds = 0.5;
// Firmware from which a format has a repeat field.
constexpr double kRepeatFieldFirmware = 3.0;

void Status(CProgressDlg *progress, const QString &text)
{
    if (progress)
        progress->SetStatus(IDC_STATUS2, text);
}

void Heading(CProgressDlg *progress, const QString &text)
{
    if (progress)
        progress->SetStatus(IDC_STATUS1, text);
}

// The cancel test. The dialog is always polled (it lets one event through);
// without a dialog only a failure that halted the generator stops.
bool Stopped(CGenerator *generator, CProgressDlg *progress)
{
    const bool cancelled = progress && progress->IsCancelled();
    return cancelled || generator->IsHalted();
}

// Leaves the edit buffer so that later setters reach the generator's
// settings again; nothing is stored. Also after a failed command; on a lost
// link once the link is back, before anything else.
void EndEditBuffer(CGenerator *generator)
{
    CGenerator::PutBack putBack(generator);
    if (!generator->IsLinkLost())
        generator->CmdFmte();
    else
        generator->CloseAfterReconnect([generator] { generator->CmdFmte(); });
}

QWidget *WindowOf(QObject *owner)
{
    return qobject_cast<QWidget *>(owner);
}

// --- Upload ------------------------------------------------------------------------

struct UploadGroup {
    unsigned statusId;
    void (*send)(CGenerator &g, const FormatRecord &r);
};

// The record's counts come from RoundToCount and fit an int.
int Count(double count)
{
    return int(count);
}

void SendHorizontal(CGenerator &g, const FormatRecord &r)
{
    g.CmdHrat(r.lineRate);
    g.CmdHres(Count(r.hActive));
    g.CmdHtot(Count(r.hTotal));
    g.CmdHspd(Count(r.hSyncDelay));
    g.CmdHspw(Count(r.hSyncWidth));
    g.CmdHspp(r.hSyncPolarity != 0);
    g.CmdHspg(r.hSyncGate != 0);
}

void SendVertical(CGenerator &g, const FormatRecord &r)
{
    g.CmdVres(Count(r.vActive));
    g.CmdVtot(Count(r.vTotal));
    g.CmdVspd(Count(r.vSyncDelay));
    g.CmdVspw(Count(r.vSyncWidth));
    g.CmdVspp(r.vSyncPolarity != 0);
    g.CmdVspg(r.vSyncGate != 0);
    g.CmdEqub(r.eqBefore);
    g.CmdEqua(r.eqAfter);
}

void SendVideoAndSync(CGenerator &g, const FormatRecord &r)
{
    g.CmdScan(r.interlaced ? 2 : 1);
    if (r.videoKind.IsAnalog()) {
        g.CmdAvst(r.videoKind.GetAnalogCode());
        g.CmdDvst(0);
    } else {
        g.CmdAvst(0);
        g.CmdDvst(r.videoKind.GetDigitalCode());
    }
    g.CmdAvss(r.videoSwing);
    g.CmdAvps(r.pedestalLevel);
    g.CmdAvpg(r.pedestalOn != 0);
    g.CmdAsss(r.syncSwing);
    g.CmdAssg(r.syncOnRed != 0, r.syncOnGreen != 0, r.syncOnBlue != 0);
    g.CmdAsctKind(r.acsKind);
    g.CmdDsctKind(r.dcsKind);
    g.CmdDsstKind(r.dssKind);
    // Like the kinds: a selection that is not set leaves the generator's own.
    if (r.syncSelect.IsSet())
        g.CmdSsst(r.syncSelect.GetCode());
}

void SendMiscellaneous(CGenerator &g, const FormatRecord &r)
{
    g.CmdCspp(r.cSyncPolarity != 0);
    g.CmdCspg(r.cSyncGate != 0);
    g.CmdGama(r.gamma);
    g.CmdGamc(r.gammaOn != 0);
    g.CmdUsiz(r.sizeUnit);
    g.CmdHsiz(r.hImageSize);
    g.CmdVsiz(r.vImageSize);
    g.CmdRfld(r.repeatField != 0);
    g.CmdPcpg(r.pcpg != 0);
    g.CmdPeld(r.pixelDepth);
    g.CmdAvcs(r.avcs);
}

const UploadGroup kUploadGroups[] = {
    {IDS_HORIZONTAL, SendHorizontal},
    {IDS_VERTICAL, SendVertical},
    {IDS_VIDEO_SYNC, SendVideoAndSync},
    {IDS_MISCELLANEOUS, SendMiscellaneous},
};

// The record to send, or the reason there is none.
bool RecordToSend(const CGeneralFormatData &data, FormatRecord &record, QString &problem)
{
    problem = CommandNameProblem(data.name);
    if (problem.isEmpty())
        problem = data.CheckValues();
    return problem.isEmpty() && data.FillRecord(record, &problem);
}

// Upload with its refusal shown; false when there is nothing to check or store.
bool UploadOrRefuse(const CGeneralFormatData &data, CGenerator *generator, CProgressDlg *progress,
                    QWidget *parent)
{
    QString problem;
    if (SendFormat(data, generator, progress, &problem))
        return true;
    if (!problem.isEmpty())
        MessageBox(parent, PromptText(IDS_FORMAT_CANNOT_BE_SENT, {PrintableName(data.name), problem}),
                   PromptText(IDS_FORMAT_ERROR), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// --- Recall ------------------------------------------------------------------------

template <class Kind>
Kind KindFromReply(int index)
{
    Kind kind(0);
    kind.SetIndex(index); // out of range: stays at 0
    return kind;
}

void ReadHorizontal(CGenerator &g, FormatRecord &r)
{
    r.lineRate = g.QueryHrat();
    r.hActive = g.QueryHres();
    r.hTotal = g.QueryHtot();
    r.hSyncDelay = g.QueryHspd();
    r.hSyncWidth = g.QueryHspw();
    r.hSyncPolarity = g.QueryHspp();
    r.hSyncGate = g.QueryHspg();
}

void ReadVertical(CGenerator &g, FormatRecord &r)
{
    r.vActive = g.QueryVres();
    r.vTotal = g.QueryVtot();
    r.vSyncDelay = g.QueryVspd();
    r.vSyncWidth = g.QueryVspw();
    r.vSyncPolarity = g.QueryVspp();
    r.vSyncGate = g.QueryVspg();
    r.eqBefore = g.QueryEqub();
    r.eqAfter = g.QueryEqua();
    r.interlaced = g.QueryScan() != 1;
}

void ReadVideoAndSync(CGenerator &g, FormatRecord &r)
{
    const int analog = g.QueryAvst();
    if (analog != 0)
        r.videoKind.SetFromAnalogCode(analog);
    else
        r.videoKind.SetFromDigitalCode(g.QueryDvst());
    r.videoSwing = g.QueryAvss();
    r.pedestalLevel = g.QueryAvps();
    r.pedestalOn = g.QueryAvpg();
    r.syncSwing = g.QueryAsss();
    bool red = false, green = false, blue = false;
    g.QueryAssg(red, green, blue);
    r.syncOnRed = red;
    r.syncOnGreen = green;
    r.syncOnBlue = blue;
    r.acsKind = KindFromReply<CAcsKind>(g.QueryAsct());
    r.dcsKind = KindFromReply<CDcsKind>(g.QueryDsct());
    r.dssKind = KindFromReply<CDssKind>(g.QueryDsst());
    CSyncSelect select(0);
    select.SetCode(g.QuerySsst()); // a code with no row: stays at none
    r.syncSelect = select;
}

void ReadMiscellaneous(CGenerator &g, FormatRecord &r)
{
    r.cSyncPolarity = g.QueryCspp();
    r.cSyncGate = g.QueryCspg();
    r.gamma = g.QueryGama();
    r.gammaOn = g.QueryGamc();
    r.sizeUnit = g.QueryUsiz();
    r.hImageSize = g.QueryHsiz();
    r.vImageSize = g.QueryVsiz();
    r.repeatField = g.QueryVerf() >= kRepeatFieldFirmware ? g.QueryRfld() : 0;
    r.pcpg = g.QueryPcpg();
    r.pixelDepth = g.QueryPeld(false);
    r.avcs = g.QueryAvcs();
}

struct ReadGroup {
    unsigned statusId;
    void (*read)(CGenerator &g, FormatRecord &r);
};

const ReadGroup kReadGroups[] = {
    {IDS_HORIZONTAL, ReadHorizontal},
    {IDS_VERTICAL, ReadVertical},
    {IDS_VIDEO_SYNC, ReadVideoAndSync},
    {IDS_MISCELLANEOUS, ReadMiscellaneous},
};

// Every field of the loaded format, a group a job; false when a query failed
// on the way or Cancel was pressed (no value of the record is a stand-in).
bool ReadLoadedFormat(CGenerator &g, CProgressDlg *progress, FormatRecord &record)
{
    for (const ReadGroup &group : kReadGroups) {
        if (g.IsHalted())
            return false;
        Status(progress, LoadString(group.statusId));
        if (!g.RunCommands(progress, [&](CommandJob &) { group.read(g, record); }))
            return false;
    }
    return !g.IsHalted();
}

// --- Copy --------------------------------------------------------------------------

// One copy under way. A value is set on the target only as the source read
// it; after the first query that failed nothing more is asked or set, so the
// copy stops with the format unstored.
struct CopyRun {
    CGenerator &s;
    CGenerator &t;
    FormatRecord r;
    QString failedQuery; // the source's command that failed, empty while none did

    bool Failed() const { return !failedQuery.isEmpty(); }

    // Whether the query just made answered; notes the first that did not.
    // A lost link is no failed query: it stops the copy with its own one box.
    bool Answered()
    {
        if (s.IsLinkLost())
            return false;
        if (!s.LastCommandSucceeded() && !Failed())
            failedQuery = s.LastCommandText();
        return !Failed();
    }

    // One value read from the source and set on the target as read (the
    // setter clamps as it always does); returned so the copy can be checked.
    template <class T>
    T Pass(T (CGenerator::*query)(), void (CGenerator::*set)(T))
    {
        if (Failed())
            return T();
        const T value = (s.*query)();
        if (Answered())
            (t.*set)(value);
        return value;
    }
};

using G = CGenerator;

void CopyHorizontal(CopyRun &c)
{
    c.r.lineRate = c.Pass(&G::QueryHrat, &G::CmdHrat);
    c.r.hActive = c.Pass(&G::QueryHres, &G::CmdHres);
    c.r.hTotal = c.Pass(&G::QueryHtot, &G::CmdHtot);
    c.r.hSyncDelay = c.Pass(&G::QueryHspd, &G::CmdHspd);
    c.r.hSyncWidth = c.Pass(&G::QueryHspw, &G::CmdHspw);
    c.Pass(&G::QueryHspp, &G::CmdHspp);
    c.Pass(&G::QueryHspg, &G::CmdHspg);
}

void CopyVertical(CopyRun &c)
{
    c.r.vActive = c.Pass(&G::QueryVres, &G::CmdVres);
    c.r.vTotal = c.Pass(&G::QueryVtot, &G::CmdVtot);
    c.r.vSyncDelay = c.Pass(&G::QueryVspd, &G::CmdVspd);
    c.r.vSyncWidth = c.Pass(&G::QueryVspw, &G::CmdVspw);
    c.Pass(&G::QueryVspp, &G::CmdVspp);
    c.Pass(&G::QueryVspg, &G::CmdVspg);
    c.Pass(&G::QueryEqub, &G::CmdEqub);
    c.Pass(&G::QueryEqua, &G::CmdEqua);
}

void CopyAssg(CopyRun &c)
{
    if (c.Failed())
        return;
    bool red = false, green = false, blue = false;
    c.s.QueryAssg(red, green, blue);
    if (c.Answered())
        c.t.CmdAssg(red, green, blue);
}

void CopyVideoAndSync(CopyRun &c)
{
    c.Pass(&G::QueryScan, &G::CmdScan);
    c.Pass(&G::QueryAvst, &G::CmdAvst);
    c.Pass(&G::QueryDvst, &G::CmdDvst);
    c.r.videoSwing = c.Pass(&G::QueryAvss, &G::CmdAvss);
    c.r.pedestalLevel = c.Pass(&G::QueryAvps, &G::CmdAvps);
    c.Pass(&G::QueryAvpg, &G::CmdAvpg);
    c.r.syncSwing = c.Pass(&G::QueryAsss, &G::CmdAsss);
    CopyAssg(c);
    c.Pass(&G::QueryAsct, &G::CmdAsct);
    c.Pass(&G::QueryDsct, &G::CmdDsct);
    c.Pass(&G::QueryDsst, &G::CmdDsst);
    c.Pass(&G::QuerySsst, &G::CmdSsst);
}

void CopyPeld(CopyRun &c)
{
    if (c.Failed())
        return;
    const int depth = c.s.QueryPeld(false);
    if (c.Answered())
        c.t.CmdPeld(depth);
}

void CopyMiscellaneous(CopyRun &c)
{
    c.Pass(&G::QueryCspp, &G::CmdCspp);
    c.Pass(&G::QueryCspg, &G::CmdCspg);
    c.r.gamma = c.Pass(&G::QueryGama, &G::CmdGama);
    c.Pass(&G::QueryGamc, &G::CmdGamc);
    c.Pass(&G::QueryUsiz, &G::CmdUsiz);
    c.r.hImageSize = c.Pass(&G::QueryHsiz, &G::CmdHsiz);
    c.r.vImageSize = c.Pass(&G::QueryVsiz, &G::CmdVsiz);
    if (c.s.GetFirmwareVersion() >= kRepeatFieldFirmware)
        c.Pass(&G::QueryRfld, &G::CmdRfld);
    c.Pass(&G::QueryPcpg, &G::CmdPcpg);
    CopyPeld(c);
    c.Pass(&G::QueryAvcs, &G::CmdAvcs);
}

struct CopyGroup {
    unsigned statusId;
    void (*copy)(CopyRun &c);
};

const CopyGroup kCopyGroups[] = {
    {IDS_HORIZONTAL, CopyHorizontal},
    {IDS_VERTICAL, CopyVertical},
    {IDS_VIDEO_SYNC, CopyVideoAndSync},
    {IDS_MISCELLANEOUS, CopyMiscellaneous},
};

// A lost link or a failed query stops the copy as a cancel does.
bool CopyStopped(const CopyRun &c, CProgressDlg *progress)
{
    const bool cancelled = progress && progress->IsCancelled();
    return cancelled || c.Failed() || c.s.IsHalted() || c.t.IsHalted();
}

void ReportNotCopied(const CGenerator &target, const QString &name, const QString &problem)
{
    MessageBox(target.GetOwner(), PromptText(IDS_FORMAT_NOT_COPIED, {name, problem}), PromptText(IDS_FORMAT_ERROR),
               MB_OK | MB_ICONEXCLAMATION);
}

// --- Names -------------------------------------------------------------------------

// A name that would break the command lines it goes into: shown, nothing sent.
bool NameRefused(const QString &name, QWidget *parent, unsigned refusalId)
{
    const QString problem = CommandNameProblem(name);
    if (problem.isEmpty())
        return false;
    MessageBox(parent, PromptText(refusalId, {PrintableName(name), problem}), PromptText(IDS_FORMAT_ERROR),
               MB_OK | MB_ICONEXCLAMATION);
    return true;
}

} // namespace

// ===== Upload ===================================================================

bool SendFormat(const CGeneralFormatData &data, CGenerator *generator, CProgressDlg *progress, QString *error)
{
    FormatRecord record;
    QString problem;
    if (!RecordToSend(data, record, problem)) {
        if (error)
            *error = problem;
        return false;
    }
    // Each step is one job on the port thread; Cancel is read before each command.
    CGenerator::Operation operation(generator);
    generator->RunCommands(progress, [&](CommandJob &) {
        generator->CmdFmtn(record.name);
        generator->CmdFmtb();
        generator->CmdName(record.name);
    });
    for (const UploadGroup &group : kUploadGroups) {
        if (Stopped(generator, progress)) {
            EndEditBuffer(generator);
            return false;
        }
        const bool first = group.statusId == IDS_HORIZONTAL;
        Status(progress, (first ? LoadString(IDS_SENDING_DATA) : QString()) + LoadString(group.statusId));
        generator->RunCommands(progress, [&](CommandJob &) { group.send(*generator, record); });
    }
    if (generator->IsHalted()) {
        EndEditBuffer(generator);
        return false;
    }
    generator->CmdFmte();
    return !generator->IsHalted();
}

// ===== Send =====================================================================

bool CFormat::SendToGenerator(CGenerator *generator, CProgressDlg *progress)
{
    CGenerator::Operation operation(generator);
    QWidget *parent = WindowOf(m_owner);
    Status(progress, LoadString(IDS_PREPARING));
    if (!UploadOrRefuse(*m_data, generator, progress, parent) || Stopped(generator, progress))
        return false;
    Status(progress, LoadString(IDS_CHECKING));
    const int number = generator->QueryFmtg();
    if (generator->IsHalted())
        return false;
    if (number != 0) {
        const int answer = MessageBox(parent, PromptText(IDS_FORMAT_ERROR_CONTINUE, {QString::number(number)}),
                                      PromptText(IDS_FORMAT_ERROR), MB_YESNO | MB_ICONEXCLAMATION);
        if (answer != IDYES)
            return false;
    }
    if (Stopped(generator, progress))
        return false;
    Status(progress, LoadString(IDS_SAVING));
    generator->CmdFmta(m_data->name, true);
    // A refused store (a built-in name, no memory) was shown; it is no send.
    return generator->LastCommandSucceeded();
}

// ===== Check ====================================================================

bool CFormat::CheckFormat(CGenerator *generator, const CGeneralFormatData &data, CProgressDlg *progress)
{
    CGenerator::Operation operation(generator);
    QWidget *parent = WindowOf(m_owner);
    const QString port = generator->GetPortName();
    Status(progress, LoadString(IDS_PREPARING));
    Heading(progress, FormatString(IDS_CHECK_HEADING, {data.name, port}));
    if (!UploadOrRefuse(data, generator, progress, parent) || Stopped(generator, progress))
        return false;
    Status(progress, LoadString(IDS_CHECKING));
    const int number = generator->QueryFmtg();
    // No answer is no verdict: the failure was shown, "passed" would be false.
    if (!generator->LastCommandSucceeded())
        return false;
    if (number != 0) {
        MessageBox(parent, PromptText(IDS_FORMAT_CHECK_ERROR, {QString::number(number), FormatErrorText(number)}),
                   PromptText(IDS_FORMAT_ERROR_USING, {port}), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    MessageBox(parent, PromptText(IDS_FORMAT_PASSED_USING, {port}), PromptText(IDS_FORMAT_CHECK_CAPTION),
               MB_OK | MB_ICONINFORMATION);
    return !Stopped(generator, progress);
}

// ===== Recall ===================================================================

bool CFormat::RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress)
{
    if (NameRefused(name, WindowOf(m_owner), IDS_FORMAT_NOT_RECALLED))
        return false;
    // The first failed query ends the recall: the item takes no value the
    // generator did not give.
    CGenerator::Operation operation(generator);
    Heading(progress, FormatString(IDS_RECALLING_FORMAT, {name}));
    Status(progress, LoadString(IDS_LOADING));
    CGeneratorState saved(generator);
    generator->RunCommands(nullptr, [&](CommandJob &) { saved.ReadFormatAndSignal(); });
    // Put back only what was read whole: a half-read state would set zeros.
    if (generator->IsHalted())
        return false;

    bool loaded = false;
    generator->RunCommands(nullptr, [&](CommandJob &) {
        generator->CmdFmtl(name);
        // Without the named format loaded every query would answer the one in use.
        if (!(loaded = generator->LastCommandSucceeded()))
            return;
        generator->CmdOutgOn(false, true);
        generator->CmdAllu();
        generator->Delay(kLoadSettleSeconds);
    });
    bool taken = false;
    if (loaded) {
        FormatRecord record;
        record.name = name;
        QString problem;
        if (ReadLoadedFormat(*generator, progress, record)) {
            taken = m_data->FillFromRecord(record, &problem);
            if (!taken)
                MessageBox(WindowOf(m_owner), PromptText(IDS_FORMAT_NOT_RECALLED, {name, problem}),
                           PromptText(IDS_FORMAT_ERROR), MB_OK | MB_ICONEXCLAMATION);
        }
    }
    if (taken) {
        SetName(name);
        m_modified = true;
        SendMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    }
    CGenerator::PutBack putBack(generator);
    if (!generator->IsHalted())
        generator->RunCommands(nullptr, [&](CommandJob &) { saved.ApplyFormatAndSignal(); });
    return taken;
}

// ===== Copy between generators ==================================================

bool CopyFormatBetweenGenerators(QString name, CGenerator *source, CGenerator *target, CProgressDlg *progress)
{
    if (NameRefused(name, target->GetOwner(), IDS_FORMAT_NOT_COPIED))
        return false;
    // A generator whose operation failed already has shown why.
    if (source->IsHalted() || target->IsHalted())
        return false;
    CGenerator::Operation sourceOperation(source);
    CGenerator::Operation targetOperation(target);
    source->CmdFmtl(name);
    if (!source->LastCommandSucceeded())
        return false; // the target would get whatever the source shows now
    target->CmdFmtn(name);
    target->CmdFmtb();
    target->CmdName(name);
    CopyRun copy{*source, *target, FormatRecord(), QString()};
    copy.r.name = name;
    bool stopped = false;
    for (const CopyGroup &group : kCopyGroups) {
        Status(progress, LoadString(group.statusId));
        if ((stopped = CopyStopped(copy, progress)))
            break;
        group.copy(copy);
    }
    // Only a whole copy of values a format can hold is stored; anything else
    // closes the target's edit buffer unstored.
    if (stopped || CopyStopped(copy, progress)) {
        EndEditBuffer(target);
        if (copy.Failed())
            ReportNotCopied(*target, name, FormatString(IDS_SOURCE_DID_NOT_ANSWER, {copy.failedQuery}));
        return false;
    }
    Status(progress, LoadString(IDS_SAVING));
    const QString problem = CheckFormatRecord(copy.r);
    if (!problem.isEmpty()) {
        EndEditBuffer(target);
        ReportNotCopied(*target, name, problem);
        return false;
    }
    target->CmdFmte();
    target->CmdFmta(name, true);
    return target->LastCommandSucceeded();
}

#include "CSequenceCommandFile.h"

#include "CSequence.h"

#include "Archive.h"
#include "CCommandReader.h"
#include "CommandName.h"
#include "FormatCommandFile.h"
#include "MessageTarget.h"
#include "Numbers.h"
#include "Prompts.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <QFile>

#include <cstring>
#include <optional>

namespace {

const char kHeader1[] = "// RARU";
const char kHeader2[] = "// 2.000";
const char kGluedName[] = "SEQN";

QString Flag(qint32 value)
{
    return value ? QStringLiteral("1 ") : QStringLiteral("0 ");
}

// Seconds with a point, as the generator reads them; "-1.0" when not set.
QString DelayText(qint32 row)
{
    return FormatFixed(CSequenceStep::SecondsOfDuration(row), 1);
}

void AppendStep(QStringList &lines, const CSequenceStep &step, int number)
{
    QString format = QStringLiteral("FMTL ");
    if (!step.formatName.isEmpty())
        format += u'"' + step.formatName + u'"';
    lines << QStringLiteral("STEP %1").arg(number) << format << QStringLiteral("IMGL ") + step.imageName
          << QStringLiteral("IVER %1").arg(step.imageVersion) << QStringLiteral("SDLY ") + DelayText(step.duration)
          << QStringLiteral("SSST %1").arg(CSequenceStep::SyncTypeToCommand(step.syncType));
    if (step.red == CSequenceStep::kNotSet)
        lines << QStringLiteral("SVSG -1");
    else
        lines << QStringLiteral("XVSG ") + Flag(step.red) + Flag(step.green) + Flag(step.blue);
    lines << QStringLiteral("OUTG %1").arg(step.output);
}

bool Is(int index, const char *mnemonic)
{
    return std::strcmp(CCommandReader::MnemonicText(index), mnemonic) == 0;
}

// The reader of one parse: the step in hand and the steps done.
class Parser {
public:
    explicit Parser(SequenceCommandParse &out) : m_out(out) {}

    // False when a value could not be read.
    bool Line(const QString &line);
    void Finish() { Close(); }

private:
    bool Mnemonic(int index, CCommandReader &reader);
    bool Int(const char *mnemonic, CCommandReader &reader, qint32 &value);
    bool Delay(CCommandReader &reader);
    bool Gates(CCommandReader &reader);
    bool Fail(const QString &error)
    {
        m_out.error = error;
        return false;
    }
    // The step in hand joins the steps.
    void Close()
    {
        if (!m_inHand)
            return;
        m_step.Normalize();
        m_out.steps.push_back(m_step);
        m_inHand = false;
    }
    void Open()
    {
        m_step = CSequenceStep();
        m_inHand = true;
    }
    CSequenceStep *Step() { return m_inHand ? &m_step : nullptr; }

    SequenceCommandParse &m_out;
    CSequenceStep m_step;
    bool m_inHand = false; // a STEP began m_step and nothing ended it yet
};

bool Parser::Line(const QString &line)
{
    // Older writers glued the name to SEQN, which the mnemonic table does not know.
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1String(kGluedName), Qt::CaseInsensitive) && trimmed.size() > 4 &&
        trimmed.at(4) != u' ' && trimmed.at(4) != u'\t' && trimmed.at(4) != u',') {
        m_out.name = trimmed.mid(4).section(u' ', 0, 0);
        m_out.nameSeen = true;
        return true;
    }
    CCommandReader reader;
    reader.SetText(u' ' + line);
    for (int index = reader.NextMnemonic(); index >= 0; index = reader.NextMnemonic()) {
        if (!Mnemonic(index, reader))
            return false;
    }
    return true;
}

bool Parser::Int(const char *mnemonic, CCommandReader &reader, qint32 &value)
{
    QString token;
    if (!reader.NextToken(token))
        return Fail(LoadString(IDS_CMDFILE_NO_VALUE).arg(QLatin1String(mnemonic)));
    const std::optional<long long> number = ParseInt(token);
    if (!number || *number < INT32_MIN || *number > INT32_MAX)
        return Fail(LoadString(IDS_CMDFILE_NOT_A_WHOLE_NUMBER).arg(QLatin1String(mnemonic), token));
    value = qint32(*number);
    return true;
}

// Seconds when the token has a point or an exponent, else a delay row (older files).
bool Parser::Delay(CCommandReader &reader)
{
    QString token;
    if (!reader.NextToken(token))
        // resource-rule-ok: the mnemonic, inserted as it is
        return Fail(FormatString(IDS_CMDFILE_NO_VALUE, {QStringLiteral("SDLY")}));
    if (token.contains(u'.') || token.contains(u'e', Qt::CaseInsensitive)) {
        const std::optional<double> seconds = ParseDouble(token);
        if (!seconds)
            // resource-rule-ok: the mnemonic, inserted as it is
            return Fail(FormatString(IDS_CMDFILE_NOT_A_NUMBER, {QStringLiteral("SDLY"), token}));
        if (CSequenceStep *step = Step())
            step->duration = CSequenceStep::DurationFromSeconds(*seconds);
        return true;
    }
    const std::optional<long long> row = ParseInt(token);
    if (!row || *row < INT32_MIN || *row > INT32_MAX)
        // resource-rule-ok: the mnemonic, inserted as it is
        return Fail(FormatString(IDS_CMDFILE_NOT_A_NUMBER, {QStringLiteral("SDLY"), token}));
    if (CSequenceStep *step = Step())
        step->duration = qint32(*row);
    return true;
}

bool Parser::Gates(CCommandReader &reader)
{
    qint32 red = 0, green = 0, blue = 0;
    if (!Int("XVSG", reader, red) || !Int("XVSG", reader, green) || !Int("XVSG", reader, blue))
        return false;
    if (CSequenceStep *step = Step()) {
        step->red = red;
        step->green = green;
        step->blue = blue;
    }
    return true;
}

bool Parser::Mnemonic(int index, CCommandReader &reader)
{
    qint32 value = 0;
    CSequenceStep *step = Step();
    if (Is(index, "STEP")) {
        if (!Int("STEP", reader, value))
            return false;
        Close();
        Open();
        return true;
    }
    if (Is(index, "SEQE")) {
        Close();
        return true;
    }
    if (Is(index, "SEQN")) {
        m_out.nameSeen = ReadNameArgument(reader, m_out.name) || m_out.nameSeen;
        return true;
    }
    if (Is(index, "FMTL") || Is(index, "IMGL")) {
        QString name;
        ReadNameArgument(reader, name); // none: the step leaves it as it is
        if (step)
            (Is(index, "FMTL") ? step->formatName : step->imageName) = name;
        return true;
    }
    if (Is(index, "SDLY"))
        return Delay(reader);
    if (Is(index, "XVSG"))
        return Gates(reader);
    struct IntField {
        const char *mnemonic;
        qint32 CSequenceStep::*field;
    };
    static const IntField kFields[] = {
        {"IVER", &CSequenceStep::imageVersion}, {"OUTG", &CSequenceStep::output},
        {"SSST", &CSequenceStep::syncType},     {"SVSG", nullptr},
    };
    for (const IntField &f : kFields) {
        if (!Is(index, f.mnemonic))
            continue;
        if (!Int(f.mnemonic, reader, value))
            return false;
        if (!step)
            return true;
        if (Is(index, "SSST"))
            step->syncType = CSequenceStep::SyncTypeFromCommand(value);
        else if (Is(index, "SVSG"))
            step->SetGateMask(value);
        else
            step->*f.field = value;
        return true;
    }
    return true; // SEQB, SEQA and every other mnemonic carry nothing of a step
}

} // namespace

QStringList SequenceCommandLines(const std::vector<CSequenceStep> &steps, const QString &name)
{
    QStringList lines{QString::fromLatin1(kHeader1), QString::fromLatin1(kHeader2), QStringLiteral("SEQN ") + name,
                      QStringLiteral("SEQB")};
    int number = 0;
    for (const CSequenceStep &step : steps)
        AppendStep(lines, step, ++number);
    lines << QStringLiteral("SEQE") << QStringLiteral("SEQA ") + name;
    return lines;
}

SequenceCommandParse ParseSequenceCommandLines(const QStringList &lines)
{
    SequenceCommandParse out;
    for (qsizetype i = 1; i < lines.size() && !out.hasSteps; ++i) {
        CCommandReader reader;
        reader.SetText(u' ' + lines[i]);
        for (int index = reader.NextMnemonic(); index >= 0 && !out.hasSteps; index = reader.NextMnemonic())
            out.hasSteps = Is(index, "STEP");
    }
    Parser parser(out);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!parser.Line(lines[i]))
            break;
    }
    parser.Finish(); // a last step without SEQE is kept
    return out;
}

bool CSequence::ImportCommandLines(QStringList &lines)
{
    const SequenceCommandParse parse = ParseSequenceCommandLines(lines);
    lines.clear();
    m_lastError = parse.error;
    if (!parse.hasSteps && parse.error.isEmpty())
        return true; // nothing to take
    if (parse.nameSeen)
        m_name = parse.name;
    m_steps = parse.steps;
    m_modified = true;
    SendMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    return parse.error.isEmpty();
}

void CSequence::WriteCommandFile(const QString &path, const QString &name)
{
    // The names go into command lines of their own; a line end in one would add lines.
    QString problem = CommandNameProblem(name);
    for (const CSequenceStep &step : m_steps) {
        if (problem.isEmpty())
            problem = CommandNameProblem(step.formatName);
        if (problem.isEmpty())
            problem = CommandNameProblem(step.imageName);
    }
    if (!problem.isEmpty()) {
        AfxMessageBox(PromptText(IDS_SEQUENCE_CANNOT_BE_WRITTEN, {problem}), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    QByteArray text;
    for (const QString &line : SequenceCommandLines(m_steps, name))
        text += line.toLatin1() + "\r\n";
    QString why;
    if (!SafeFile::WriteWhole(path, text, &why))
        AfxMessageBox(PromptText(IDS_ERROR_CREATING_FILE_WHY, {why}), MB_OK | MB_ICONEXCLAMATION);
}

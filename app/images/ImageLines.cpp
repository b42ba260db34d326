#include "ImageLines.h"

#include "CCommandReader.h"
#include "CGenerator.h"
#include "CPrimitive.h"
#include "CommandName.h"
#include "Prompts.h"
#include "StringTable.h"

namespace {

// Enough of a long list for the user to see what went; the rest is counted.
constexpr qsizetype kLinesListed = 20;
constexpr qsizetype kLineShown = 80;

const char *const kBlockMnemonics[] = {"IMGN", "IMGB", "IMGE", "IMGA", "IMGL", "IMGU",
                                       "OUTG", "ALLU", "XRES", "YRES"};

// A name the line carries bare ends at a blank or a comma, and an empty
// one leaves the line short of it.
QString WordProblem(const QString &word)
{
    if (word.isEmpty())
        return LoadString(IDS_NAME_EMPTY_WORD);
    for (const QChar ch : word) {
        if (ch == QLatin1Char(' '))
            return LoadString(IDS_NAME_HOLDS_BLANK);
        if (ch == QLatin1Char(','))
            return LoadString(IDS_NAME_HOLDS_COMMA);
    }
    return CommandNameProblem(word);
}

QString Described(const CPrimitive &primitive, int number)
{
    return QStringLiteral("primitive %1 (%2)").arg(number).arg(primitive.GetTypeName());
}

} // namespace

bool CollectImageLines(const std::vector<std::unique_ptr<CPrimitive>> &primitives, std::vector<ImageLine> &lines,
                       QString &problem)
{
    lines.clear();
    problem.clear();
    std::vector<const CPrimitive *> sending;
    for (const std::unique_ptr<CPrimitive> &primitive : primitives)
        primitive->AppendLinePrimitives(sending);
    int number = 0;
    for (const CPrimitive *primitive : sending) {
        ++number;
        const QString text = primitive->GetCommandText();
        if (text.trimmed().isEmpty())
            continue;
        if (text.size() > CGenerator::kMaxCommandLength) {
            problem = QStringLiteral("%1 makes a line of %2 characters; a command line holds at most %3.")
                          .arg(Described(*primitive, number))
                          .arg(text.size())
                          .arg(CGenerator::kMaxCommandLength);
            return false;
        }
        for (const QString &name : primitive->NamesInLine()) {
            const QString why = CommandNameProblem(name);
            if (!why.isEmpty()) {
                problem = QStringLiteral("%1: %2").arg(Described(*primitive, number), why);
                return false;
            }
        }
        for (const QString &word : primitive->WordsInLine()) {
            const QString why = WordProblem(word);
            if (!why.isEmpty()) {
                problem = QStringLiteral("%1: %2").arg(Described(*primitive, number), why);
                return false;
            }
        }
        lines.push_back({primitive, text});
    }
    return true;
}

bool IsImageBlockCommand(const QString &line)
{
    CCommandReader reader;
    reader.SetText(line);
    QString token;
    if (!reader.NextToken(token))
        return false;
    // "IMGU?", "ALLU;*OPC?": the mnemonic is the first four characters.
    const QString mnemonic = token.left(4);
    for (const char *block : kBlockMnemonics) {
        if (mnemonic.compare(QLatin1String(block), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void ReportLinesLeftOut(QWidget *parent, const QString &imageName, const QString &how, const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    QString text = FormatString(IDS_LINES_LEFT_OUT, {PrintableName(imageName), how, QString::number(lines.size())});
    for (qsizetype i = 0; i < lines.size() && i < kLinesListed; ++i)
        text += QLatin1Char('\n')
            + (lines[i].isEmpty() ? LoadString(IDS_EMPTY_LINE) : PrintableName(lines[i].left(kLineShown)));
    if (lines.size() > kLinesListed)
        text += FormatString(IDS_AND_MORE, {QString::number(lines.size() - kLinesListed)});
    MessageBox(parent, text, PromptText(IDS_IMAGE), MB_OK | MB_ICONINFORMATION);
}

void ReportUnknownKinds(QWidget *parent, const QString &imageName,
                        const std::vector<std::unique_ptr<CPrimitive>> &primitives)
{
    std::vector<const CPrimitive *> all;
    for (const std::unique_ptr<CPrimitive> &primitive : primitives)
        primitive->AppendLinePrimitives(all);
    int unknown = 0;
    QString first;
    for (const CPrimitive *primitive : all) {
        const QString problem = primitive->KindProblem();
        if (problem.isEmpty())
            continue;
        if (unknown++ == 0)
            first = problem;
    }
    if (unknown == 0)
        return;
    MessageBox(parent, PromptText(IDS_UNKNOWN_KINDS, {PrintableName(imageName), QString::number(unknown), first}),
               PromptText(IDS_IMAGE), MB_OK | MB_ICONEXCLAMATION);
}

#include "CImage.h"

#include "Archive.h"
#include "CCommandReader.h"
#include "CPrimitive.h"
#include "CRenderMap.h"
#include "CommandName.h"
#include "ImageLines.h"
#include "ItemEditorLink.h"
#include "LegacyPrimitiveReader.h"
#include "MessageTarget.h"
#include "PrimitiveLineReader.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"

#include <QWidget>
#include <QtEndian>

IMPLEMENT_SERIAL(CImage, CGenData, VERSIONABLE_SCHEMA | 1)

namespace {

// The older product's image names are shorter than this.
constexpr qint32 kLegacyNameLimit = 11;
// The optional end of an older image record: a 2, then width and height.
constexpr qint32 kLegacyTrailerMark = 2;
constexpr qint64 kLegacyTrailerBytes = 12;
constexpr int kLegacyMinSide = 2;

// The trailer counts only when it holds the mark and two sizes an image
// can have; otherwise its bytes belong to what follows (in a list, the next
// entry's kind, which is 2 for an image too) and stay unread.
void ReadLegacyTrailer(CArchive &ar, int &width, int &height)
{
    const QByteArray bytes = ar.PeekBytes(kLegacyTrailerBytes);
    if (bytes.size() != kLegacyTrailerBytes)
        return;
    const auto mark = qFromLittleEndian<qint32>(bytes.constData());
    const auto w = qFromLittleEndian<qint32>(bytes.constData() + 4);
    const auto h = qFromLittleEndian<qint32>(bytes.constData() + 8);
    const auto side = [](qint32 v) { return v >= kLegacyMinSide && v <= CImage::kMaxSide; };
    if (mark != kLegacyTrailerMark || !side(w) || !side(h))
        return;
    ar.ReadBytes(kLegacyTrailerBytes);
    width = w;
    height = h;
}

// "IMGN name" in any case; "IMGN?" asks and names nothing.
bool NamesImage(const QString &line)
{
    return line.left(4).compare(QLatin1String("IMGN"), Qt::CaseInsensitive) == 0
        && (line.size() == 4 || line.at(4) != QLatin1Char('?'));
}

bool IsComment(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1String("//"));
}

} // namespace

CImage::CImage(QObject *owner) : CGenData(owner)
{
    m_name = QStringLiteral("Image");
}

CImage::~CImage()
{
    DestroyEditor(); // its window may still reach the primitives while it closes
    m_primitives.clear();
}

QWidget *CImage::OwnerWindow() const
{
    return qobject_cast<QWidget *>(m_owner.data());
}

// --- The item ------------------------------------------------------------------

QString CImage::GetTypeName() const { return LoadString(IDS_IMAGE); }
QString CImage::GetFileExtension() const { return LoadString(IDS_IMAGE_EXTENSION); }
QString CImage::GetFileFilter() const { return LoadString(IDS_FILTER_IMAGE); }

void CImage::SetSize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void CImage::AddPrimitive(std::unique_ptr<CPrimitive> primitive)
{
    m_primitives.push_back(std::move(primitive));
}

void CImage::SetPrimitives(std::vector<std::unique_ptr<CPrimitive>> primitives)
{
    m_primitives = std::move(primitives);
}

void CImage::TakeRead(std::vector<std::unique_ptr<CPrimitive>> primitives, const QString &how,
                      const QStringList &leftOut)
{
    m_primitives = std::move(primitives);
    m_linesLeftOut = int(leftOut.size());
    m_modified = true;
    SendMessage(m_owner, WM_DATA_CHANGED, 0, ToLParam(this));
    ReportLinesLeftOut(OwnerWindow(), m_name, how, leftOut);
}

// --- Archive form ----------------------------------------------------------------

void CImage::Serialize(CArchive &ar)
{
    if (ar.IsStoring()) {
        if (ItemEditorLink *editor = Editor())
            editor->WriteBack();
        ar << m_name << qint32(m_width) << qint32(m_height);
        ar.WriteCount(quint32(m_primitives.size()));
        for (const std::unique_ptr<CPrimitive> &primitive : m_primitives)
            ar.WriteObject(primitive.get());
    } else {
        // Only files make render maps: naming the class here links it, and
        // with it its entry in the archive's class registry.
        RegisterRuntimeClass(RUNTIME_CLASS(CRenderMap));
        // Into locals: a file the image cannot use must not half-replace it.
        const QString name = ar.ReadString();
        qint32 width = 0;
        qint32 height = 0;
        ar >> width >> height;
        if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
            throw CArchiveException(CArchiveException::generic,
                                    LoadString(IDS_IMAGE_FILE_SIZE_IMPOSSIBLE).arg(width).arg(height));
        const quint32 count = ar.ReadCount();
        std::vector<std::unique_ptr<CPrimitive>> primitives;
        for (quint32 i = 0; i < count; ++i) {
            std::unique_ptr<CPrimitive> primitive = ar.ReadObject<CPrimitive>();
            if (!primitive)
                throw CArchiveException(CArchiveException::badIndex, LoadString(IDS_IMAGE_PRIMITIVE_MISSING));
            // Only a group's members are locked: a top-level one could never be edited.
            primitive->SetLocked(false);
            primitives.push_back(std::move(primitive));
        }
        m_name = name;
        m_width = width;
        m_height = height;
        m_primitives = std::move(primitives);
        ReportUnknownKinds(OwnerWindow(), m_name, m_primitives);
    }
    m_modified = false;
}

// --- The older product's files -----------------------------------------------------

bool CImage::ImportLegacyBinary(CArchive &ar)
{
    m_lastError.clear();
    qint32 nameLength = 0;
    ar >> nameLength;
    if (nameLength < 0 || nameLength >= kLegacyNameLimit) {
        m_lastError = LoadString(IDS_IMAGE_RECORD_NAME_LENGTH).arg(nameLength);
        return false;
    }
    const QByteArray name = ar.ReadBytes(nameLength);
    qint32 count = 0;
    ar >> count;
    if (count < 0 || count > kMaxPrimitives) {
        m_lastError = LoadString(IDS_IMAGE_RECORD_PRIMITIVES).arg(count);
        return false;
    }
    std::vector<std::unique_ptr<CPrimitive>> primitives;
    for (qint32 i = 0; i < count; ++i) {
        QString why;
        std::unique_ptr<CPrimitive> primitive = ReadLegacyPrimitive(ar, 0, why);
        if (!primitive) {
            m_lastError = why;
            return false;
        }
        primitives.push_back(std::move(primitive));
    }
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    ReadLegacyTrailer(ar, width, height);
    m_name = QString::fromLatin1(name);
    m_width = width;
    m_height = height;
    m_primitives = std::move(primitives);
    ReportUnknownKinds(OwnerWindow(), m_name, m_primitives);
    return true;
}

// --- Command files -------------------------------------------------------------------

bool CImage::ImportCommandLines(QStringList &lines)
{
    QString name;
    bool named = false;
    std::vector<std::unique_ptr<CPrimitive>> primitives;
    QStringList leftOut;
    CCommandReader reader;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (!named && NamesImage(line)) {
            name = line.mid(4).trimmed();
            named = true;
        }
        const QString trimmed = line.trimmed();
        // A comment ("// draw a LINE here") holds words the reader would take.
        if (trimmed.isEmpty() || IsComment(trimmed))
            continue;
        reader.SetText(line);
        TakePrimitiveLine(reader, line, primitives, leftOut);
    }
    lines.clear();
    if (!name.isEmpty())
        m_name = name;
    TakeRead(std::move(primitives), LoadString(IDS_HOW_IMPORTED), leftOut);
    return true;
}

bool CImage::ImportTokens(CCommandReader &reader)
{
    QString name;
    if (!reader.NextToken(name))
        return false;
    std::vector<std::unique_ptr<CPrimitive>> primitives;
    for (;;) {
        std::unique_ptr<CPrimitive> primitive;
        if (!ParsePrimitiveLine(reader, primitive))
            return false;
        if (!primitive)
            break; // "IMGE" or "IMGA"
        primitives.push_back(std::move(primitive));
    }
    m_name = name;
    m_primitives = std::move(primitives);
    ReportUnknownKinds(OwnerWindow(), m_name, m_primitives);
    return true;
}

void CImage::WriteCommandFile(const QString &path, const QString &name)
{
    // The name goes into lines of its own; a line end in it would add lines.
    QString problem = CommandNameProblem(name);
    std::vector<ImageLine> lines;
    if (problem.isEmpty())
        CollectImageLines(m_primitives, lines, problem);
    if (!problem.isEmpty()) {
        AfxMessageBox(PromptText(IDS_IMAGE_NOT_WRITTEN, {PrintableName(name), problem}), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    QByteArray text;
    const auto add = [&text](const QString &line) { text += line.toLatin1() + "\r\n"; };
    for (const char *head : {"// RARU", "// 2.000", "OUTG 0"})
        add(QLatin1String(head));
    add(QStringLiteral("IMGN ") + name);
    add(QStringLiteral("IMGB"));
    for (const ImageLine &line : lines)
        add(line.text);
    add(QStringLiteral("IMGE"));
    add(QStringLiteral("IMGA ") + name);
    for (const char *tail : {"OUTG 1", "IMGU?", "IMGN?", "ALLU;*OPC?"})
        add(QLatin1String(tail));
    QString why;
    if (!SafeFile::WriteWhole(path, text, &why))
        AfxMessageBox(PromptText(IDS_ERROR_CREATING_FILE_WHY, {why}), MB_OK | MB_ICONEXCLAMATION);
}

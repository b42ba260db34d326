// The scan of the restoration tool's data folder: which memory files it
// holds, what revision they are, and whether each revision-7 file and its
// objects still add up.

#include "CArchiveRestorationDlg.h"

#include "MemoryFileIo.h"
#include "MemoryFileReader.h"
#include "MemoryFiles.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "SystemRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>

#include <cstring>

namespace {

constexpr double kScanR40From = 2.0;
constexpr double kScanR40Below = 7.0;
constexpr double kScanNewNamesFrom = 2.349;
constexpr double kScanDirectoriesFrom = 2.898;
constexpr uint32_t kScanPathFileType = 900;
constexpr int kScanKnobName = 9;
constexpr int kScanRole = Qt::UserRole + 2; // true: the file may not be checked

QString ScanFolderSeparated(const QString& folder)
{
    const QString plain = QDir::fromNativeSeparators(folder.trimmed());
    return plain.isEmpty() || plain.endsWith(QLatin1Char('/')) ? plain : plain + QLatin1Char('/');
}

// The name a folder of R40 data holds of its two spellings, the first when neither.
QString ScanSpelling(const QString& folder, const char* first, const char* second)
{
    if (!QFile::exists(folder + QLatin1String(first)) && QFile::exists(folder + QLatin1String(second)))
        return QLatin1String(second);
    return QLatin1String(first);
}

uint32_t ScanBe32(const QByteArray& bytes, qsizetype at)
{
    if (at + 4 > bytes.size())
        return 0;
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16
           | uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

uint16_t ScanBe16(const QByteArray& bytes, qsizetype at)
{
    return at + 2 <= bytes.size() ? uint16_t(uint8_t(bytes[at]) << 8 | uint8_t(bytes[at + 1])) : 0;
}

QTreeWidgetItem* ScanChild(QTreeWidgetItem* parent, const QString& text)
{
    auto* row = new QTreeWidgetItem(parent);
    row->setText(0, text);
    return row;
}

} // namespace

void CArchiveRestorationDlg::ScanFolder(const QString& chosen)
{
    const QString folder = ScanFolderSeparated(chosen);
    const QSignalBlocker quiet(m_tree);
    m_tree->clear();
    m_loaded = false;
    m_r40 = false;
    m_revision = 0;
    m_dataFolder = folder;
    m_dataFolderEdit->setText(QDir::toNativeSeparators(folder));
    AddLog(FormatString(IDS_RESTORATION_SCAN_FOLDER, {QDir::toNativeSeparators(folder)}));

    QStringList expected;
    QByteArray system;
    std::optional<double> revision;
    if (ReadWholeFile(folder + QStringLiteral("system.sys"), system) == FileRead::Read)
        if (const auto record = SystemRecord::FromBytes(system))
            revision = record->Revision();
    if (revision && *revision >= kScanR40From && *revision < kScanR40Below) {
        m_r40 = true;
        m_revision = *revision;
        AddLog(FormatString(IDS_RESTORATION_R40, {QString::asprintf("%.3lf", *revision)}));
        if (*revision >= kScanNewNamesFrom - 1e-9)
            expected << "format.mem" << "image.mem" << "sequence.mem";
        else
            expected << ScanSpelling(folder, kOldFormatFileName, "formats.fmt")
                     << ScanSpelling(folder, kOldImageFileName, "images.img") << "sequence.seq";
        if (*revision >= kScanDirectoriesFrom - 1e-9)
            expected << "dir.mem" << "path.mem";
        else
            expected << "format.knb" << "image.knb" << "sequence.knb";
    } else {
        m_revision = kScanR40Below;
        AddLog(LoadString(IDS_RESTORATION_R41));
        expected << "format.mem" << "image.mem" << "sequence.mem" << "dir.mem" << "path.mem" << "font.mem"
                 << "lut.mem" << "map.mem" << "alias.mem" << "fmtsall.mem" << "fontsall.mem";
    }

    int found = 0;
    for (const QString& name : expected) {
        const QFileInfo info(folder + name);
        if (!info.isFile())
            continue;
        ++found;
        auto* row = new QTreeWidgetItem(m_tree);
        row->setText(0, FormatString(IDS_RESTORATION_FILE_ROW, {name, QString::number(info.size())}));
        if (m_r40)
            ScanChild(row, FormatString(IDS_RESTORATION_VERSION, {QString::asprintf("%.8lf", m_revision)}));
        else
            ScanFile(row, info.filePath());
        // Corrupted files and the "all" files start unchecked.
        const bool corrupted = row->data(0, kScanRole).toBool();
        const bool all = name == QLatin1String("fmtsall.mem") || name == QLatin1String("fontsall.mem");
        row->setCheckState(0, corrupted || all ? Qt::Unchecked : Qt::Checked);
        if (corrupted)
            row->setFlags(row->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
        else
            row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    }
    m_loaded = found > 0;
    m_tree->setEnabled(m_loaded && !m_busy);
    AddLog(LoadString(IDS_RESTORATION_SCAN_DONE));
    if (found == 0) {
        MessageBox(this, PromptText(IDS_RESTORATION_NO_DATA, {QDir::toNativeSeparators(folder)}),
                   PromptText(IDS_RESTORATION_LOCATING), MB_OK | MB_ICONINFORMATION);
        AddLog(LoadString(IDS_RESTORATION_NO_FILES));
    }
    UpdateGenerators();
    UpdateButtons();
}

void CArchiveRestorationDlg::ScanFile(QTreeWidgetItem* row, const QString& path)
{
    QByteArray bytes;
    if (ReadWholeFile(path, bytes) != FileRead::Read) {
        ScanChild(row, LoadString(IDS_RESTORATION_CANNOT_OPEN));
        row->setData(0, kScanRole, true);
        return;
    }
    MemoryFileReader reader(bytes);
    const bool header = reader.ReadHeader();
    if (!header || !reader.ChecksumHolds()) {
        qDeleteAll(row->takeChildren());
        ScanChild(row, LoadString(IDS_RESTORATION_CORRUPTED));
        row->setData(0, kScanRole, true);
        AddLog(FormatString(IDS_RESTORATION_SUMS, {QString::number(reader.ComputedChecksum(), 16).toUpper(),
                                                   QString::number(reader.Header().checksum, 16).toUpper()}));
        return;
    }
    const MemoryFileHeader& head = reader.Header();
    ScanChild(row, FormatString(IDS_RESTORATION_VERSION, {QString::asprintf("%.8lf", head.revision)}));
    if (head.type == kScanPathFileType) {
        const qsizetype at = qsizetype(head.offset) + kScanKnobName;
        const unsigned ids[] = {IDS_RESTORATION_FORMAT_KNOB, IDS_RESTORATION_IMAGE_KNOB,
                                IDS_RESTORATION_SEQUENCE_KNOB};
        for (int i = 0; i < 3; ++i) {
            const QByteArray name = bytes.mid(at + i * kScanKnobName, kScanKnobName);
            ScanChild(row, FormatString(ids[i], {QString::fromLatin1(name.left(qsizetype(qstrnlen(name.constData(), size_t(name.size())))))}));
        }
        return;
    }
    QTreeWidgetItem* count = ScanChild(row, FormatString(IDS_RESTORATION_OBJECT_COUNT, {QString::number(head.count)}));
    MemoryObject object;
    while (reader.NextObject(object) == MemoryFileReader::Next::Object) {
        if (!object.checksumHolds) {
            ScanChild(count, LoadString(IDS_RESTORATION_CORRUPTED));
            row->setData(0, kScanRole, true);
            return;
        }
        QTreeWidgetItem* named = ScanChild(count, QString::fromLatin1(object.header.Name()));
        const QByteArray& body = object.body;
        if (head.type == uint32_t(MemoryObjectType::Formats)) {
            ScanChild(named, FormatString(IDS_RESTORATION_ACTIVE,
                                      {QString::number(ScanBe16(body, 28)), QString::number(ScanBe16(body, 32))}));
            const uint32_t rateBits = ScanBe32(body, 24);
            float rate = 0;
            std::memcpy(&rate, &rateBits, sizeof rate);
            ScanChild(named, FormatString(IDS_RESTORATION_LINE_RATE, {QString::asprintf("%.3f", double(rate) * 0.001)}));
            const int scan = body.size() > 46 ? uint8_t(body[46]) : 0;
            ScanChild(named, LoadString(scan == 1   ? IDS_RESTORATION_PROGRESSIVE
                                    : scan == 2 ? IDS_RESTORATION_INTERLACE
                                                : IDS_RESTORATION_UNKNOWN_SCAN));
        } else if (head.type == uint32_t(MemoryObjectType::NameLists)) {
            const uint32_t names = ScanBe32(body, 0);
            ScanChild(named, FormatString(IDS_RESTORATION_NAME_COUNT, {QString::number(names)}));
            for (uint32_t i = 0; i < names && 4 + qsizetype(i + 1) * 8 <= body.size(); ++i) {
                const QByteArray name = body.mid(4 + qsizetype(i) * 8, 8);
                ScanChild(named, QString::fromLatin1(name.left(qsizetype(qstrnlen(name.constData(), 8)))));
            }
        }
    }
}

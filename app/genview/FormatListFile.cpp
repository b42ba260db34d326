#include "FormatListFile.h"

#include "Archive.h"
#include "CommandName.h"

#include <QBuffer>

#include <cmath>
#include <limits>

namespace {

// A rate that is no number (a scan could not compute it) stays missing.
double RateFromFile(double value)
{
    return std::isfinite(value) ? value : std::numeric_limits<double>::quiet_NaN();
}

QString NameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("has no name");
    if (name.size() > FormatListFile::kMaxNameLength)
        return QStringLiteral("has a name of %1 characters (at most %2)")
            .arg(name.size())
            .arg(FormatListFile::kMaxNameLength);
    for (const QChar c : name) {
        if (c.unicode() > 0xFF)
            return QStringLiteral("has a name with a character a command line cannot carry");
    }
    const QString problem = CommandNameProblem(name);
    if (!problem.isEmpty())
        return QStringLiteral("is named \"%1\": %2").arg(PrintableName(name), problem);
    return {};
}

} // namespace

void FormatListFile::WriteHeader(CArchive &ar, qint32 count)
{
    ar << kMagic << count;
}

void FormatListFile::WriteRow(CArchive &ar, const CFormatListEntry &e)
{
    ar << e.name << e.videoType << e.syncType << e.hRes << e.vRes << e.hRate << e.vRate << e.pixelRate << e.scan;
}

QByteArray FormatListFile::Bytes(const QList<CFormatListEntry> &rows)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    WriteHeader(ar, qint32(rows.size()));
    for (const CFormatListEntry &row : rows)
        WriteRow(ar, row);
    buffer.close();
    return bytes;
}

bool FormatListFile::Read(QIODevice &device, QList<CFormatListEntry> &rows, QString &error)
{
    QList<CFormatListEntry> read;
    int row = -1; // -1: still in the header
    try {
        CArchive ar(&device, CArchive::load);
        quint32 magic = 0;
        ar >> magic;
        if (magic != kMagic) {
            error = QStringLiteral("It is not a format list.");
            return false;
        }
        qint32 count = 0;
        ar >> count;
        if (count < 0 || count > ar.BytesLeft() / kRowSize) {
            error = QStringLiteral("It announces %1 rows, more than it can hold.").arg(count);
            return false;
        }
        read.reserve(count);
        for (row = 0; row < count; ++row) {
            CFormatListEntry e;
            ar >> e.name;
            const QString problem = NameProblem(e.name);
            if (!problem.isEmpty()) {
                error = QStringLiteral("Row %1 %2.").arg(row + 1).arg(problem);
                return false;
            }
            ar >> e.videoType >> e.syncType >> e.hRes >> e.vRes >> e.hRate >> e.vRate >> e.pixelRate >> e.scan;
            e.hRate = RateFromFile(e.hRate);
            e.vRate = RateFromFile(e.vRate);
            e.pixelRate = RateFromFile(e.pixelRate);
            read.push_back(e);
        }
        if (ar.BytesLeft() != 0) {
            error = QStringLiteral("It goes on for %1 bytes after its last row.").arg(ar.BytesLeft());
            return false;
        }
    } catch (const CArchiveException &) {
        error = row < 0 ? QStringLiteral("It is too short to be a format list.")
                        : QStringLiteral("It ends inside row %1.").arg(row + 1);
        return false;
    }
    rows = read;
    return true;
}

bool FormatListFile::Read(const QByteArray &bytes, QList<CFormatListEntry> &rows, QString &error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return Read(buffer, rows, error);
}

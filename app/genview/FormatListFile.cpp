#include "FormatListFile.h"

#include "Archive.h"
#include "CommandName.h"
#include "StringTable.h"

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
        return LoadString(IDS_FMTLIST_ROW_NO_NAME);
    if (name.size() > FormatListFile::kMaxNameLength)
        return LoadString(IDS_FMTLIST_ROW_NAME_TOO_LONG)
            .arg(name.size())
            .arg(FormatListFile::kMaxNameLength);
    for (const QChar c : name) {
        if (c.unicode() > 0xFF)
            return LoadString(IDS_FMTLIST_ROW_NAME_WIDE);
    }
    const QString problem = CommandNameProblem(name);
    if (!problem.isEmpty())
        return LoadString(IDS_FMTLIST_ROW_NAMED).arg(PrintableName(name), problem);
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
            error = LoadString(IDS_FMTLIST_NOT_A_LIST);
            return false;
        }
        qint32 count = 0;
        ar >> count;
        if (count < 0 || count > ar.BytesLeft() / kRowSize) {
            error = LoadString(IDS_FMTLIST_TOO_MANY_ROWS).arg(count);
            return false;
        }
        read.reserve(count);
        for (row = 0; row < count; ++row) {
            CFormatListEntry e;
            ar >> e.name;
            const QString problem = NameProblem(e.name);
            if (!problem.isEmpty()) {
                error = LoadString(IDS_FMTLIST_ROW_PROBLEM).arg(row + 1).arg(problem);
                return false;
            }
            ar >> e.videoType >> e.syncType >> e.hRes >> e.vRes >> e.hRate >> e.vRate >> e.pixelRate >> e.scan;
            e.hRate = RateFromFile(e.hRate);
            e.vRate = RateFromFile(e.vRate);
            e.pixelRate = RateFromFile(e.pixelRate);
            read.push_back(e);
        }
        if (ar.BytesLeft() != 0) {
            error = LoadString(IDS_FMTLIST_BYTES_AFTER).arg(ar.BytesLeft());
            return false;
        }
    } catch (const CArchiveException &) {
        error = row < 0 ? LoadString(IDS_FMTLIST_TOO_SHORT)
                        : LoadString(IDS_FMTLIST_ENDS_IN_ROW).arg(row + 1);
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

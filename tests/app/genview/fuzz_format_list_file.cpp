// Random bytes as a format-list file: the reader may refuse them, never
// reads past the end, and what it takes are rows a command line can carry,
// which it reads back the same once written.
#include "FormatListFile.h"
#include "FuzzCheck.h"

#include <cmath>

namespace {

bool SameRate(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<CFormatListEntry> rows;
    QString error;
    if (!FormatListFile::Read(bytes, rows, error)) {
        FuzzCheck(rows.isEmpty() && !error.isEmpty());
        return 0;
    }
    FuzzCheck(qint64(rows.size()) * FormatListFile::kRowSize + FormatListFile::kHeaderSize <= qint64(size));
    for (const CFormatListEntry &row : rows) {
        FuzzCheck(!row.name.isEmpty() && row.name.size() <= FormatListFile::kMaxNameLength);
        FuzzCheck(!row.name.contains(u'"') && !row.name.contains(u';'));
        for (double rate : {row.hRate, row.vRate, row.pixelRate})
            FuzzCheck(std::isfinite(rate) || std::isnan(rate));
    }
    QList<CFormatListEntry> again;
    FuzzCheck(FormatListFile::Read(FormatListFile::Bytes(rows), again, error));
    FuzzCheck(again.size() == rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        FuzzCheck(again[i].name == rows[i].name && again[i].videoType == rows[i].videoType);
        FuzzCheck(again[i].syncType == rows[i].syncType && again[i].hRes == rows[i].hRes && again[i].vRes == rows[i].vRes);
        FuzzCheck(SameRate(again[i].hRate, rows[i].hRate) && SameRate(again[i].vRate, rows[i].vRate));
        FuzzCheck(SameRate(again[i].pixelRate, rows[i].pixelRate) && again[i].scan == rows[i].scan);
    }
    return 0;
}

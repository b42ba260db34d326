#include "CFractalCodec.h"

#include "AppFolders.h"
#include "CProgressDlg.h"
#include "Profile.h"
#include "ProfileKeys.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <new>

namespace {

// The logs go to the image folder when it can take them, else to the data
// folder; a log that cannot be written costs the run nothing.
QString LogPath(const char *name)
{
    const QString folder = GetProfileString(QString::fromLatin1(ProfileKeys::kFolders),
                                            QString::fromLatin1(ProfileKeys::kImageDownload));
    const QFileInfo info(folder);
    if (!folder.isEmpty() && info.isDir() && info.isWritable())
        return QDir(folder).filePath(QString::fromLatin1(name));
    if (AppDataFolder().isEmpty())
        return {};
    return AppDataFile(QString::fromLatin1(name));
}

} // namespace

CFractalCodec::~CFractalCodec()
{
    Release();
}

void CFractalCodec::SetFiles(const QString &input, const QString &output, int append)
{
    m_input = input;
    m_output = output;
    m_append = append != 0;
}

void CFractalCodec::Release()
{
    m_imageData = {};
    m_imageRows = {};
    for (auto &image : m_domImage)
        image = {};
    for (auto &rows : m_domRows)
        rows = {};
    m_indexBits = {};
    m_pool = {};
    m_bits = {};
    m_tempData = {};
    m_tempRows = {};
    m_misc = {};
    m_records = {};
    if (m_log.isOpen())
        m_log.close();
}

void CFractalCodec::OpenLog(const char *name)
{
    const QString path = LogPath(name);
    if (path.isEmpty())
        return;
    m_log.setFileName(path);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        m_log.setFileName(QString());
}

void CFractalCodec::Log(const QString &text)
{
    if (m_log.isOpen())
        m_log.write(text.toUtf8());
}

template <class T> bool CFractalCodec::Allocate(std::vector<T> &buffer, size_t count, const QString &name)
{
    try {
        buffer.assign(count, T{});
    } catch (const std::bad_alloc &) {
        return false;
    }
    const long long bytes = static_cast<long long>(count * sizeof(T));
    m_allocated += bytes;
    Log(QStringLiteral("%1: %2\n").arg(name).arg(bytes));
    return true;
}

template bool CFractalCodec::Allocate(std::vector<uint8_t> &, size_t, const QString &);
template bool CFractalCodec::Allocate(std::vector<uint8_t *> &, size_t, const QString &);
template bool CFractalCodec::Allocate(std::vector<double> &, size_t, const QString &);
template bool CFractalCodec::Allocate(std::vector<double *> &, size_t, const QString &);
template bool CFractalCodec::Allocate(std::vector<int> &, size_t, const QString &);

int CFractalCodec::Fail(int code)
{
    Release();
    return code;
}

void CFractalCodec::Status(CProgressDlg *progress, int line, const QString &text)
{
    if (progress)
        progress->SetStatus(line, text);
}

bool CFractalCodec::SetQuantisation(double scaleLimit, int scaleBits, int offsetBits)
{
    if (!(scaleLimit > 0) || !std::isfinite(scaleLimit) || scaleBits < 1 || scaleBits > 16 || offsetBits < 1
        || offsetBits > 16)
        return false;
    m_scaleLimit = scaleLimit;
    m_scaleBits = scaleBits;
    m_offsetBits = offsetBits;
    m_zeroScaleCode = int(std::floor(0.5 + double(1 << scaleBits) / 2));
    return true;
}

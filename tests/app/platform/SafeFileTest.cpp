// The one writer and the bounded reader: what is there before a failed
// write stays byte for byte, with no file left beside it, and what is no
// regular file is refused at once.
#include "SafeFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <fcntl.h>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SafeFileTest : public PlatformTest {
protected:
    QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    void Put(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QStringList Entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(SafeFileTest, WritesAFileWholeAndReplacesTheOldOneKeepingItsRights)
{
    const QString path = TempPath("out.cmd");
    QString why;
    ASSERT_TRUE(SafeFile::WriteWhole(path, "first", &why)) << why.toStdString();
    EXPECT_EQ(ReadAll(path), "first");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    ASSERT_TRUE(SafeFile::WriteWhole(path, "second, longer", &why)) << why.toStdString();
    EXPECT_EQ(ReadAll(path), "second, longer");
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    ASSERT_TRUE(SafeFile::WriteWhole(path, QByteArray(), &why));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(Entries(tempDir.path()), QStringList{"out.cmd"});

    // Through a link the file it names is written and the link stays.
    const QString link = TempPath("link.cmd");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(SafeFile::WriteWhole(link, "through the link", &why)) << why.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(path), "through the link");
}

// Every failure: the old file byte for byte, nothing beside it, and a
// sentence that names the path and the reason.
TEST_F(SafeFileTest, AFailedWriteKeepsTheOldFileAndSaysWhy)
{
    const QByteArray old(3000, 'o');
    const QByteArray bigger(8192, 'n');
    const QString fifo = TempPath("fifo.cmd");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString locked = TempPath("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    Put(locked + "/kept.cmd", old);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QString full = TempPath("full");
    ASSERT_TRUE(QDir().mkpath(full));
    Put(full + "/kept.cmd", old);
    ASSERT_TRUE(QDir().mkpath(TempPath("folder.cmd")));

    const struct {
        const char *name;
        QString path;
        long long room; // bytes a file may take, -1: no limit
        SafeFile::Written outcome;
        QString why;
    } rows[] = {
        {"a disk that fills", full + "/kept.cmd", 4096, SafeFile::Written::NotWritten,
         "\"" + full + "/kept.cmd\" could not be written: File too large. The file already there is unchanged."},
        {"a read-only folder", locked + "/kept.cmd", -1, SafeFile::Written::NotCreated,
         "\"" + locked + "/kept.cmd\" could not be written: Permission denied. The file already there is unchanged."},
        {"a new file in a read-only folder", locked + "/new.cmd", -1, SafeFile::Written::NotCreated,
         "\"" + locked + "/new.cmd\" could not be written: Permission denied."},
        {"no such folder", TempPath("none/x.cmd"), -1, SafeFile::Written::NotCreated,
         "\"" + TempPath("none/x.cmd") + "\" could not be written: No such file or directory."},
        {"a FIFO", fifo, -1, SafeFile::Written::NotCreated, "\"" + fifo + "\" is a pipe (FIFO), not a file."},
        {"a device", "/dev/null", -1, SafeFile::Written::NotCreated, "\"/dev/null\" is a device, not a file."},
        {"a folder", TempPath("folder.cmd"), -1, SafeFile::Written::NotCreated,
         "\"" + TempPath("folder.cmd") + "\" is a folder, not a file."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString why;
        SafeFile::Written outcome;
        const auto started = std::chrono::steady_clock::now();
        {
            ScopedFilePermissions asUser;
            std::optional<ScopedFileSizeLimit> disk;
            if (row.room >= 0)
                disk.emplace(row.room);
            outcome = SafeFile::Write(row.path, bigger, &why);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "a FIFO is not waited on";
        EXPECT_EQ(outcome, row.outcome);
        EXPECT_EQ(why, row.why);
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const QString &folder : {locked, full}) {
        EXPECT_EQ(ReadAll(folder + "/kept.cmd"), old) << folder.toStdString();
        EXPECT_EQ(Entries(folder), QStringList{"kept.cmd"}) << "no temporary file left";
    }
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the FIFO stays a FIFO";
    EXPECT_EQ(Entries(tempDir.path()), (QStringList{"fifo.cmd", "folder.cmd", "full", "locked"}));
}

// A real small file system that fills, then turns read-only: only where
// this process may mount one.
TEST_F(SafeFileTest, AFullAndAReadOnlyFileSystemKeepTheOldFile)
{
    const QString mountPoint = TempPath("tmpfs");
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    const QByteArray point = QFile::encodeName(mountPoint);
    if (mount("zot", point.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString path = mountPoint + "/kept.cmd";
    const QByteArray old(3000, 'o');
    Put(path, old);
    QString why;
    EXPECT_EQ(SafeFile::Write(path, QByteArray(200 * 1024, 'n'), &why), SafeFile::Written::NotWritten);
    EXPECT_EQ(why, "\"" + path + "\" could not be written: No space left on device. The file already there is unchanged.");
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(Entries(mountPoint), QStringList{"kept.cmd"});

    ASSERT_EQ(mount("zot", point.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    EXPECT_EQ(SafeFile::Write(path, "new", &why), SafeFile::Written::NotCreated);
    EXPECT_EQ(why, "\"" + path + "\" could not be written: Read-only file system. The file already there is unchanged.");
    EXPECT_EQ(ReadAll(path), old);
    umount2(point.constData(), MNT_DETACH);
}

// Readers: refused at once, before a byte is read.
TEST_F(SafeFileTest, TheReaderTakesOnlyARegularFileOfItsKindsSize)
{
    const QString fifo = TempPath("in.fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString sparse = TempPath("sparse.bin");
    {
        QFile file(sparse);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(8) << 30)); // 8 GB of nothing
    }
    const QString small = TempPath("small.bin");
    Put(small, "12345");
    const struct {
        const char *name;
        QString path;
        qint64 max;
        SafeFile::Read outcome;
        QString why;
    } rows[] = {
        {"a FIFO", fifo, 100, SafeFile::Read::NotOpened, "\"" + fifo + "\" is a pipe (FIFO), not a file."},
        {"a folder", tempDir.path(), 100, SafeFile::Read::NotOpened, "\"" + tempDir.path() + "\" is a folder, not a file."},
        {"a device without end", "/dev/zero", 100, SafeFile::Read::NotOpened, "\"/dev/zero\" is a device, not a file."},
        {"a sparse file past the kind's size", sparse, 1 << 20, SafeFile::Read::TooLarge,
         "\"" + sparse + "\" holds 8589934592 bytes; a file of this kind holds at most 1048576."},
        {"one byte too many", small, 4, SafeFile::Read::TooLarge, "\"" + small + "\" holds 5 bytes; a file of this kind holds at most 4."},
        {"nothing there", TempPath("none.bin"), 100, SafeFile::Read::NotOpened,
         "\"" + TempPath("none.bin") + "\" could not be read: No such file or directory."},
        {"just its size", small, 5, SafeFile::Read::Yes, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray bytes;
        QString why;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(SafeFile::ReadWhole(row.path, row.max, bytes, &why), row.outcome);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        if (!row.why.isEmpty()) {
            EXPECT_EQ(why, row.why);
        }
        EXPECT_EQ(bytes, row.outcome == SafeFile::Read::Yes ? QByteArray("12345") : QByteArray());
    }
}

} // namespace

// Every writer of a user's file under the same failures: a disk that
// fills, a FIFO at the path, a folder it may not write into. The old file
// stays byte for byte, one box says what failed and why, no temporary file
// is left, and nothing waits on the FIFO.
#include "BitmapFixtures.h"
#include "CFormat.h"
#include "CFractalCodec.h"
#include "CImage.h"
#include "CSequence.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <functional>
#include <optional>
#include <sys/stat.h>

namespace {

class EveryWriterTest : public PlatformTest {
protected:
    QByteArray ReadAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
};

// A 64 x 64 plane coded as the image tools code one.
QByteArray FractalStream(const QString &folder)
{
    QByteArray plane(64 * 64, '\0');
    for (int i = 0; i < plane.size(); ++i)
        plane[i] = char((i % 64) * 4);
    const QString raw = folder + "/plane.raw";
    const QString fic = folder + "/plane.fic";
    if (!WriteFile(raw, plane))
        return {};
    CFractalCodec coder;
    coder.SetFiles(raw, fic, 0);
    if (coder.Compress(nullptr, {.tolerance = 8.0, .rowLength = 64, .rowCount = 64, .deepDepth = 6, .shallowDepth = 4,
                                 .domainStep = 1, .scaleBits = 5, .offsetBits = 7, .scaleLimit = 1.0})
        != 0)
        return {};
    return ReadFile(fic);
}

TEST_F(EveryWriterTest, AFailedWriteKeepsTheOldFileAndSaysWhy)
{
    const QString work = TempPath("work");
    ASSERT_TRUE(QDir().mkpath(work));
    const QString stream = work + "/in.fic";
    prompter.ExpectMessage(PromptMatch::Caption("Finished Compression"), IDOK); // the coder's own report
    ASSERT_TRUE(WriteFile(stream, FractalStream(work)));
    // Each writer, and the box it shows (empty: it returns a code instead).
    struct Writer {
        const char *name;
        std::function<void(const QString &path)> write;
        const char *box;
    };
    const Writer writers[] = {
        {"sequence command file",
         [](const QString &path) {
             CSequence sequence;
             sequence.SetSteps({CSequenceStep()});
             sequence.WriteCommandFile(path, "Seq");
         },
         "Error Creating File\n\n"},
        {"image command file", [](const QString &path) { CImage().WriteCommandFile(path, "Img"); }, "Error Creating File\n\n"},
        {"format command file", [](const QString &path) { CFormat().WriteCommandFile(path, "VGA"); },
         "Error Creating File\n\n"},
        {"fractal decoder output",
         [&stream](const QString &path) {
             CFractalCodec decoder;
             decoder.SetFiles(stream, path, 0);
             EXPECT_EQ(decoder.Decompress(nullptr, 1, 1, 2, 1.0, 5, 7), CFractalCodec::kFileError);
         },
         ""},
    };
    const struct {
        const char *name;
        const char *reason; // what the box says after the path
    } failures[] = {
        {"full", "could not be written: File too large. The file already there is unchanged."},
        {"fifo", "is a pipe (FIFO), not a file."},
        {"locked", "could not be written: Permission denied. The file already there is unchanged."},
    };
    const QByteArray old(3000, 'o');
    for (const Writer &writer : writers) {
        for (const auto &failure : failures) {
            SCOPED_TRACE(std::string(writer.name) + ", " + failure.name);
            const QString folder = TempPath(QString("%1-%2").arg(int(&writer - writers)).arg(failure.name));
            ASSERT_TRUE(QDir().mkpath(folder));
            const QString path = folder + "/target";
            const bool fifo = QLatin1String(failure.name) == QLatin1String("fifo");
            if (fifo) {
                ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            } else {
                ASSERT_TRUE(WriteFile(path, old));
            }
            const bool locked = QLatin1String(failure.name) == QLatin1String("locked");
            if (locked) {
                ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            }
            if (*writer.box != '\0')
                prompter.ExpectMessage(PromptMatch::Text(writer.box + ('"' + path + "\" ") + failure.reason), IDOK);
            const auto started = std::chrono::steady_clock::now();
            {
                std::optional<ScopedFilePermissions> asUser;
                std::optional<ScopedFileSizeLimit> full;
                if (locked)
                    asUser.emplace();
                if (QLatin1String(failure.name) == QLatin1String("full"))
                    full.emplace(10);
                writer.write(path);
            }
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20)) << "nothing waits on the FIFO";
            prompter.VerifyAllUsed();
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            struct stat status {};
            ASSERT_EQ(stat(QFile::encodeName(path).constData(), &status), 0);
            if (fifo) {
                EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the FIFO stays";
            } else {
                EXPECT_EQ(ReadAll(path), old);
            }
            EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                      QStringList{"target"})
                << "no temporary file left";
        }
    }
}

} // namespace

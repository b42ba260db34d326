#include "AppFolders.h"
#include "Profile.h"
#include "ProfileKeys.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

class ProfileTest : public PlatformTest {};

TEST_F(ProfileTest, AbsentValuesGiveTheDefaultAndWrittenOnesComeBack)
{
    using namespace ProfileKeys;
    EXPECT_EQ(GetProfileInt(kPort, kPortCom, 1), 1);
    EXPECT_EQ(GetProfileString(kFolders, kFileOpen), QString());
    ASSERT_TRUE(WriteProfileInt(kPort, kPortCom, 3));
    ASSERT_TRUE(WriteProfileInt(kWindow, kMainX1, -1));
    ASSERT_TRUE(WriteProfileString(kFolders, kFileOpen, QStringLiteral("/data/fmt files/")));
    EXPECT_EQ(GetProfileInt(kPort, kPortCom, 1), 3);
    EXPECT_EQ(GetProfileInt(kWindow, kMainX1, 0), -1);
    EXPECT_EQ(GetProfileString(kFolders, kFileOpen), QStringLiteral("/data/fmt files/"));
    // Sections keep their keys apart.
    EXPECT_EQ(GetProfileInt(kPort, kPortIsa, 0), 0);
}

TEST_F(ProfileTest, ValuesLiveInTheTestFolderUnderTheProgramsNames)
{
    ASSERT_TRUE(WriteProfileInt(QStringLiteral("Generator"), QStringLiteral("PersistentBaudRate"), 9600));
    const QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Zotware"));
    EXPECT_TRUE(QFile::exists(settings.fileName()));
    EXPECT_TRUE(settings.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME"))) << qPrintable(settings.fileName());
    EXPECT_FALSE(settings.fileName().startsWith(QDir::homePath() + QStringLiteral("/.config")));
}

TEST_F(ProfileTest, AStringWhereANumberBelongsGivesTheDefault)
{
    WriteProfileString(QStringLiteral("Port"), QStringLiteral("Type"), QStringLiteral("serial"));
    EXPECT_EQ(GetProfileInt(QStringLiteral("Port"), QStringLiteral("Type"), 0), 0);
    WriteProfileString(QStringLiteral("Port"), QStringLiteral("Type"), QStringLiteral(" 4 "));
    EXPECT_EQ(GetProfileInt(QStringLiteral("Port"), QStringLiteral("Type"), 0), 4);
}

TEST_F(ProfileTest, DataFolderIsTheProgramFolderOnlyWhenItCanBeWritten)
{
    const QString standard = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(standard.startsWith(qEnvironmentVariable("XDG_DATA_HOME"))) << qPrintable(standard);

    // Nothing configured: the standard place, created.
    EXPECT_EQ(AppDataFolder(), QDir::cleanPath(standard));
    EXPECT_TRUE(QFileInfo(standard).isDir());

    // A writable program folder is used.
    WriteProfileString(QStringLiteral("Folders"), QStringLiteral("Program"), tempDir.path() + u'/');
    EXPECT_EQ(AppDataFolder(), QDir::cleanPath(tempDir.path()));
    EXPECT_EQ(AppDataFile(QStringLiteral("Com-2.txt")), tempDir.filePath(QStringLiteral("Com-2.txt")));

    // One that is missing, or is no folder, is not.
    WriteProfileString(QStringLiteral("Folders"), QStringLiteral("Program"), TempPath(QStringLiteral("missing")));
    EXPECT_EQ(AppDataFolder(), QDir::cleanPath(standard));
    QFile plainFile(TempPath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    plainFile.close();
    WriteProfileString(QStringLiteral("Folders"), QStringLiteral("Program"), plainFile.fileName());
    EXPECT_EQ(AppDataFolder(), QDir::cleanPath(standard));
}

} // namespace

#include "TestSupport.h"

#include <QWidget>

#include <QPixmap>

#include <QImage>

#include <QDir>

#include "Numbers.h"
#include "Profile.h"

#include <QSettings>

namespace {

// Lives until the process ends, removing the folder then.
QTemporaryDir &SessionFolder()
{
    static QTemporaryDir folder;
    return folder;
}

void PointAtSessionFolder()
{
    const QString root = SessionFolder().path();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (root + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", root.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root + QStringLiteral("/config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root + QStringLiteral("/config"));
}

} // namespace

QApplication &EnsureTestApplication()
{
    static QApplication *app = [] {
        PointAtSessionFolder();
        static int argc = 1;
        static char name[] = "zot3-tests";
        static char *argv[] = {name, nullptr};
        SetApplicationIdentity();
        // Never deleted: Qt's own globals outlive static destruction otherwise.
        auto *created = new QApplication(argc, argv);
        SetNumericLocale(); // after the application, which sets the desktop's locale
        return created;
    }();
    return *app;
}

void ClearTestProfile()
{
    QSettings settings(QString::fromLatin1(kProfileOrganisation), QString::fromLatin1(kProfileApplication));
    settings.clear();
    settings.sync();
}

PlatformTest::PlatformTest()
{
    EnsureTestApplication();
}

void PlatformTest::SetUp()
{
    ASSERT_TRUE(SessionFolder().isValid());
    ASSERT_TRUE(tempDir.isValid());
    ClearTestProfile();
}

void PlatformTest::TearDown()
{
    prompter.VerifyAllUsed();
}

QString PlatformTest::TempPath(const QString &name) const
{
    return tempDir.filePath(name);
}

// The font library keeps a cache it never frees; that is not ours to find
// in every widget test run under the leak checker.
extern "C" __attribute__((used)) const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

void SaveScreenshot(QWidget &widget, const QString &name)
{
    QCoreApplication::processEvents();
    const QPixmap picture = widget.grab();
    ASSERT_FALSE(picture.isNull()) << qPrintable(name);
    const QString folder = qEnvironmentVariable("ZOT_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    ASSERT_TRUE(picture.save(path)) << qPrintable(path);
    EXPECT_EQ(QImage(path).size(), picture.size()) << qPrintable(path);
}

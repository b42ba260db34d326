#include "TestSupport.h"

#include <QWidget>

#include <QPixmap>

#include <QImage>

#include <QDir>

#include "Numbers.h"
#include "Profile.h"

#include <QSettings>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

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
    SaveScreenshot(picture.toImage(), name);
}

void SaveScreenshot(const QImage &picture, const QString &name)
{
    ASSERT_FALSE(picture.isNull()) << qPrintable(name);
    const QString folder = qEnvironmentVariable("ZOT_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    ASSERT_TRUE(picture.save(path)) << qPrintable(path);
    EXPECT_EQ(QImage(path).size(), picture.size()) << qPrintable(path);
}

ScopedFileSizeLimit::ScopedFileSizeLimit(long long limit)
{
    rlimit current{};
    getrlimit(RLIMIT_FSIZE, &current);
    m_saved[0] = current.rlim_cur;
    m_saved[1] = current.rlim_max;
    // Without this the process would end at the first write beyond the limit.
    m_savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    current.rlim_cur = rlim_t(limit);
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &current), 0);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    const rlimit saved{rlim_t(m_saved[0]), rlim_t(m_saved[1])};
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, m_savedSignal);
}

namespace {

constexpr unsigned kFileOverrides =
    CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH) | CAP_TO_MASK(CAP_FOWNER);

bool GetCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool SetCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

ScopedFilePermissions::ScopedFilePermissions()
{
    __user_cap_data_struct data[2] = {};
    if (!GetCapabilities(data) || (data[0].effective & kFileOverrides) == 0)
        return;
    m_savedEffective = data[0].effective;
    data[0].effective &= ~kFileOverrides; // still permitted: they can come back
    m_dropped = SetCapabilities(data);
    EXPECT_TRUE(m_dropped) << "could not give up the file overrides";
}

ScopedFilePermissions::~ScopedFilePermissions()
{
    __user_cap_data_struct data[2] = {};
    if (!m_dropped || !GetCapabilities(data))
        return;
    data[0].effective = m_savedEffective;
    SetCapabilities(data);
}

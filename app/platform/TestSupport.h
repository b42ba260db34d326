#pragma once
// Test support shared by every folder's tests: one offscreen QApplication
// whose profile and data folders lie in a temporary folder, and a fixture
// that gives each test an empty profile, a scripted prompter and a folder.

#include "ScriptedPrompter.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Failures show texts as text and bytes in hexadecimal.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << bytes.toHex(' ').toStdString();
}

// Creates the application on first use (QT_QPA_PLATFORM=offscreen, the
// profile and XDG folders under one temporary folder) and returns it.
QApplication &EnsureTestApplication();

// Forgets every profile value.
void ClearTestProfile();

// Saves a picture of widget as <name>.png in $ZOT_SCREENSHOT_DIR, when that
// is set, for a person to look at. The picture is taken in any case, so a
// widget that cannot be drawn fails the test.
void SaveScreenshot(QWidget &widget, const QString &name);
// The same for a picture drawn off the screen (a printed page).
void SaveScreenshot(const QImage &picture, const QString &name);

// Writes of this process fail beyond limit bytes into a file (EFBIG, as a
// full disk fails them), for as long as it lives.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(long long limit);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit &) = delete;
    ScopedFileSizeLimit &operator=(const ScopedFileSizeLimit &) = delete;

private:
    unsigned long long m_saved[2];
    void (*m_savedSignal)(int);
};

// File permissions hold for this thread while it lives, even when the
// tests run as root (which passes every check otherwise).
class ScopedFilePermissions {
public:
    ScopedFilePermissions();
    ~ScopedFilePermissions();
    ScopedFilePermissions(const ScopedFilePermissions &) = delete;
    ScopedFilePermissions &operator=(const ScopedFilePermissions &) = delete;

private:
    unsigned m_savedEffective = 0;
    bool m_dropped = false;
};

class PlatformTest : public ::testing::Test {
protected:
    PlatformTest();
    void SetUp() override;
    void TearDown() override; // fails for expectations the script still holds

    // path of name in the test's own temporary folder
    QString TempPath(const QString &name) const;

    ScriptedPrompter prompter;
    QTemporaryDir tempDir;
};

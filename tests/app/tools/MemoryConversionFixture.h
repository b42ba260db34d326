#pragma once
// A data folder, a destination and "2179core.fmt" in the test's temporary
// folder, and the log of the last conversion.

#include "ConvertFolder.h"
#include "MemoryFolderFixtures.h"
#include "TestSupport.h"

#include <QDir>

#include <optional>

class MemoryConversionTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        data = TempPath("data");
        destination = TempPath("destination");
        core = TempPath("2179core.fmt");
        QDir().mkpath(destination);
        MemoryFixtures::WriteFolder(tempDir.path(), {{"2179core.fmt", MemoryFixtures::CoreFormats()}});
    }

    // Converts source (written to the data folder) into the destination;
    // names: the files checked, by default every one but system.sys.
    bool Convert(const MemoryFolder &source, double target, std::optional<QStringList> names = std::nullopt)
    {
        MemoryFixtures::WriteFolder(data, source);
        QStringList checked;
        if (names) {
            checked = *names;
        } else {
            for (const auto &file : source)
                if (file.first != "system.sys")
                    checked << file.first;
        }
        log.clear();
        return ConvertFolder(data, destination, checked, target, [this](const QString &line) { log << line; },
                             core);
    }

    QStringList VersionLines() const
    {
        QStringList lines;
        for (const QString &line : log)
            if (line.startsWith("--> Version"))
                lines << line;
        return lines;
    }

    QByteArray Result(const QString &name) const
    {
        return MemoryFixtures::ReadFolder(destination)[name];
    }

    QString data;
    QString destination;
    QString core;
    QStringList log;
};

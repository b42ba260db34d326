#pragma once
// What the YMODEM tests on the fake port share: the test file's bytes, the
// trace file, and the fixture with its scripted steps.

#include "CGenerator.h"

#include "YmodemPeer.h"

#include "TestPorts.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <string>
#include <vector>

namespace ymodem_test {

inline const std::string kAckC = std::string(1, kAck) + "C";
using Lines = std::vector<std::string>;

inline std::string Repeat(const std::string& text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

inline std::string Dashes(int count)
{
    std::string dashes(1, '\n');
    dashes.append(size_t(count), '-');
    return dashes;
}

// The bytes of a test file: every value, none of them padding.
inline std::string Pattern(size_t length)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = char((i * 7 + 3) % 251);
    return bytes;
}

class TraceFile
{
public:
    TraceFile() { g_pYmodemTrace = m_file = std::tmpfile(); }
    ~TraceFile()
    {
        g_pYmodemTrace = nullptr;
        std::fclose(m_file);
    }
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    std::string Text()
    {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string text;
        for (int c; (c = std::fgetc(m_file)) != EOF;)
            text += char(c);
        return text;
    }

private:
    FILE* m_file;
};

class YmodemTest : public PlatformTest
{
protected:
    QString WriteFile(const QString& name, const std::string& bytes)
    {
        const QString path = TempPath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        return path;
    }

    static std::string ReadFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }

    // An empty folder for received files; the test's own folder holds nothing else.
    QString Inbox()
    {
        QDir(tempDir.path()).mkdir(QStringLiteral("in"));
        return TempPath(QStringLiteral("in"));
    }

    static QStringList Entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // The steps of sending data as the file name.
    static std::vector<Step> SendSteps(const std::string& name, const std::string& data, const std::vector<int>& lengths)
    {
        std::vector<Step> steps = {{"", "C"}, {Header(name + '\0' + std::to_string(data.size()) + " 0"), kAckC}};
        size_t at = 0;
        int number = 1;
        for (int length : lengths) {
            steps.push_back({Block(number++, Padded(data.substr(std::min(at, data.size()), size_t(length)), size_t(length))),
                             std::string(1, kAck)});
            at += size_t(length);
        }
        steps.push_back({std::string(1, kEot), std::string(1, kAck)});
        return steps;
    }

    // The steps of receiving data under a header's fields, in 128-byte blocks.
    static std::vector<Step> ReceiveSteps(const std::string& fields, const std::string& data)
    {
        std::vector<Step> steps;
        std::string ask = "C";
        steps.push_back({ask, Header(fields)});
        ask = kAckC;
        for (size_t at = 0, number = 1; at < data.size(); at += 128, ++number) {
            std::string block(128, kSub);
            data.copy(block.data(), 128, at);
            steps.push_back({ask, Block(int(number), block)});
            ask = std::string(1, kAck);
        }
        steps.push_back({ask, std::string(1, kEot)});
        steps.push_back({kAckC, NullHeader()});
        steps.push_back({std::string(1, kAck), ""});
        return steps;
    }

    FakePort port;
    CGenerator gen{nullptr, kCom1};
};

} // namespace ymodem_test

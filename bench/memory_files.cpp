// The generator's memory files: a full folder of 2.000 (300 formats, the
// image and sequence files filled) converted to revision 7, beside copying
// the same files in the same run (wall and processor time); and a 1 MiB
// revision-7 file read and checked (header, file sum, every object and its
// sum), beside reading the same bytes.
//
//   build/bench/bench_memory_files [runs] [image and sequence bytes]

#include "ConvertFolder.h"
#include "MemoryFileReader.h"
#include "MemoryFileWriter.h"
#include "MemoryFolderFixtures.h"
#include "ProcessTimes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Print(const char *what, const std::vector<double> &seconds, const char *floorName,
           const std::vector<double> &floor)
{
    const double median = Median(seconds);
    const double base = Median(floor);
    std::printf("%-36s median %.4f s; %s %.4f s; ratio %.1f\n", what, median, floorName, base, median / base);
}

bool CopyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList(QDir::Files)) {
        QFile in(from + "/" + name);
        QFile out(to + "/" + name);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(in.readAll()) < 0)
            return false;
    }
    return true;
}

// About a MiB of name lists: 1000 lists of 128 names.
QByteArray Revision7File()
{
    MemoryFileWriter writer(MemoryObjectType::NameLists);
    for (int list = 0; list < 1000; ++list) {
        writer.BeginObject("L" + QByteArray::number(list));
        writer.AppendU32(128);
        for (int n = 0; n < 128; ++n)
            writer.Append(QByteArray("Name") + QByteArray::number(n).rightJustified(4, '0'));
        writer.EndObject();
    }
    return writer.Finish();
}

bool ReadAndCheck(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    MemoryFileReader reader(file.readAll());
    if (!reader.ReadHeader() || !reader.ChecksumHolds())
        return false;
    MemoryObject object;
    MemoryFileReader::Next next;
    while ((next = reader.NextObject(object)) == MemoryFileReader::Next::Object)
        if (!object.checksumHolds)
            return false;
    return next == MemoryFileReader::Next::End;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 5);
    const int bytes = std::max(4096, argc > 2 ? std::atoi(argv[2]) : 512 * 1024);
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString data = folder.filePath("data");
    const QString destination = folder.filePath("destination");
    const QString core = folder.filePath("2179core.fmt");
    const MemoryFolder source = MemoryFixtures::FullFolder2000(bytes);
    MemoryFixtures::WriteFolder(data, source);
    MemoryFixtures::WriteFolder(folder.path(), {{"2179core.fmt", MemoryFixtures::CoreFormats()}});
    QDir().mkpath(destination);
    QStringList names;
    qint64 total = 0;
    for (const auto &[name, file] : source) {
        total += file.size();
        if (name != "system.sys")
            names << name;
    }

    const QString revision7 = folder.filePath("lists.mem");
    const QByteArray lists = Revision7File();
    MemoryFixtures::WriteFolder(folder.path(), {{"lists.mem", lists}});

    std::vector<double> convert, convertCpu, copy, check, read;
    for (int run = 0; run < runs; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        if (!CopyFolder(data, folder.filePath("copy%1").arg(run)))
            return 1;
        copy.push_back(Seconds(t0));

        const Measure measure;
        if (!ConvertFolder(data, destination, names, 7.0, [](const QString &) {}, core))
            return 1;
        convert.push_back(measure.Wall());
        convertCpu.push_back(measure.Cpu());

        t0 = std::chrono::steady_clock::now();
        QFile plain(revision7);
        if (!plain.open(QIODevice::ReadOnly) || plain.readAll().size() != lists.size())
            return 1;
        read.push_back(Seconds(t0));

        t0 = std::chrono::steady_clock::now();
        if (!ReadAndCheck(revision7))
            return 1;
        check.push_back(Seconds(t0));
    }
    std::printf("a folder of 2.000: %lld bytes in %zu files; a revision-7 file of %lld bytes; %d runs\n",
                static_cast<long long>(total), source.size(), static_cast<long long>(lists.size()), runs);
    Print("conversion of 2.000 to 7.0", convert, "copy of the folder", copy);
    // Every file a step writes is flushed to the disk before it replaces
    // the old one (about 50 in this chain); the processor's share:
    Print("  its processor time", convertCpu, "copy of the folder", copy);
    Print("revision-7 file read and checked", check, "plain read", read);
    return 0;
}

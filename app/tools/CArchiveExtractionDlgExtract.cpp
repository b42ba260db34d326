// One generator's extraction: its memory files over the ISA host port or by
// YMODEM into a staging folder inside the destination, then in place of the
// old ones. The generator's settings come back on every path.

#include "CArchiveExtractionDlg.h"

#include "CGenerator.h"
#include "CGeneratorView.h"
#include "CProgressDlg.h"
#include "GeneratorViewHost.h"
#include "MemoryFiles.h"
#include "MessageTarget.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "SafeFile.h"
#include "StringTable.h"
#include "SystemRecord.h"
#include "YmodemTraceFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>


namespace {

constexpr double kExtractPkupFrom = 3.0;
constexpr double kExtractNewNamesFrom = 2.349;
constexpr double kExtractDirectoriesFrom = 2.898;
constexpr double kExtractRevision7 = 7.0;
constexpr double kExtractImageFixBelow = 3.07;
constexpr double kExtractListSettleSeconds = 0.5;
constexpr double kExtractAfterTransferSeconds = 2.0;
constexpr int kExtractSize = 8;
constexpr int kExtractBase = 10;

// The files a COM generator is asked for, in the order it sends them.
QStringList ExtractionRequestedFiles(const ExtractItem& item, double version)
{
    QStringList names;
    if (version >= kExtractRevision7) {
        if (item.formats)
            names << (item.allFormats ? "fmtsall.mem" : "format.mem");
        if (item.sequences)
            names << "sequence.mem";
        if (item.images)
            names << "image.mem";
        if (item.knobs)
            names << "dir.mem" << "path.mem";
        if (item.fonts)
            names << (item.allFonts ? "fontsall.mem" : "font.mem");
        if (item.luts)
            names << "lut.mem";
        if (item.bitmaps)
            names << "map.mem";
        if (item.aliases)
            names << "alias.mem";
        if (item.firmware)
            names << "firmware.mem";
        return names;
    }
    const bool newNames = version >= kExtractNewNamesFrom - 1e-9;
    if (item.formats)
        names << (newNames ? "format.mem" : "formats.fmt");
    if (item.images)
        names << (newNames ? "image.mem" : "images.img");
    if (item.sequences)
        names << (newNames ? "sequence.mem" : "sequence.seq");
    if (item.knobs) {
        if (version >= kExtractDirectoriesFrom - 1e-9)
            names << "dir.mem" << "path.mem";
        else
            names << "format.knb" << "image.knb" << "sequence.knb";
    }
    return names;
}

} // namespace

bool CArchiveExtractionDlg::Extract(ExtractItem& item, CProgressDlg& progress)
{
    CGeneratorView* view = item.view;
    CGenerator* generator = view ? view->GetGenerator() : nullptr;
    if (!generator)
        return false;
    // Everything arrives in a staging folder first; it goes with this object.
    QTemporaryDir staging(item.folder + QStringLiteral(".extract-XXXXXX"));
    if (!staging.isValid()) {
        MessageBox(this, PromptText(IDS_EXTRACTION_CANNOT_STAGE, {QDir::toNativeSeparators(item.folder)}),
                   PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
        return false;
    }
    const QString stagingFolder = staging.path() + QLatin1Char('/');

    HostOperation operation(view->Host());
    CGenerator::MakeCurrent(generator);
    generator->QueryVerf();
    QObject* mainWindow = view->Host() ? view->Host()->MessageWindow() : nullptr;
    if (mainWindow)
        SendMessage(mainWindow, WM_GENERATOR_BUSY, 1, ToLParam(view));

    const int size = generator->QuerySize();
    generator->CmdSize(kExtractSize);
    const int base = generator->QueryBase();
    generator->CmdBase(kExtractBase);

    bool done = false;
    switch (generator->GetPortType()) {
    case PortType::Isa: done = ExtractOverCard(item, *generator, stagingFolder, progress); break;
    case PortType::Com: done = ExtractOverCom(item, *generator, stagingFolder, progress); break;
    default:
        MessageBox(this, PromptText(IDS_EXTRACTION_NO_PORT_TYPE, {generator->GetPortName()}),
                   PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
        break;
    }
    done = done && !progress.IsCancelled() && PlaceFiles(stagingFolder, item.folder);

    progress.SetStatus(IDC_STATUS2, LoadString(done ? IDS_EXTRACTION_COMPLETED : IDS_EXTRACTION_FAILED_CLEANUP));
    generator->CmdSize(size);
    generator->CmdBase(base);
    generator->CmdAllu();
    if (mainWindow && view)
        SendMessage(mainWindow, WM_GENERATOR_BUSY, 0, ToLParam(view));
    return done;
}

bool CArchiveExtractionDlg::ExtractOverCard(ExtractItem& item, CGenerator& generator, const QString& staging,
                                            CProgressDlg& progress)
{
    if (!generator.ExtractSystemFile(staging, &progress))
        return false;
    const double version = generator.GetFirmwareVersion();
    if (version >= kExtractPkupFrom)
        generator.CmdPkup();
    // An unchecked kind is skipped; the chain goes on with the next.
    if (item.formats && !generator.ExtractFormatMemory(staging, &progress))
        return false;
    if (item.images && !generator.ExtractImageMemory(staging, &progress))
        return false;
    if (item.sequences && !generator.ExtractSequenceMemory(staging, &progress))
        return false;
    if (item.knobs) {
        const bool knobs = version >= kExtractDirectoriesFrom - 1e-9 ? generator.ExtractDirAndPath(staging, &progress)
                                                               : generator.ExtractKnobFiles(staging, &progress);
        if (!knobs)
            return false;
    }
    return true;
}

bool CArchiveExtractionDlg::ExtractOverCom(ExtractItem& item, CGenerator& generator, const QString& staging,
                                           CProgressDlg& progress)
{
    const bool outputs = generator.QueryOutgOn();
    if (outputs) {
        generator.CmdOutg(0);
        generator.CmdAllu();
    }
    const double version = generator.GetFirmwareVersion();
    const QStringList names = ExtractionRequestedFiles(item, version);
    bool done = false;
    {
        YmodemTraceFile trace(QStringLiteral("extract.data"));
        bool ready = true;
        if (version < kExtractRevision7) {
            progress.SetStatus(IDC_STATUS2, LoadString(IDS_EXTRACTION_WORKING));
            ready = SafeFile::WriteWhole(staging + QStringLiteral("system.sys"), SystemRecord::ForRevision(version).Bytes());
            generator.Delay(kExtractListSettleSeconds);
        }
        if (ready) {
            generator.FlushPort();
            QString list;
            for (const QString& name : names)
                list += name + QLatin1Char(' ');
            if (generator.CmdYmdo(list)) {
                const int received = generator.YmodemReceive(staging, &progress);
                // Exactly the files asked for, not just as many.
                QStringList got = QDir(staging).entryList(QDir::Files, QDir::Name);
                got.removeAll(QStringLiteral("system.sys"));
                QStringList wanted = names;
                wanted.sort();
                done = received == names.size() && got == wanted;
                if (!done && !progress.IsCancelled() && received > 0)
                    MessageBox(this,
                               PromptText(IDS_EXTRACTION_WRONG_FILES,
                                          {item.root->text(0), got.join(QLatin1Char(' ')), names.join(QLatin1Char(' '))}),
                               PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
            }
        }
    }
    if (done && item.images && version > kExtractNewNamesFrom && version < kExtractImageFixBelow) {
        progress.SetStatus(IDC_STATUS2, LoadString(IDS_EXTRACTION_FIXING_IMAGES));
        // These builds leave the table's final 0 off: put it back, whole or not at all.
        const QString images = staging + QStringLiteral("image.mem");
        constexpr qint64 kLargestImageFile = 1 << 20;
        QByteArray bytes;
        if (QFile::exists(images))
            done = SafeFile::ReadWhole(images, kLargestImageFile, bytes) == SafeFile::Read::Yes
                   && SafeFile::WriteWhole(images, bytes + QByteArray(1, '\0'));
    }
    generator.Delay(kExtractAfterTransferSeconds);
    if (outputs)
        generator.CmdOutg(1);
    return done;
}

// The old memory files step aside into the staging folder, the new ones
// take their place; when one does not move, everything goes back as it was.
bool CArchiveExtractionDlg::PlaceFiles(const QString& staging, const QString& folder)
{
    const QString aside = staging + QStringLiteral(".old/");
    const QStringList files = QDir(staging).entryList(QDir::Files);
    bool placed = QDir().mkpath(aside);
    QStringList movedAside;
    for (const char* name : MemoryFileNames) {
        const QString file = QLatin1String(name);
        if (!placed || !QFile::exists(folder + file))
            continue;
        placed = QFile::rename(folder + file, aside + file);
        if (placed)
            movedAside << file;
    }
    QStringList movedIn;
    for (const QString& name : files) {
        if (!placed)
            break;
        placed = QFile::rename(staging + name, folder + name);
        if (placed)
            movedIn << name;
    }
    if (placed)
        return true;
    for (const QString& name : movedIn)
        QFile::remove(folder + name);
    for (const QString& name : movedAside)
        QFile::rename(aside + name, folder + name);
    MessageBox(this, PromptText(IDS_EXTRACTION_CANNOT_STAGE, {QDir::toNativeSeparators(folder)}),
               PromptText(IDS_EXTRACT_ERROR), MB_OK | MB_ICONSTOP);
    return false;
}

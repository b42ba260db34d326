// Images between the PC and generators: the send, the recall into an item
// and the copy from one generator to another.
//
// Every command goes through CGenerator, which shows communication errors
// itself. Each of these is one operation of its generators: the first
// failed command shows the one box and ends it. An operation that stops
// after opening a generator's image block ("IMGB") closes it again with
// "IMGN" and an empty name and "IMGE", also after a failed command, so the
// generator stores nothing half-made and takes its settings again; only a
// lost link leaves it, as nothing reaches the generator then.

#include "CImage.h"

#include "CCommandReader.h"
#include "CGenerator.h"
#include "CPrimitive.h"
#include "CProgressDlg.h"
#include "CommandJob.h"
#include "CommandLine.h"
#include "CommandName.h"
#include "ImageLines.h"
#include "PrimitiveLineReader.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QWidget>

#include <algorithm>

namespace {

// Firmware from which the generator takes an image's own size (XRES, YRES).
constexpr double kImageSizeFirmware = 3.03119;
// A send and a recall poll Cancel every this many primitives.
constexpr int kCancelEvery = 10;
constexpr int kMinImageSide = 2;

void ImageStatus(CProgressDlg *progress, const QString &text)
{
    if (progress)
        progress->SetStatus(IDC_STATUS2, text);
}

bool ImageCancelled(CProgressDlg *progress)
{
    return progress && progress->IsCancelled();
}

void SendImageBlockEnd(CGenerator &generator)
{
    generator.CmdImgn(QString());
    generator.CmdImge();
}

void CloseImageBlock(CGenerator &generator)
{
    CGenerator::PutBack putBack(&generator);
    if (generator.IsLinkLost()) {
        // The generator still holds the block open: closed once the link is back.
        generator.CloseAfterReconnect([g = &generator] { SendImageBlockEnd(*g); });
        return;
    }
    SendImageBlockEnd(generator);
}

// The last command went through; after a failure the block is closed.
bool Went(CGenerator &generator)
{
    if (generator.LastCommandSucceeded())
        return true;
    CloseImageBlock(generator);
    return false;
}

bool ImageSide(int side)
{
    return side >= kMinImageSide && side <= CImage::kMaxSide;
}

void ImageRefused(QWidget *parent, const QString &text)
{
    MessageBox(parent, text, PromptText(IDS_IMAGE), MB_OK | MB_ICONEXCLAMATION);
}

// A name that would break the lines it goes into: shown, nothing sent.
bool ImageNameRefused(QWidget *parent, const QString &name, unsigned refusalId)
{
    const QString problem = CommandNameProblem(name);
    if (problem.isEmpty())
        return false;
    ImageRefused(parent, FormatString(refusalId, {PrintableName(name), problem}));
    return true;
}

// Opens the block that takes an image's lines: with its size where the
// firmware knows it; else after the scale question when the current
// format's size differs. The answer of a declined question (IDNO,
// IDCANCEL) in answer; false when nothing was opened.
bool OpenImageBlock(CGenerator &g, const QString &name, int width, int height, QWidget *parent, unsigned buttons,
                    int &answer)
{
    answer = IDYES;
    if (g.GetFirmwareVersion() < kImageSizeFirmware) {
        const int h = g.QueryHres();
        if (!g.LastCommandSucceeded())
            return false;
        const int v = g.QueryVres();
        if (!g.LastCommandSucceeded())
            return false;
        if (h != width || v != height) {
            answer = MessageBox(parent,
                                PromptText(IDS_IMAGE_SCALE_QUESTION, {QString::number(width), QString::number(height),
                                                                      QString::number(h), QString::number(v)}),
                                PromptText(IDS_RESOLUTION_CONFLICT), buttons | MB_ICONEXCLAMATION);
            if (answer != IDYES)
                return false;
        }
    }
    g.CmdImgn(name);
    if (!g.LastCommandSucceeded())
        return false;
    g.CmdImgb();
    if (!Went(g))
        return false;
    if (g.GetFirmwareVersion() >= kImageSizeFirmware) {
        g.CmdXres(width);
        if (!Went(g))
            return false;
        g.CmdYres(height);
        if (!Went(g))
            return false;
    }
    return true;
}

// Loads the stored image into the generator's block for reading.
bool LoadImageForReading(CGenerator &g, const QString &name)
{
    g.CmdImgb();
    if (!Went(g))
        return false;
    g.CmdImgn(QString());
    if (!Went(g))
        return false;
    g.CmdImgl(name);
    return Went(g);
}

// The loaded image's size as the generator gives it; false (block closed,
// shown why) for a failed query or a size no image has.
bool ReadImageSize(CGenerator &g, const QString &name, QWidget *parent, int &width, int &height)
{
    width = g.QueryHres();
    if (!Went(g))
        return false;
    height = g.QueryVres();
    if (!Went(g))
        return false;
    if (ImageSide(width) && ImageSide(height))
        return true;
    CloseImageBlock(g);
    ImageRefused(parent, FormatString(IDS_IMAGE_SIZE_IMPOSSIBLE, {name, QString::number(width), QString::number(height)}));
    return false;
}

// The loaded image's primitive count; false (block closed) as above.
bool ReadImageCount(CGenerator &g, const QString &name, QWidget *parent, int &count)
{
    count = g.QueryIstp();
    if (!Went(g))
        return false;
    if (count >= 0 && count <= CImage::kMaxPrimitives)
        return true;
    CloseImageBlock(g);
    ImageRefused(parent, FormatString(IDS_IMAGE_COUNT_IMPOSSIBLE, {QString::number(count), name}));
    return false;
}

QWidget *ImageParent(CProgressDlg *progress, QWidget *fallback)
{
    return progress ? static_cast<QWidget *>(progress) : fallback;
}

} // namespace

// ===== Send ===========================================================================

bool CImage::SendToGenerator(CGenerator *generator, CProgressDlg *progress)
{
    return SendToGenerator(generator, progress, SendPurpose::Store);
}

bool CImage::SendToGenerator(CGenerator *generator, CProgressDlg *progress, SendPurpose purpose)
{
    CGenerator &g = *generator;
    QWidget *parent = ImageParent(progress, OwnerWindow());
    // Every line is checked before the first goes out.
    if (ImageNameRefused(parent, m_name, IDS_IMAGE_NOT_SENT))
        return false;
    std::vector<ImageLine> lines;
    QString problem;
    if (!CollectImageLines(m_primitives, lines, problem)) {
        ImageRefused(parent, FormatString(IDS_IMAGE_NOT_SENT, {PrintableName(m_name), problem}));
        return false;
    }
    CGenerator::Operation operation(&g);
    ImageStatus(progress, LoadString(IDS_PREPARING));
    int answer = IDYES;
    if (!OpenImageBlock(g, m_name, m_width, m_height, parent, MB_YESNO, answer))
        return false;
    if (ImageCancelled(progress)) {
        CloseImageBlock(g);
        return false;
    }
    // The lines go as jobs on the port thread, each line shown as it goes and
    // Cancel read before it; the dialog's own poll comes after lines 1, 11, 21, ...
    std::vector<CommandLine> batch;
    for (size_t i = 0; i < lines.size(); ++i) {
        batch.emplace_back(lines[i].text);
        if (i % kCancelEvery != 0 && i + 1 < lines.size())
            continue;
        const bool sent = g.SendCommandLines(batch, progress);
        batch.clear();
        if (!sent || (i % kCancelEvery == 0 && ImageCancelled(progress))) {
            CloseImageBlock(g);
            return false;
        }
    }
    const bool preview = purpose == SendPurpose::Preview;
    ImageStatus(progress, LoadString(preview ? IDS_UPDATING_DISPLAY : IDS_SAVING));
    g.CmdImge();
    if (!g.LastCommandSucceeded())
        return false;
    g.CmdImga(m_name, true);
    return g.LastCommandSucceeded();
}

// ===== Recall =========================================================================

bool CImage::RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress)
{
    CGenerator &g = *generator;
    QWidget *parent = ImageParent(progress, OwnerWindow());
    if (ImageNameRefused(parent, name, IDS_IMAGE_NOT_RECALLED))
        return false;
    // The first failed query ends the recall: the item takes nothing the generator did not give.
    CGenerator::Operation operation(&g);
    int width = 0;
    int height = 0;
    int count = 0;
    if (!LoadImageForReading(g, name) || !ReadImageSize(g, name, parent, width, height)
        || !ReadImageCount(g, name, parent, count))
        return false;
    if (progress)
        progress->SetStatus(IDC_STATUS1, FormatString(IDS_RECALLING_IMAGE, {name, QString::number(count)}));
    // Grows with what comes: a count from a reply sizes nothing.
    std::vector<std::unique_ptr<CPrimitive>> primitives;
    QStringList leftOut;
    CCommandReader reader;
    // Ten queries a job on the port thread, each line shown as it comes;
    // Cancel is read before each query and the dialog polled after each job.
    for (int first = 1; first <= count; first += kCancelEvery) {
        const int last = std::min(count, first + kCancelEvery - 1);
        QStringList received;
        const bool whole = g.RunCommands(progress, [&](CommandJob &job) {
            for (int i = first; i <= last; ++i) {
                const QString line = g.QueryIstpLine(i);
                if (!g.LastCommandSucceeded())
                    return;
                job.Status(line);
                received.append(line);
            }
        });
        if (!whole) {
            CloseImageBlock(g);
            return false;
        }
        for (const QString &line : std::as_const(received)) {
            reader.SetText(line);
            TakePrimitiveLine(reader, line, primitives, leftOut);
        }
        if (last % kCancelEvery == 0 && ImageCancelled(progress)) {
            CloseImageBlock(g);
            return false;
        }
    }
    CloseImageBlock(g);
    m_name = name;
    m_width = width;
    m_height = height;
    TakeRead(std::move(primitives), LoadString(IDS_HOW_RECALLED), leftOut);
    return true;
}

// ===== Copy between generators ==========================================================

ImageCopy CopyImage(const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress)
{
    CGenerator &s = *source;
    CGenerator &t = *target;
    QWidget *parent = ImageParent(progress, t.GetOwner());
    if (ImageNameRefused(parent, name, IDS_IMAGE_NOT_COPIED))
        return ImageCopy::NotStored;
    CGenerator::Operation sourceOperation(&s);
    CGenerator::Operation targetOperation(&t);
    if (!LoadImageForReading(s, name))
        return ImageCopy::NotStored;
    const auto closeBoth = [&s, &t] {
        CloseImageBlock(s);
        CloseImageBlock(t);
    };
    if (ImageCancelled(progress)) {
        CloseImageBlock(s);
        return ImageCopy::Cancelled;
    }
    int width = 0;
    int height = 0;
    if (!ReadImageSize(s, name, parent, width, height))
        return ImageCopy::NotStored;
    int answer = IDYES;
    if (!OpenImageBlock(t, name, width, height, parent, MB_YESNOCANCEL, answer)) {
        CloseImageBlock(s); // the target's block closed itself, if it opened
        return answer == IDCANCEL ? ImageCopy::Cancelled : ImageCopy::NotStored;
    }
    if (ImageCancelled(progress)) {
        closeBoth();
        return ImageCopy::Cancelled;
    }
    // The target stores only what the source gave, line by line.
    const int count = s.QueryIstp();
    if (!s.LastCommandSucceeded() || count < 0 || count > CImage::kMaxPrimitives) {
        closeBoth();
        return ImageCopy::NotStored;
    }
    for (int i = 1; i <= count; ++i) {
        const QString line = s.QueryIstpLine(i);
        const bool answered = s.LastCommandSucceeded();
        if (!answered || line.trimmed().isEmpty()) {
            closeBoth();
            if (answered)
                ImageRefused(parent, FormatString(IDS_IMAGE_LINE_EMPTY, {name, QString::number(i)}));
            return ImageCopy::NotStored;
        }
        ImageStatus(progress, line);
        t.SendCommandLine(line);
        if (!t.LastCommandSucceeded()) {
            closeBoth();
            return ImageCopy::NotStored;
        }
        if (ImageCancelled(progress)) {
            closeBoth();
            return ImageCopy::Cancelled;
        }
    }
    CloseImageBlock(s);
    ImageStatus(progress, LoadString(IDS_SAVING));
    if (ImageCancelled(progress)) {
        CloseImageBlock(t);
        return ImageCopy::Cancelled;
    }
    t.CmdImga(name, true);
    const bool stored = t.LastCommandSucceeded();
    CloseImageBlock(t);
    return stored ? ImageCopy::Stored : ImageCopy::NotStored;
}

int CopyImageBetweenGenerators(const QString &name, CGenerator *source, CGenerator *target, CProgressDlg *progress)
{
    return CopyImage(name, source, target, progress) == ImageCopy::Cancelled ? 0 : 1;
}

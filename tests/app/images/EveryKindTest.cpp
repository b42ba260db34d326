// An image holding every kind the line reader builds, and a render map:
// through its file and its command file and back, and on a canvas (a
// picture for a person to look at when ZOT_SCREENSHOT_DIR is set).

#include "CBlockCopy.h"
#include "CCanvas.h"
#include "CCharacterBox.h"
#include "CDot.h"
#include "CGrid.h"
#include "CGrill.h"
#include "CImage.h"
#include "CImageOption.h"
#include "CInformationBox.h"
#include "CLine.h"
#include "CMarker.h"
#include "COval.h"
#include "CRectangle.h"
#include "CRenderMap.h"
#include "CText.h"
#include "CTriangle.h"
#include "CanvasDoubles.h"
#include "ImageTestSupport.h"
#include "TestSupport.h"

#include <QFile>

#include <memory>
#include <vector>

namespace {

using namespace imagetest;

std::vector<std::unique_ptr<CPrimitive>> EveryKind()
{
    std::vector<std::unique_ptr<CPrimitive>> all;
    all.push_back(std::make_unique<CGrid>(CGrid::kCentred, 8, 6, 15));
    all.push_back(std::make_unique<CGrill>(CGrill::kVertical, 4, 60, 11));
    all.push_back(std::make_unique<CGrid>(CGrid::kInsideOut, 10, 10, 12));
    all.push_back(std::make_unique<CGrid>(CGrid::kOutsideIn, 6, 6, 13));
    all.push_back(std::make_unique<CGrill>(CGrill::kHorizontal, 2, 78, 9));
    all.push_back(std::make_unique<CImageOption>(CImageOption::kAntiAlias));
    all.push_back(std::make_unique<CImageOption>(CImageOption::kNoGamma));
    all.push_back(std::make_unique<CImageOption>(CImageOption::kLevelsToBlanking));
    all.push_back(std::make_unique<CRectangle>(20, 20, 120, 90, 1, 18));
    all.push_back(std::make_unique<COval>(140, 20, 240, 90, 2, 0));
    all.push_back(std::make_unique<CLine>(20, 460, 620, 400, 3));
    all.push_back(std::make_unique<CDot>(600, 30, 7));
    all.push_back(std::make_unique<CTriangle>(QPoint(320, 100), QPoint(260, 200), QPoint(380, 200), 4, 20));
    all.push_back(std::make_unique<CText>(40, 300, QStringLiteral("Why? Caf\u00e9"), 6, 0));
    all.push_back(std::make_unique<CCharacterBox>(420, 240, 560, 300, 5, 0, 65));
    all.push_back(std::make_unique<CBlockCopy>(40, 120, 120, 180, 160, 230));
    all.push_back(std::make_unique<CInformationBox>(CInformationBox::kFormatBox, 450, 40, 7));
    all.push_back(std::make_unique<CInformationBox>(CInformationBox::kStepBox, 520, 130, 7));
    all.push_back(std::make_unique<CInformationBox>(0.500, 0.750, 1, 3, 1));
    all.push_back(std::make_unique<CMarker>(CMarker::kCentreMark, 7));
    all.push_back(std::make_unique<CMarker>(CMarker::kCentredCross, 37));
    all.push_back(std::make_unique<CMarker>(CMarker::kLimitMarkers, 2));
    return all;
}

class EveryKindTest : public PlatformTest {};

TEST_F(EveryKindTest, AnImageOfEveryKindGoesThroughItsFilesAndBack)
{
    CImage image;
    image.SetName("Every");
    for (auto &primitive : EveryKind())
        image.AddPrimitive(std::move(primitive));
    image.AddPrimitive(std::make_unique<CRenderMap>(500, 400, QStringLiteral("Arrow"), 64, 32));
    const QStringList lines = Lines(image);

    const QByteArray stored = StoreImage(image);
    const std::unique_ptr<CImage> loaded = LoadImage(stored);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Lines(*loaded), lines);
    EXPECT_EQ(StoreImage(*loaded), stored);

    const QString path = TempPath("every.cmd");
    image.WriteCommandFile(path, "Every");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList fileLines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    fileLines.prepend(QString()); // the header line the data list has read
    // The importer builds no render map: the line is named, the rest come back.
    prompter.ExpectMessage(PromptMatch::Contains("was imported without 1 line(s) this program cannot build:\nRMAP 500 400 Arrow"),
                           IDOK);
    CImage imported;
    imported.ImportCommandLines(fileLines);
    EXPECT_EQ(Lines(imported), lines.mid(0, lines.size() - 1));
}

TEST_F(EveryKindTest, ACanvasShowsEveryKind)
{
    CCanvas canvas;
    ListPaneDouble pane{canvas};
    canvas.SetLimits(639, 479);
    canvas.resize(640, 480);
    for (auto &primitive : EveryKind())
        pane.Add(std::move(primitive));
    pane.Add(std::make_unique<CRenderMap>(500, 400, QStringLiteral("Arrow"), 64, 32));
    pane.primitives[12]->Select();
    SaveScreenshot(canvas, QStringLiteral("image_canvas_every_kind"));
}

} // namespace

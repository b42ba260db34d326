// Benchmarks' images of every primitive kind.
#pragma once

#include "CBlockCopy.h"
#include "CCharacterBox.h"
#include "CDot.h"
#include "CGrid.h"
#include "CGrill.h"
#include "CImageOption.h"
#include "CInformationBox.h"
#include "CLine.h"
#include "CMarker.h"
#include "COval.h"
#include "CRectangle.h"
#include "CText.h"
#include "CTriangle.h"

#include <QPoint>
#include <QString>

#include <memory>

// Primitive i of an image of every kind the line reader builds, on an image
// of width x height: each kind in turn at its own place.
inline std::unique_ptr<CPrimitive> AnyKind(int i, int width, int height)
{
    const int x = (i * 37) % (width - 80);
    const int y = (i * 23) % (height - 80);
    const int colour = i % 71;
    switch (i % 17) {
    case 0: return std::make_unique<CLine>(x, y, 639 - x, 479 - y, colour);
    case 1: return std::make_unique<CRectangle>(x, y, x + 30, y + 20, colour, i % 31);
    case 2: return std::make_unique<COval>(x, y, x + 25, y + 35, colour, (i / 2) % 31);
    case 3: return std::make_unique<CDot>(x, y, colour);
    case 4: return std::make_unique<CTriangle>(QPoint(x + 20, y), QPoint(x, y + 40), QPoint(x + 40, y + 40), colour, i % 31);
    case 5: return std::make_unique<CText>(x, y, QStringLiteral("Text %1").arg(i), colour, 0);
    case 6: return std::make_unique<CCharacterBox>(x, y, x + 60, y + 30, colour, 0, 65 + i % 26);
    case 7: return std::make_unique<CBlockCopy>(x, y, x + 20, y + 20, x + 30, y + 30);
    case 8: return std::make_unique<CInformationBox>(CInformationBox::kFormatBox, x, y, colour);
    case 9: return std::make_unique<CInformationBox>(CInformationBox::kStepBox, x, y, colour);
    case 10: return std::make_unique<CInformationBox>(0.25 + (i % 50) / 100.0, 0.5, 1, 3, 1);
    case 11: return std::make_unique<CGrid>(CGrid::kCentred, 8 + i % 8, 6 + i % 6, colour);
    case 12: return std::make_unique<CGrill>(CGrill::kVertical, 4, 60, colour);
    case 13: return std::make_unique<CGrill>(CGrill::kHorizontal, 2, 78, colour);
    case 14: return std::make_unique<CMarker>(CMarker::kCentredCross, colour);
    case 15: return std::make_unique<CMarker>(CMarker::kLimitMarkers, colour);
    default: return std::make_unique<CImageOption>(CImageOption::kAntiAlias);
    }
}

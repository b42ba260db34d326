#pragma once
// The fill patterns of image primitives, with their shared monochrome
// pictures.

#include "CKindValue.h"

#include <QImage>

class CFillPattern : public CKindValue
{
public:
    static constexpr int kPatternCount = 31;

    explicit CFillPattern(int index = 0);
    // Copies count as live objects too, so the pictures outlive every one.
    CFillPattern(const CFillPattern &other);
    CFillPattern &operator=(const CFillPattern &other) = default;
    ~CFillPattern() override;

    // The first pattern whose name matches without regard to case; none
    // selects 0.
    void SetByName(const QString &name);
    // A negative index means the current pattern; 0..30 that pattern; any
    // other index (or a value that is not set) pattern 0. A 0 bit paints in
    // the drawing colour, a 1 bit in black.
    const QImage &GetBitmap(int index = -1) const;

    // Whether the shared pictures are loaded (some pattern object lives).
    static bool BitmapsLoaded();

private:
    static void AddInstance();
};

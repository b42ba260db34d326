#pragma once
// An image-wide rendering option of the generator that draws nothing: a
// bare "ANTI", "NOGA" or "TOBL" command sent in its place in the image's
// list. No place, no handles, no colour.

#include "KindedPrimitive.h"
#include "PrimitiveKind.h"

class CImageOption : public PrimitiveKind<CImageOption, KindedPrimitive> {
    DECLARE_SERIAL(CImageOption)
    friend PrimitiveKind<CImageOption, KindedPrimitive>;

public:
    enum Kind { kAntiAlias = 1, kNoGamma = 2, kLevelsToBlanking = 3 };

    // Anti-alias.
    CImageOption();
    explicit CImageOption(int kind);
    // kind outside 1..3: anti-alias.
    CImageOption(CCanvas *canvas, int kind);
    ~CImageOption() override;

    // Types 20, 21, 22 by kind; the kind alone is kept.
    void Serialize(CArchive &ar) override;
    // "ANTI", "NOGA" or "TOBL", the mnemonic alone; nothing for an unknown kind.
    QString GetCommandText() const override { return Mnemonic(); }

protected:
    CImageOption(const CImageOption &other);

private:
    static constexpr auto Values() { return std::tuple(&CImageOption::m_kind); }
};

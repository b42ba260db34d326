#pragma once
// An image-wide rendering option of the generator that draws nothing: a
// bare "ANTI", "NOGA" or "TOBL" command sent in its place in the image's
// list. No place, no handles, no colour.

#include "PrimitiveKind.h"

class CImageOption : public PrimitiveKind<CImageOption> {
    DECLARE_SERIAL(CImageOption)
    friend PrimitiveKind<CImageOption>;

public:
    enum Kind { kAntiAlias = 1, kNoGamma = 2, kLevelsToBlanking = 3 };

    // Anti-alias.
    CImageOption();
    explicit CImageOption(int kind);
    // kind outside 1..3: anti-alias.
    CImageOption(CCanvas *canvas, int kind);
    ~CImageOption() override;

    void Serialize(CArchive &ar) override;
    // 20, 21, 22 by kind; 0 for a kind outside them.
    int Type() const override;
    QString GetTypeName() const override;
    QString KindProblem() const override;
    int Kind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }
    // "ANTI", "NOGA" or "TOBL"; nothing for an unknown kind.
    QString GetCommandText() const override;

protected:
    CImageOption(const CImageOption &other);

private:
    void TakeValues(const CImageOption &other) { m_kind = other.m_kind; }

    std::int32_t m_kind = kAntiAlias;
};

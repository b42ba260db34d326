#pragma once
// Enumerated settings: an index into a fixed list of options, each with a
// text from the string table. Formats, images and sequences embed them and
// carry their indexes into files and generator commands.

#include <QSize>
#include <QString>

#include <array>
#include <cstdint>

class CKindValue
{
public:
    // The state of a value built with an index outside its table (a stored
    // value from a damaged file): it has no text and reads back as -1, so
    // nothing indexes past the tables.
    static constexpr int kNotSet = -1;

    CKindValue(const CKindValue &) = default;
    CKindValue &operator=(const CKindValue &) = default;
    virtual ~CKindValue() = default;

    // Accepts 0..count-1; anything else returns false and keeps the index.
    virtual bool SetIndex(int index);
    virtual int GetIndex() const;
    virtual int GetCount() const;
    // The text of option index; an index outside 0..count-1 (callers pass
    // -1) means the current option. Empty when the value is not set.
    virtual QString GetText(int index = -1) const;

    bool IsSet() const { return m_index != kNotSet; }

    // The int32 that files store for this value, and its loader (a value
    // outside the table is refused and the current one kept).
    virtual std::int32_t GetArchiveValue() const { return GetIndex(); }
    virtual bool SetArchiveValue(std::int32_t value) { return SetIndex(value); }

protected:
    // textIds: one string id per option, or nullptr when the subclass gives
    // its texts itself. An initial index outside the table leaves it not set.
    CKindValue(int count, const unsigned *textIds, int index);

    bool InRange(int index) const { return index >= 0 && index < m_count; }
    // index when it names an option, else the current one (maybe kNotSet).
    int Resolve(int index) const { return InRange(index) ? index : m_index; }

private:
    int m_index;
    int m_count;
    const unsigned *m_textIds;
};

// Analog composite sync type (ASCT).
class CAcsKind : public CKindValue
{
public:
    explicit CAcsKind(int index = 0);
};

// Digital composite sync type (DSCT): the same options as the ACS kind.
class CDcsKind : public CKindValue
{
public:
    explicit CDcsKind(int index = 0);
};

// Digital separate sync type (DSST).
class CDssKind : public CKindValue
{
public:
    explicit CDssKind(int index = 0);
};

// Which syncs the generator outputs. The index is the row of the list
// ("None" .. "DPMS ON"); the generator's SSST code differs from the row for
// ACS (code 3, row 4), DCS,DSS (code 11, row 3) and DPMS ON (code 13,
// row 11). The value keeps the code it was given, so every code the list
// shows survives a load and save unchanged, DPMS ON included.
class CSyncSelect : public CKindValue
{
public:
    static constexpr int kCodeAcs = 3;
    static constexpr int kCodeDcsDss = 11;
    static constexpr int kCodeDpmsOn = 13;

    // index: a row of the list.
    explicit CSyncSelect(int index = 0);

    // Selecting the row the value already shows keeps its code.
    bool SetIndex(int row) override;

    // Takes any code whose row is in the list (0..11 and 13); anything else
    // returns false and keeps the value.
    bool SetCode(int code);
    // The code to send with SSST; kNotSet when the value is not set.
    int GetCode() const;

    // Formats store the code.
    std::int32_t GetArchiveValue() const override { return GetCode(); }
    bool SetArchiveValue(std::int32_t value) override { return SetCode(value); }

    // Row of a code: 3 -> 4, 11 -> 3, 13 -> 11, any other code itself.
    static int RowFromCode(int code);
    // Code of a row: 3 -> 11, 4 -> 3, 11 -> 13, any other row itself.
    static int CodeFromRow(int row);

private:
    int m_code;
};

// Video signal type, sent as an analog (AVST) or a digital (DVST) code.
class CVideoKind : public CKindValue
{
public:
    explicit CVideoKind(int index = 0);

    bool IsAnalog() const;
    // 0 when the current kind has no code of that family.
    int GetAnalogCode() const;
    int GetDigitalCode() const;
    // An unknown code selects "None".
    void SetFromAnalogCode(int code);
    void SetFromDigitalCode(int code);
};

// The generator's text fonts with their character cell metrics.
class CFontKind : public CKindValue
{
public:
    explicit CFontKind(int index = 0);

    QString GetText(int index = -1) const override;
    // The first font whose name matches without regard to case; none selects 0.
    void SetByName(const QString &name);
    // Metrics of the current font; zero when not set.
    QSize GetCellSize() const;
    int GetAscent() const;
    int GetDescent() const;
};

// Step delays of a sequence.
class CDelayKind : public CKindValue
{
public:
    // Seconds of a value that is not set, as sequences write it ("SDLY -1.0").
    static constexpr double kNotSetSeconds = -1.0;

    explicit CDelayKind(int index = 0);

    QString GetText(int index = -1) const override;
    // Seconds of option index; outside the table the current option's.
    double GetSeconds(int index = -1) const;
    // The first option of exactly that many seconds; none selects 0.
    void SetBySeconds(double seconds);
};

// What an image's information box shows.
class CInfoBoxContents : public CKindValue
{
public:
    static constexpr int kMaxLines = 6;

    explicit CInfoBoxContents(int index = 0);

    // String ids of the lines the current contents show, and their number.
    int GetLineIds(std::array<unsigned, kMaxLines> &ids) const;
};

// Background and frame of an image's text box.
class CTextBoxBorder : public CKindValue
{
public:
    explicit CTextBoxBorder(int index = 0);
};

// Colour channels switched on: the index's bits are red 4, green 2, blue 1.
class CRgbMask : public CKindValue
{
public:
    static constexpr int kRed = 4;
    static constexpr int kGreen = 2;
    static constexpr int kBlue = 1;

    explicit CRgbMask(int index = 0);
};

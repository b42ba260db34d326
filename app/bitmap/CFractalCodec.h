#pragma once
// Quadtree fractal coding of one 8-bit image plane: ranges of the plane are
// matched against twice-as-large domains, averaged 2 x 2, under one of eight
// symmetries with a quantised scale and offset; ranges that match worse than
// the tolerance are split into four down to the deepest level. Compress turns
// a raw plane file into a bit stream, Decompress a stream back into a plane.

#include "FractalBitReader.h"
#include "FractalBitWriter.h"
#include "FractalClassifier.h"
#include "FractalGeometry.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

class CProgressDlg;

// What Compress is told, by name: the order of the arguments invites swaps.
struct FractalSettings {
    double tolerance = 0;       // largest acceptable rms error of a range
    int rowLength = 0;          // bytes a row of the plane file
    int rowCount = 0;           // rows of the plane file
    int deepDepth = 0;          // depth of the smallest ranges
    int shallowDepth = 0;       // depth of the largest ranges
    int domainStep = 0;
    int scaleBits = 0;
    int offsetBits = 0;
    double scaleLimit = 0;      // largest scale magnitude
    int domainStepMode = 0;
    bool positiveScalesOnly = false;
    bool searchAllSubclasses = false;
    bool searchAllClasses = false;
};

// One transformation as the stream carries it, with the error it was chosen for.
struct FractalRangeCode {
    int x = 0;
    int y = 0;
    int side = 0;
    int depth = 0;
    int scaleCode = 0;
    int offsetCode = 0;
    int symmetry = 0;
    int domainLeft = 0;
    int domainTop = 0;
    double rms = 0;
};

class CFractalCodec {
public:
    enum : int {
        kNoMemory = 100,
        kInputError = 200, // the input cannot be opened or read, or a stream is cut or names a domain it has not
        kFileError = 210,  // the output cannot be opened or written
        kPlaneError = 300, // the plane or the parameters cannot be coded
    };

    CFractalCodec() = default;
    ~CFractalCodec();
    CFractalCodec(const CFractalCodec &) = delete;
    CFractalCodec &operator=(const CFractalCodec &) = delete;

    // append: the encoder adds its stream to the output instead of replacing it.
    void SetFiles(const QString &input, const QString &output, int append);
    // 0 or an error code.
    int Compress(CProgressDlg *progress, const FractalSettings &settings);
    // Writes rowCount x yMagnify rows of rowLength x xMagnify bytes.
    int Decompress(CProgressDlg *progress, int xMagnify, int yMagnify, int passes, double scaleLimit, int scaleBits,
                   int offsetBits);
    // Decompress's work on a stream in memory: the rows into plane.
    int DecodeStream(CProgressDlg *progress, const QByteArray &stream, int xMagnify, int yMagnify, int passes,
                     double scaleLimit, int scaleBits, int offsetBits, QByteArray &plane);
    // Bytes of every buffer the last run allocated.
    long long AllocatedBytes() const { return m_allocated; }
    // The transformations the last Compress wrote, in stream order.
    const std::vector<FractalRangeCode> &RangeCodes() const { return m_rangeCodes; }
    void Release();

private:
    struct Match {
        double rms = -1; // below 0: nothing compared
        int scaleCode = 0;
        int offsetCode = 0;
        int symmetry = 0;
        int domainLeft = 0;
        int domainTop = 0;
    };
    struct DomainEntry {
        int left;
        int top;
        int orientation;
        double sum;  // of the averaged pixels, which no symmetry changes
        double sum2; // of their squares
    };
    using DomainLists = std::array<std::array<std::vector<DomainEntry>, 24>, 3>;
    struct Record {
        int left, top, right, bottom; // the range, exclusive at right and bottom
        int domainLeft, domainTop;
        int symmetry;
        int depth;
        double scale;
        double offset;
    };

    void OpenLog(const char *name);
    void Log(const QString &text);
    template <class T> bool Allocate(std::vector<T> &buffer, size_t count, const QString &name);
    int Fail(int code);
    void Status(CProgressDlg *progress, int line, const QString &text);
    // The scale and offset a code stands for; the offset depends on the scale.
    double ScaleOf(int scaleCode) const
    {
        return double(scaleCode) / double(1 << m_scaleBits) * 2 * m_scaleLimit - m_scaleLimit;
    }
    double OffsetOf(int offsetCode, double scale) const
    {
        const double offset = double(offsetCode) / double((1 << m_offsetBits) - 1) * (1 + (scale < 0 ? -scale : scale)) * 255;
        return scale > 0 ? offset - scale * 255 : offset;
    }
    bool SetQuantisation(double scaleLimit, int scaleBits, int offsetBits);

    // Compress
    int ReadPlane(CProgressDlg *progress);
    int BuildDomainPool(CProgressDlg *progress);
    void Quadtree(CProgressDlg *progress, int x, int y, int size, int depth);
    Match BestMatch(int x, int y, int size, int depth) const;
    Match Compare(int x, int y, int size, const DomainEntry &domain, int symmetry, double rsum, double rsum2) const;
    double DomainPixel(int left, int top, int i, int j) const;
    void WriteTransformation(int x, int y, int size, int depth, const Match &m);

    // Decompress
    bool ReadTransformation(FractalBitReader &bits, int x, int y, int size, int depth, int xMagnify, int yMagnify);
    void ApplyPass(const std::vector<uint8_t *> &from, std::vector<uint8_t *> &to) const;

    QString m_input;
    QString m_output;
    bool m_append = false;
    QFile m_log;
    long long m_allocated = 0;

    FractalSettings m_settings;
    FractalHeader m_header;
    FractalGeometry m_geometry;
    int m_zeroScaleCode = 0;
    double m_scaleLimit = 0;
    int m_scaleBits = 0;
    int m_offsetBits = 0;

    std::vector<uint8_t> m_imageData;
    std::vector<uint8_t *> m_imageRows;
    std::array<std::vector<double>, 4> m_domImage;
    std::array<std::vector<double *>, 4> m_domRows;
    std::vector<int> m_indexBits;
    std::vector<DomainLists> m_pool; // by level
    FractalBitWriter m_bits;
    std::vector<FractalRangeCode> m_rangeCodes;

    std::vector<uint8_t> m_tempData;
    std::vector<uint8_t *> m_tempRows;
    std::vector<int> m_misc;
    std::vector<Record> m_records;
    int m_partitionCalls = 0;
    int m_transformationCalls = 0;
};

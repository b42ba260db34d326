#pragma once
// The Image Download Utility: puts a Windows bitmap straight into a
// connected generator's video memory and sets its lookup table from the
// bitmap's colour table. Serial generators get a download file after
// "BDMA" and "SERM DMA" (byte by byte over the line or through the maker's
// stream card), three-board models one colour plane a board, PCI generators
// the rows through the card. Its own menu compresses the bitmap into a
// fractal file and decompresses a bare fractal stream.

#include "CBitmapReader.h"
#include "CToolWindow.h"

#include <QColor>
#include <QPointer>

#include <cstdint>
#include <cstdio>

class CGenerator;
class CGeneratorView;
class CProgressDlg;
class CValueEdit;
class CardStream;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class CImageDownloadDlg : public CToolWindow {
public:
    // Status colours, drawn on black.
    static const QColor kRed;
    static const QColor kYellow;
    static const QColor kGreen;

    // mainWindow takes the busy notices (WM_GENERATOR_BUSY) around a download.
    explicit CImageDownloadDlg(QObject *mainWindow);
    ~CImageDownloadDlg() override;

    void AddGenerator(CGeneratorView *view) override;
    void RemoveGenerator(CGeneratorView *view) override;
    bool IsBusyOperating() const override { return m_operating; }

    void OnSelectGenerator();
    void Validate();
    void OnBrowse();
    void OnDownload();
    void OnCompress();
    void OnDecompress();

    QString StatusText() const;
    QColor StatusColour() const { return m_statusColour; }
    int GeneratorDepth() const { return m_generatorDepth; }

    // The row distance of a single-board generator's video memory, in
    // bytes: the power of two from 128 not below depth x width / 8.
    static uint64_t SerialPitch(int depth, int screenWidth);
    // The row distance of a board of a three-board model: the power of two
    // from 1 not below the width.
    static uint64_t BoardPitch(int screenWidth);

private:
    enum class BoardResult { Done, Skipped, Failed };
    struct Placement {
        int x = 0;
        int y = 0;
        int screenWidth = 0;
        int screenHeight = 0;
    };

    void BuildControls();
    void OnInitDialog();
    void SetStatus(unsigned textId, const QColor &colour);
    void Blank(int id);
    CGeneratorView *SelectedView() const;
    Placement ReadPlacement() const;
    bool CheckPlacement(const Placement &at);
    void Download(CGeneratorView *view, CGenerator &gen);
    BoardResult DownloadSerial(CGenerator &gen, int board, CardStream *card);
    void DownloadPci(CGenerator &gen);
    bool SetLut(CGenerator &gen, CProgressDlg &progress);
    void Refuse(const QString &path);

    QPointer<QObject> m_mainWindow;
    QComboBox *m_generators = nullptr;
    CValueEdit *m_x = nullptr;
    CValueEdit *m_y = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_download = nullptr;
    QCheckBox *m_boards[3] = {};
    QCheckBox *m_useDma = nullptr;
    QCheckBox *m_useYmodem = nullptr;
    CBitmapReader m_reader;
    QString m_fileName; // without folder
    QString m_path;

    bool m_imageLoaded = false;
    QColor m_statusColour;
    bool m_multiBoard = false;
    bool m_isSerial = false;
    bool m_isGpib = false;
    bool m_isPci = false;
    bool m_isIsa = false;
    bool m_generatorValid = false;
    int m_generatorDepth = 0;
    bool m_operating = false;
};

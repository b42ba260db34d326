#include "CGeneratorStatusPane.h"

#include "BitmapResources.h"
#include "CGenerator.h"
#include "CGeneratorState.h"
#include "GeneratorViewPaneLink.h"
#include "DialogUnits.h"
#include "Numbers.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QTreeWidget>

namespace {

constexpr int kColumnWidth = 150;
constexpr int kPictureSize = 16;
// Firmware that reports its memory is above this version.
constexpr double kMemoryFirmware = 7.01;

struct RowDef {
    unsigned labelId; // 0: a separator
    CGeneratorStatusPane::Picture picture;
};

// Rows 0 to 13, made with the pane.
constexpr RowDef kRows[] = {
    {IDS_FIRMWARE, CGeneratorStatusPane::kOval},       {IDS_SERIAL, CGeneratorStatusPane::kOval},
    {0, CGeneratorStatusPane::kBlank},                 {IDS_FORMAT, CGeneratorStatusPane::kMonitor},
    {IDS_IMAGE, CGeneratorStatusPane::kColourBars},    {IDS_SEQUENCE, CGeneratorStatusPane::kFrames},
    {0, CGeneratorStatusPane::kBlank},                 {IDS_RESOLUTION, CGeneratorStatusPane::kMonitor},
    {IDS_SCAN_TYPE, CGeneratorStatusPane::kMonitor},   {IDS_PIXEL_RATE, CGeneratorStatusPane::kMonitor},
    {0, CGeneratorStatusPane::kBlank},                 {IDS_FORMAT_KNOB, CGeneratorStatusPane::kScroll},
    {IDS_IMAGE_KNOB, CGeneratorStatusPane::kScroll},   {0, CGeneratorStatusPane::kBlank},
};

QPixmap PaintPicture(int index)
{
    QPixmap picture(kPictureSize, kPictureSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(Qt::black);
    switch (index) {
    case CGeneratorStatusPane::kOval:
        p.setBrush(QColor(0, 0, 255));
        p.drawEllipse(2, 4, 11, 8);
        break;
    case CGeneratorStatusPane::kMonitor:
        p.setBrush(QColor(0, 128, 128));
        p.drawRect(1, 1, 13, 10);
        p.drawLine(5, 14, 10, 14);
        break;
    case CGeneratorStatusPane::kColourBars: {
        const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
        for (int i = 0; i < 7; ++i)
            p.fillRect(1 + 2 * i, 2, 2, 12, bars[i]);
        break;
    }
    case CGeneratorStatusPane::kFrames:
        p.setBrush(Qt::white);
        for (int i = 2; i >= 0; --i)
            p.drawRect(1 + 2 * i, 1 + 2 * i, 9, 9);
        break;
    case CGeneratorStatusPane::kMemoryChip:
        p.setBrush(Qt::darkGray);
        p.drawRect(3, 3, 9, 9);
        for (int i = 4; i < 12; i += 3) {
            p.drawLine(i, 0, i, 2);
            p.drawLine(i, 13, i, 15);
        }
        break;
    case CGeneratorStatusPane::kScroll:
        p.setBrush(QColor(255, 255, 192));
        p.drawRect(2, 2, 9, 12);
        p.drawLine(13, 1, 7, 10);
        break;
    default:
        break;
    }
    return picture;
}

} // namespace

const QList<QIcon> &CGeneratorStatusPane::Pictures()
{
    static const QList<QIcon> pictures = [] {
        QList<QIcon> list;
        const QPixmap strip = LoadBitmapResource(IDB_STATUS_PICTURES);
        for (int i = 0; i < kPictureCount; ++i) {
            if (strip.width() >= (i + 1) * kPictureSize) {
                QPixmap piece = strip.copy(i * kPictureSize, 0, kPictureSize, strip.height());
                piece.setMask(piece.createMaskFromColor(Qt::white));
                list.append(QIcon(piece));
            } else {
                list.append(QIcon(PaintPicture(i)));
            }
        }
        return list;
    }();
    return pictures;
}

CGeneratorStatusPane::CGeneratorStatusPane(QWidget *parent) : QWidget(parent), m_list(new QTreeWidget(this))
{
    SetControlId(m_list, IDC_STATUS_LIST);
    m_list->setGeometry(0, 0, 100, 300);
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSortingEnabled(false);
    m_list->header()->setSectionsClickable(false);
    m_list->setIconSize(QSize(kPictureSize, kPictureSize));
    m_list->setHeaderLabels({LoadString(IDS_STATE_ITEM), LoadString(IDS_CURRENT_VALUE)});
    m_list->setColumnWidth(0, kColumnWidth);
    m_list->setColumnWidth(1, kColumnWidth);
    for (const RowDef &row : kRows)
        AddRow(row.labelId, row.picture);
}

void CGeneratorStatusPane::SetView(GeneratorViewPaneLink *view, CGenerator *generator)
{
    m_view = view;
    m_generator = generator;
}

void CGeneratorStatusPane::AddRow(unsigned labelId, Picture picture)
{
    auto *item = new QTreeWidgetItem(m_list, {labelId ? LoadString(labelId) : QString(), QString()});
    item->setIcon(0, Pictures().value(picture));
}

int CGeneratorStatusPane::RowCount() const
{
    return m_list->topLevelItemCount();
}

QString CGeneratorStatusPane::RowLabel(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(0) : QString();
}

QString CGeneratorStatusPane::RowValue(int row) const
{
    const QTreeWidgetItem *item = m_list->topLevelItem(row);
    return item ? item->text(1) : QString();
}

void CGeneratorStatusPane::SetValue(int row, const QString &text)
{
    if (QTreeWidgetItem *item = m_list->topLevelItem(row))
        item->setText(1, text);
}

void CGeneratorStatusPane::SetLinkLost(bool lost)
{
    m_list->setEnabled(!lost);
}

bool CGeneratorStatusPane::IsGreyed() const
{
    return !m_list->isEnabled();
}

void CGeneratorStatusPane::RefreshValues()
{
    if (!m_view || !m_generator || m_generator->IsLinkLost())
        return;
    const CGeneratorState &state = m_view->GetState();
    SetValue(kRowFirmware, state.firmwareVersion);
    SetValue(kRowSerial, state.serialNumber);
    SetValue(kRowFormat, state.format);
    SetValue(kRowImage, state.image);
    SetValue(kRowSequence, state.sequence);
    SetValue(kRowFormatKnob, state.formatKnobList);
    SetValue(kRowImageKnob, state.imageKnobList);
    RefreshFormatFigures();
    m_view->ShowSignalState();
}

void CGeneratorStatusPane::RefreshFormatFigures()
{
    // The queries that follow describe the loaded format.
    m_generator->CmdFmtl(m_view->GetState().format);
    const int hres = m_generator->QueryHres();
    const int vres = m_generator->QueryVres();
    const int scan = m_generator->QueryScan();
    const double total = m_generator->QueryHtot();
    const double rate = m_generator->QueryHrat();
    // Lost on the way: what the failed queries read is no figure of the generator.
    if (m_generator->IsLinkLost())
        return;
    SetValue(kRowResolution, FormatString(IDS_RESOLUTION_VALUE, {QString::number(hres), QString::number(vres)}));
    SetValue(kRowScanType, LoadString(scan == 1 ? IDS_PROGRESSIVE : IDS_INTERLACE));
    SetValue(kRowPixelRate, FormatString(IDS_PIXEL_RATE_VALUE, {FormatFixed(total * rate * 0.000001, 3)}));
}

void CGeneratorStatusPane::RefreshMemory()
{
    if (!m_generator || m_generator->IsLinkLost())
        return;
    if (m_memoryCheckPending && m_generator->GetFirmwareVersion() > kMemoryFirmware) {
        m_memoryRowsPresent = true;
        m_memoryCheckPending = false;
        AddRow(IDS_MEMORY_USED, kMemoryChip);
        AddRow(IDS_MEMORY_FREE, kMemoryChip);
    }
    if (!m_memoryRowsPresent)
        return;
    // Memories beyond 2 GiB are shown whole.
    const auto used = m_generator->QueryMemu();
    const auto free = m_generator->QueryMemf();
    if (m_generator->IsLinkLost())
        return;
    SetValue(kRowMemoryUsed, FormatString(IDS_BYTES_VALUE, {FormatInt(used)}));
    SetValue(kRowMemoryFree, FormatString(IDS_BYTES_VALUE, {FormatInt(free)}));
}

QSize CGeneratorStatusPane::sizeHint() const
{
    // Scroll bars shown while the pane was small stay unless there is room
    // beside them as well.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    int width = 2 * m_list->frameWidth() + bar;
    for (int column = 0; column < m_list->columnCount(); ++column)
        width += m_list->columnWidth(column);
    const int rows = RowCount() * m_list->sizeHintForRow(0);
    return {width, 2 * m_list->frameWidth() + m_list->header()->sizeHint().height() + rows + bar};
}

void CGeneratorStatusPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (width() > 0 && height() > 0)
        m_list->setGeometry(0, 0, width(), height());
}

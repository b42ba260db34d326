#include "CPatternCombo.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

const QColor kLightGrey(192, 192, 192);
const QColor kGrey(128, 128, 128);

// Draws the popup list's entries through the combo's own drawing.
class PatternDelegate final : public QAbstractItemDelegate {
public:
    explicit PatternDelegate(CPatternCombo *combo) : QAbstractItemDelegate(combo), m_combo(combo) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_combo->DrawItem(*painter, option.rect, index.row(), option.state.testFlag(QStyle::State_Selected));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(CPatternCombo::kTextIndent + option.fontMetrics.horizontalAdvance(QStringLiteral("GrayPat100"))
                         + 8,
                     std::max(CPatternCombo::kSwatchSize, option.fontMetrics.height() + 2));
    }

private:
    CPatternCombo *m_combo;
};

// The bitmap's 0 bits white and its 1 bits black.
QImage WhiteOnBlack(const QImage &bitmap)
{
    QImage mono = bitmap.convertToFormat(QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    return mono.convertToFormat(QImage::Format_RGB32);
}

} // namespace

CPatternCombo::CPatternCombo(QWidget *parent) : QComboBox(parent)
{
    setItemDelegate(new PatternDelegate(this));
}

void CPatternCombo::FillList()
{
    for (int i = 0; i < CFillPattern::kPatternCount; ++i)
        addItem(m_pattern.GetText(i), QVariant::fromValue(m_pattern.GetBitmap(i)));
}

QImage CPatternCombo::GetItemBitmap(int index) const
{
    return itemData(index).value<QImage>();
}

QColor CPatternCombo::TextColour(bool selected) const
{
    const bool droppedDown = view() && view()->isVisible();
    return hasFocus() && !(droppedDown && !selected) ? QColor(255, 0, 0) : QColor(255, 255, 255);
}

void CPatternCombo::DrawItem(QPainter &painter, const QRect &rect, int itemId, bool selected) const
{
    if (itemId < 0 || itemId >= count())
        return;
    if (!isEnabled()) {
        painter.fillRect(rect, kLightGrey);
        return;
    }
    painter.save();
    painter.fillRect(rect, Qt::black);
    if (selected)
        painter.fillRect(rect.adjusted(kSelectionIndent, 0, 0, 0), kGrey);
    painter.setPen(TextColour(selected));
    painter.drawText(rect.adjusted(kTextIndent, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     itemText(itemId));
    const QRect swatch(rect.topLeft(), QSize(kSwatchSize, kSwatchSize));
    QBrush brush(WhiteOnBlack(GetItemBitmap(itemId)));
    brush.setTransform(QTransform::fromTranslate(rect.left(), rect.top())); // same swatch in every row
    painter.fillRect(swatch.intersected(rect), brush);
    painter.restore();
}

void CPatternCombo::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(painter, field, currentIndex(), hasFocus());
}

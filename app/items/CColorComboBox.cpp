#include "CColorComboBox.h"

#include "CNamedColour.h"
#include "ColourRows.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

// The popup list's rows through the combo's own drawing.
class ColourComboDelegate final : public QAbstractItemDelegate {
public:
    explicit ColourComboDelegate(CColorComboBox *combo) : QAbstractItemDelegate(combo), m_combo(combo) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_combo->DrawItem(*painter, option.rect, index.row(), option.state.testFlag(QStyle::State_Selected));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        return QSize(CColorComboBox::kTextIndent + option.fontMetrics.horizontalAdvance(text) + 8,
                     option.fontMetrics.height() + 2);
    }

private:
    CColorComboBox *m_combo;
};

} // namespace

CColorComboBox::CColorComboBox(QWidget *parent) : QComboBox(parent)
{
    setItemDelegate(new ColourComboDelegate(this));
}

void CColorComboBox::FillColors()
{
    CNamedColour colour;
    for (int i = 0; i < CNamedColour::kCount; ++i) {
        colour.SetIndex(i);
        addItem(colour.GetDisplayName(), QVariant::fromValue(ColourRows::ToColorRef(colour.GetScreenColour())));
    }
}

std::uint32_t CColorComboBox::ItemColour(int index) const
{
    return itemData(index).value<std::uint32_t>();
}

bool CColorComboBox::IsDroppedDown() const
{
    return view() && view()->isVisible();
}

void CColorComboBox::DrawItem(QPainter &painter, const QRect &rect, int itemId, bool selected) const
{
    if (count() == 0 || itemId < 0 || itemId >= count())
        return;
    if (!isEnabled()) {
        painter.fillRect(rect, ColourRows::kDisabled);
        return;
    }
    painter.save();
    painter.fillRect(rect, Qt::black);
    if (selected)
        painter.fillRect(QRect(QPoint(rect.left() + kSelectionIndent, rect.top()), rect.bottomRight()),
                         ColourRows::kSelection);
    painter.fillRect(QRect(rect.left(), rect.top(), kSwatchWidth, rect.height()),
                     ColourRows::FromColorRef(ItemColour(itemId)));
    // With the list open the keyboard works in the list, not in the box.
    const bool red = hasFocus() && !IsDroppedDown();
    painter.setPen(red ? ColourRows::kRed : ColourRows::kWhite);
    painter.drawText(rect.adjusted(kTextIndent, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     itemText(itemId));
    painter.restore();
}

void CColorComboBox::paintEvent(QPaintEvent *)
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

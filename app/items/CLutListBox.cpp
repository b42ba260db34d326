#include "CLutListBox.h"

#include "ColourRows.h"

#include <QAbstractItemDelegate>
#include <QPainter>

namespace {

constexpr int kEntryRole = Qt::UserRole;

class LutRowDelegate final : public QAbstractItemDelegate {
public:
    explicit LutRowDelegate(CLutListBox *list) : QAbstractItemDelegate(list), m_list(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_list->DrawItem(*painter, option.rect, index.row(), option.state.testFlag(QStyle::State_Selected));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(CLutListBox::kTextIndent + 3 * option.fontMetrics.horizontalAdvance(QStringLiteral("###,  ")) + 8,
                     option.fontMetrics.height() + 2);
    }

private:
    CLutListBox *m_list;
};

int TabWidth(const QFontMetrics &metrics)
{
    return std::max(1, metrics.horizontalAdvance(QStringLiteral("###,  ")));
}

} // namespace

CLutListBox::CLutListBox(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new LutRowDelegate(this));
}

void CLutListBox::AddEntry(std::uint32_t entry)
{
    auto *item = new QListWidgetItem(this);
    item->setData(kEntryRole, QVariant::fromValue(entry));
}

std::uint32_t CLutListBox::Entry(int row) const
{
    const QListWidgetItem *it = item(row);
    return it ? it->data(kEntryRole).value<std::uint32_t>() : 0;
}

void CLutListBox::SetEntry(int row, std::uint32_t entry)
{
    if (QListWidgetItem *it = item(row))
        it->setData(kEntryRole, QVariant::fromValue(entry));
}

QString CLutListBox::EntryText(std::uint32_t entry)
{
    return QString::asprintf("%3u,\t%3u,\t%3u", entry & 0xFF, (entry >> 8) & 0xFF, (entry >> 16) & 0xFF);
}

QList<int> CLutListBox::RunPositions(const QFontMetrics &metrics, const QString &text, int x, int origin)
{
    const int tab = TabWidth(metrics);
    QList<int> starts;
    const QStringList runs = text.split(QLatin1Char('\t'));
    for (int i = 0; i < runs.size(); ++i) {
        if (i > 0)
            x = origin + ((x - origin) / tab + 1) * tab; // the next stop right of the pen
        starts.append(x);
        x += metrics.horizontalAdvance(runs[i]);
    }
    return starts;
}

void CLutListBox::DrawItem(QPainter &painter, const QRect &rect, int itemId, bool selected) const
{
    if (count() == 0 || itemId < 0 || itemId >= count())
        return;
    if (!isEnabled()) {
        painter.fillRect(rect, ColourRows::kDisabled);
        return;
    }
    const std::uint32_t entry = Entry(itemId);
    painter.save();
    painter.fillRect(rect, Qt::black);
    if (selected)
        painter.fillRect(QRect(QPoint(rect.left() + kSelectionIndent, rect.top()), rect.bottomRight()),
                         ColourRows::kSelection);
    painter.fillRect(QRect(rect.left(), rect.top(), kSwatchWidth, rect.height()), ColourRows::FromColorRef(entry));
    painter.setPen(hasFocus() && selected ? ColourRows::kRed : ColourRows::kWhite);
    const QString text = EntryText(entry);
    const QFontMetrics metrics = painter.fontMetrics();
    const QList<int> starts = RunPositions(metrics, text, rect.left() + kTextIndent, rect.left() + kTabOrigin);
    const QStringList runs = text.split(QLatin1Char('\t'));
    for (int i = 0; i < runs.size(); ++i)
        painter.drawText(QPoint(starts[i], rect.top() + 1 + metrics.ascent()), runs[i]);
    painter.restore();
}

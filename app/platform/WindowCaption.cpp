#include "WindowCaption.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QStyle>

#include <algorithm>

int CaptionWidth(const QWidget &window)
{
    // Title bars use a bold face in many window managers; the icon and the
    // three buttons take about a title bar's height each.
    QFont font = QApplication::font();
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(window.windowTitle());
    const int button = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const int frame = 2 * window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    return text + 4 * button + frame + 16;
}

void FitCaption(QWidget &window)
{
    const int needed = CaptionWidth(window);
    if (auto *box = qobject_cast<QMessageBox *>(&window)) {
        // A message box sets its own fixed size from its layout when shown.
        if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
            grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                          grid->columnCount());
        return;
    }
    if (window.minimumWidth() == window.maximumWidth()) {
        if (window.width() < needed)
            window.setFixedWidth(needed);
        return;
    }
    window.setMinimumWidth(std::max(window.minimumWidth(), needed));
}

#include "CAspectRatioDlg.h"

#include "DialogControls.h"
#include "OptionDialogButtons.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>

const CAspectRatioDlg::Ratio CAspectRatioDlg::kRatios[5] = {
    {IDC_RATIO_16_9, 16, 9}, {IDC_RATIO_5_3, 5, 3}, {IDC_RATIO_4_3, 4, 3}, {IDC_RATIO_1_1, 1, 1}, {IDC_RATIO_3_4, 3, 4},
};

CAspectRatioDlg::CAspectRatioDlg(QWidget *parent, int x, int y) : QDialog(parent), m_chosen(x, y)
{
    setObjectName(ControlName(IDD_ASPECT_RATIO));
    setWindowTitle(LoadString(IDS_ASPECT_RATIO_TITLE));
    SetDialogSize(this, 140, 90);
    AddControl<QGroupBox>(this, kNoControlId, 7, 4, 66, 80, LoadString(IDS_ASPECT_RATIO_GROUP));
    auto *group = new QButtonGroup(this);
    group->setExclusive(false); // none checked when the present ratio is not listed
    int top = 17;
    for (const Ratio &ratio : kRatios) {
        auto *button = AddControl<QRadioButton>(this, ratio.controlId, 14, top, 50, 10,
                                                QStringLiteral("%1:%2").arg(ratio.x).arg(ratio.y));
        button->setAutoExclusive(false);
        button->setChecked(ratio.x == x && ratio.y == y);
        group->addButton(button);
        connect(button, &QRadioButton::clicked, this, [this, group, button, ratio] {
            for (QAbstractButton *other : group->buttons())
                other->setChecked(other == button);
            m_chosen = QSize(ratio.x, ratio.y);
        });
        top += 13;
    }
    connect(this, &QDialog::rejected, this, [this, x, y] { m_chosen = QSize(x, y); });
    AddOkCancel(this, 140);
}

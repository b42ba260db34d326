#include "EditorOptionDialogs.h"

#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// OK and Cancel on the right of a dialog of width dialog units.
void AddOkCancel(QDialog *dialog, int width)
{
    auto *ok = AddControl<QPushButton>(dialog, IDOK, width - 57, 7, 50, 14, LoadString(IDS_OK));
    ok->setDefault(true);
    auto *cancel = AddControl<QPushButton>(dialog, IDCANCEL, width - 57, 24, 50, 14, LoadString(IDS_CANCEL));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

QLineEdit *AddNumberEdit(QDialog *dialog, int id, int x, int y, int value)
{
    auto *edit = AddControl<QLineEdit>(dialog, id, x, y, 40, 12);
    edit->setText(QString::number(value));
    return edit;
}

} // namespace

bool IntegerFieldsDialog::TakeInteger(QLineEdit *edit, int minimum, int maximum, int &value)
{
    bool ok = false;
    const int typed = edit->text().trimmed().toInt(&ok);
    if (ok && typed >= minimum && typed <= maximum) {
        value = typed;
        return true;
    }
    MessageBox(this, PromptText(IDS_ENTER_INTEGER_BETWEEN, {QString::number(minimum), QString::number(maximum)}),
               PromptText(), MB_OK | MB_ICONEXCLAMATION);
    edit->setFocus();
    edit->selectAll();
    return false;
}

// --- Snap Grid Size ----------------------------------------------------------------

CSnapGridSizeDlg::CSnapGridSizeDlg(QWidget *parent, int stepX, int stepY)
    : IntegerFieldsDialog(parent), m_x(stepX), m_y(stepY)
{
    setObjectName(ControlName(IDD_SNAP_GRID_SIZE));
    setWindowTitle(LoadString(IDS_SNAP_GRID_TITLE));
    SetDialogSize(this, 160, 48);
    AddControl<QLabel>(this, kNoControlId, 7, 9, 45, 8, LoadString(IDS_X_SPACING));
    m_editX = AddNumberEdit(this, IDC_X_SPACING, 55, 7, stepX);
    AddControl<QLabel>(this, kNoControlId, 7, 27, 45, 8, LoadString(IDS_Y_SPACING));
    m_editY = AddNumberEdit(this, IDC_Y_SPACING, 55, 25, stepY);
    AddOkCancel(this, 160);
}

void CSnapGridSizeDlg::done(int result)
{
    if (result == Accepted) {
        int x = 0;
        int y = 0;
        if (!TakeInteger(m_editX, kMinStep, kMaxStep, x) || !TakeInteger(m_editY, kMinStep, kMaxStep, y))
            return;
        m_x = x;
        m_y = y;
    }
    QDialog::done(result);
}

// --- Canvas Limits -----------------------------------------------------------------

CCanvasLimitsDlg::CCanvasLimitsDlg(QWidget *parent, int width, int height)
    : IntegerFieldsDialog(parent), m_width(width), m_height(height)
{
    setObjectName(ControlName(IDD_CANVAS_LIMITS));
    setWindowTitle(LoadString(IDS_CANVAS_LIMITS_TITLE));
    SetDialogSize(this, 200, 74);
    AddControl<QGroupBox>(this, kNoControlId, 7, 4, 125, 44, LoadString(IDS_NEW_CANVAS_RESOLUTION));
    AddControl<QLabel>(this, kNoControlId, 14, 18, 30, 8, LoadString(IDS_X_RES));
    m_editX = AddNumberEdit(this, IDC_X_RES, 14, 28, width);
    AddControl<QLabel>(this, kNoControlId, 72, 18, 30, 8, LoadString(IDS_Y_RES));
    m_editY = AddNumberEdit(this, IDC_Y_RES, 72, 28, height);
    m_scaleBox = AddControl<QCheckBox>(this, IDC_SCALE_PRIMITIVES, 7, 55, 125, 10,
                                       LoadString(IDS_SCALE_PRIMITIVES));
    AddOkCancel(this, 200);
}

void CCanvasLimitsDlg::done(int result)
{
    if (result == Accepted) {
        int width = 0;
        int height = 0;
        if (!TakeInteger(m_editX, kMinSide, kMaxSide, width) || !TakeInteger(m_editY, kMinSide, kMaxSide, height))
            return;
        m_width = width;
        m_height = height;
        m_scale = m_scaleBox->isChecked();
    }
    QDialog::done(result);
}

// --- Aspect Ratio Selection ------------------------------------------------------

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

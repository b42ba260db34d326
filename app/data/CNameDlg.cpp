#include "CNameDlg.h"

#include "CNameEdit.h"
#include "DialogUnits.h"
#include "Prompts.h"
#include "StringTable.h"

#include <QLabel>
#include <QPushButton>

namespace {

template <class T>
T *Add(QWidget *dialog, int id, int x, int y, int width, int height)
{
    auto *control = new T(dialog);
    if (id > 0)
        SetControlId(control, id);
    PlaceControl(control, x, y, width, height);
    return control;
}

} // namespace

CNameDlg::CNameDlg(QWidget *parent, const QString &name) : QDialog(parent), m_name(name)
{
    setObjectName(ControlName(IDD_NAME));
    setWindowTitle(LoadString(IDS_NAME_TITLE));
    BuildControls();
    m_edit->setText(name);
    m_edit->selectAll();
    m_edit->setFocus();
    UpdateOk();
}

void CNameDlg::BuildControls()
{
    const QFont font = this->font();
    setFixedSize(DialogUnitsToPixelsX(font, 186), DialogUnitsToPixelsY(font, 58));
    Add<QLabel>(this, IDC_PROMPT, 7, 7, 120, 8)->setText(LoadString(IDS_NAME_PROMPT));
    m_edit = Add<CNameEdit>(this, IDC_NAME, 7, 19, 120, 13);
    Add<QLabel>(this, IDC_VALID, 7, 38, 120, 8)->setText(LoadString(IDS_NAME_VALID));
    m_ok = Add<QPushButton>(this, IDOK, 135, 7, 44, 14);
    m_ok->setText(LoadString(IDS_OK));
    m_ok->setDefault(true);
    auto *cancel = Add<QPushButton>(this, IDCANCEL, 135, 26, 44, 14);
    cancel->setText(LoadString(IDS_CANCEL));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_edit, &QLineEdit::textChanged, this, &CNameDlg::UpdateOk);
}

// An empty name or one that breaks the rule cannot be taken: generators
// refuse such names and the data list would show an unnamed row.
void CNameDlg::UpdateOk()
{
    m_ok->setEnabled(m_edit->hasAcceptableInput());
}

void CNameDlg::done(int result)
{
    if (result == Accepted && !m_edit->hasAcceptableInput())
        return;
    m_name = m_edit->text();
    QDialog::done(result);
}

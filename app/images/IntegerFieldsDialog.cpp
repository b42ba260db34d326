#include "IntegerFieldsDialog.h"

#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"

#include <QLineEdit>

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

bool IntegerFieldsDialog::TakeIntegers(QLineEdit *editX, QLineEdit *editY, int minimum, int maximum, int &x, int &y)
{
    int takenX = 0;
    int takenY = 0;
    if (!TakeInteger(editX, minimum, maximum, takenX) || !TakeInteger(editY, minimum, maximum, takenY))
        return false;
    x = takenX;
    y = takenY;
    return true;
}

QLineEdit *IntegerFieldsDialog::AddNumberEdit(int id, int x, int y, int value)
{
    auto *edit = AddControl<QLineEdit>(this, id, x, y, 40, 12);
    edit->setText(QString::number(value));
    return edit;
}

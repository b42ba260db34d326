#include "OptionDialogButtons.h"

#include "DialogControls.h"
#include "Prompts.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDialog>
#include <QPushButton>

void AddOkCancel(QDialog *dialog, int width)
{
    auto *ok = AddControl<QPushButton>(dialog, IDOK, width - 57, 7, 50, 14, LoadString(IDS_OK));
    ok->setDefault(true);
    auto *cancel = AddControl<QPushButton>(dialog, IDCANCEL, width - 57, 24, 50, 14, LoadString(IDS_CANCEL));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

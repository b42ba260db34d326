#pragma once
// The modal dialog that names or renames a data item.

#include "ResourceIds.h"

#include <QDialog>
#include <QString>

class CNameEdit;
class QPushButton;

class CNameDlg : public QDialog {
public:

    CNameDlg(QWidget *parent, const QString &name);

    // The entered name; meaningful after the dialog ended with OK.
    QString GetName() const { return m_name; }

    void done(int result) override;

private:
    void BuildControls();
    void UpdateOk();

    CNameEdit *m_edit = nullptr;
    QPushButton *m_ok = nullptr;
    QString m_name;
};

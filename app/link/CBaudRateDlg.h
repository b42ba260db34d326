#pragma once
// "Baud Rate Selection": one of the baud table's rates for a serial link.

#include "ResourceIds.h"

#include <QDialog>

class CGenerator;
class QListWidget;

class CBaudRateDlg : public QDialog {
public:

    CBaudRateDlg(QWidget *parent, CGenerator *generator);

    // The chosen entry of the baud table after IDOK; below 0: none.
    int m_selected = -1;
    CGenerator *m_pGenerator;
    QListWidget *m_list = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void BuildControls();
    void OnInitDialog();
    void OnDblclkList();

    bool m_initialised = false;
};

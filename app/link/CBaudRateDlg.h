#pragma once
// "Baud Rate Selection": one of the baud table's rates for a serial link.

#include <QDialog>

class CGenerator;
class QListWidget;

class CBaudRateDlg : public QDialog {
public:
    enum : int { IDD = 290, IDC_RATE_LIST = 1324 };

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

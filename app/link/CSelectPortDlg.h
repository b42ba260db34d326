#pragma once
// "Select a Port...": where a generator is connected (ISA slot, COM port,
// PCI card or GPIB address), remembering the last choice in the profile.

#include "ResourceIds.h"

#include <QDialog>

class CGenerator;
class CSpinButtonCtrl;

class CSelectPortDlg : public QDialog {
public:
    enum PortType { kTypeNone = 0, kTypeIsa = 1, kTypeSerial = 2, kTypePci = 3, kTypeGpib = 4 };

    CSelectPortDlg(CGenerator *generator, QWidget *parent, bool noSerial);

    // Read by the caller after IDOK.
    int m_portType = kTypeNone;
    int m_portNumber = 0;

    CGenerator *m_pGenerator;
    CSpinButtonCtrl *m_spin = nullptr;
    int m_pciCardCount;
    bool m_noSerial;

protected:
    void showEvent(QShowEvent *event) override;
    void accept() override; // OK
    void done(int result) override;

private:
    void BuildControls();
    void OnInitDialog();
    void OnIsaCard();
    void OnSerial();
    void OnPciCard();
    void OnGpib();
    void ShowNumber(bool visible);
    void SelectType(int type, int lower, int upper, int pos);
    void SetChecked(int id);

    bool m_initialised = false;
};

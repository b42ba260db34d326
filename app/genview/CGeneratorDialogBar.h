#pragma once
// Dialog bar 299 of a generator view: the signal toggles "RGB", "R", "G",
// "B", "ACS", "DCS" and "DSS", and the image version (a green-on-black
// number with its arrows and the label "Img Vers").

#include "ResourceIds.h"

#include <QWidget>

class CSpinButtonCtrl;
class CStateButton;
class QLabel;

class CGeneratorDialogBar : public QWidget {
public:

    explicit CGeneratorDialogBar(QWidget *parent = nullptr);

    // The toggle of a control id (1176 to 1182), or nullptr.
    CStateButton *Toggle(int id) const;
    CSpinButtonCtrl *Spin() const { return m_spin; }
    QLabel *VersionText() const { return m_version; }

private:
    CStateButton *AddToggle(int id, unsigned textId, int width);

    CSpinButtonCtrl *m_spin;
    QLabel *m_version;
};

// Paints the toggles' pictures (ids 188 to 201) that the program does not carry.
void RegisterToggleBitmaps();

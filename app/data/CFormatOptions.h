#pragma once
// The Options page of the format editor: the format's name, the five kind
// selections, video and sync swing, gamma and pedestal with their switches,
// sync on R/G/B and the H/V/C sync gates and polarities. Only the name
// reaches the working copy while it is typed (the title follows it); the
// rest is written at commit, a number only when its edit was changed.

#include "CFormatPage.h"
#include "ResourceIds.h"

#include <QtGlobal>

#include <array>

class CNameEdit;
class CStateButton;
class CValueEdit;
class QCheckBox;
class QComboBox;
class QLabel;

class CFormatOptions : public CFormatPage {
public:
    // The switches the page keeps, in the format's order; the last is gamma on.
    static constexpr int kSwitches = 10;
    static constexpr int kGammaSwitch = 9;

    CFormatOptions(CGeneralFormatData *data, FormatSheetLink *sheet);

    void Commit() override;
    // The name as typed.
    QString NameText() const;
    // The working copy's name, after the item was renamed.
    void ShowName();
    int Switch(int index) const { return m_switches[size_t(index)]; }

protected:
    void OnInitDialog() override;

private:
    void BuildControls();
    void ToggleSwitch(int id);
    void ToggleGamma();
    void TogglePedestal();
    void NameTyped(const QString &text);
    // The number of edit when it was changed and is one; false (after
    // saying so) for text that is no number.
    bool TakeNumber(CValueEdit *edit, unsigned field, double &value); // field: its name's text id

    std::array<qint32, kSwitches> m_switches{};
    qint32 m_pedestalOn = 0;
    CNameEdit *m_name = nullptr;
    std::array<QComboBox *, 5> m_kinds{};
    CValueEdit *m_videoSwing = nullptr;
    CValueEdit *m_syncSwing = nullptr;
    CValueEdit *m_gamma = nullptr;
    CValueEdit *m_pedestal = nullptr;
    QCheckBox *m_gammaOn = nullptr;
    QCheckBox *m_pedestalOnBox = nullptr;
    QLabel *m_pedestalUnit = nullptr;
};

#pragma once
// The dialog bar of the sequence and knob list editors: "Generator:" and
// the combo that chooses whose names the editor offers. Its first entry,
// "<Virtual Gen>", is the bar's own connection without a port, which holds
// the built-in names; then one entry per connected generator view. A view
// not scanned yet is scanned when it is chosen.

#include "ResourceIds.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class CGenerator;
class CGeneratorView;
class QComboBox;

class CEditorDialogBar : public QWidget {
public:
    // chosen runs after every change of the choice (the names to offer changed).
    CEditorDialogBar(QWidget *parent, std::function<void()> chosen);
    ~CEditorDialogBar() override;

    // The chosen view's connection, made the current generator, or the
    // bar's own one for "<Virtual Gen>".
    CGenerator *Generator();
    CGeneratorView *ChosenView() const;
    CGenerator &OwnGenerator() { return *m_own; }
    QComboBox *Combo() const { return m_combo; }

    // Lists the views anew; when the chosen one has gone, "<Virtual Gen>"
    // is chosen and the choice runs.
    void Fill();
    // The combo's selection changed to entry index.
    void OnSelChange(int index);

private:
    std::unique_ptr<CGenerator> m_own;
    QPointer<CGeneratorView> m_chosen;
    bool m_viewChosen = false; // a view, not "<Virtual Gen>", is the choice
    QComboBox *m_combo = nullptr;
    std::function<void()> m_chosenChanged;
    bool m_filling = false;
};

#pragma once
// A program around generator views that does nothing: enough for a view
// (and the player it owns) outside the main window.

#include "GeneratorViewHost.h"

#include <QObject>

class TestViewHost : public GeneratorViewHost {
public:
    QObject *MessageWindow() override { return &window; }
    CGenData *NewDataItem(int) override { return nullptr; }
    void DeleteDataItems(const QList<CGenData *> &) override {}
    void SelectDataItems(const QList<CGenData *> &) override {}
    void DeselectAllData() override {}
    void EditSelectedData() override {}
    bool OpenDataFile() override { return false; }
    bool IsDataListDragging() const override { return false; }
    void SendDataListSelectionTo(CGeneratorView *, CProgressDlg *) override {}
    void SendDataToSelectedGenerators() override {}
    bool HasSelectedGenerators() const override { return false; }
    void UpdateControls() override {}
    void OpenHelpFile() override {}
    void OperationStarted() override {}
    void OperationEnded() override {}

    QObject window;
};

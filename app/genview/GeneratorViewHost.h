#pragma once
// What a generator view and its panes ask of the program around them: the
// data list (new, deleted and selected items, the drag it runs), the
// generator list's operations and Send Data, the help file. The views talk
// upward only through this; the main window implements it.

#include <QList>

class CGenData;
class CGeneratorView;
class CProgressDlg;
class QObject;

class GeneratorViewHost
{
public:
    // Takes the private messages about data items (WM_DATA_CHANGED).
    virtual QObject* MessageWindow() = 0;

    // A new, empty data item of kind (a data-item type code) in the data
    // list; nullptr when the program has no such kind.
    virtual CGenData* NewDataItem(int kind) = 0;
    // Takes items out of the data list and deletes them.
    virtual void DeleteDataItems(const QList<CGenData*>& items) = 0;
    virtual void SelectDataItems(const QList<CGenData*>& items) = 0;
    virtual void DeselectAllData() = 0;
    virtual void EditSelectedData() = 0;
    // "Open": a data file into the data list; false when none was opened.
    virtual bool OpenDataFile() = 0;
    // Whether the data list is the source of the drag that is running.
    virtual bool IsDataListDragging() const = 0;
    // Stores the data list's selected items in destination's generator.
    virtual void SendDataListSelectionTo(CGeneratorView* destination, CProgressDlg* progress) = 0;

    // Send Data of the data list's selection to the selected generators,
    // without the saving offer.
    virtual void SendDataToSelectedGenerators() = 0;
    // Whether the generator list has a generator selected to send to.
    virtual bool HasSelectedGenerators() const = 0;
    virtual void UpdateControls() = 0;
    virtual void OpenHelpFile() = 0;

    // An operation that pumps messages starts or ends: a generator removal
    // waits until the last one has ended.
    virtual void OperationStarted() = 0;
    virtual void OperationEnded() = 0;

protected:
    ~GeneratorViewHost() = default;
};

// Held for the length of an operation on a host (which may be null).
class HostOperation
{
public:
    explicit HostOperation(GeneratorViewHost* host)
        : m_host(host)
    {
        if (m_host)
            m_host->OperationStarted();
    }
    ~HostOperation()
    {
        if (m_host)
            m_host->OperationEnded();
    }
    HostOperation(const HostOperation&) = delete;
    HostOperation& operator=(const HostOperation&) = delete;

private:
    GeneratorViewHost* m_host;
};

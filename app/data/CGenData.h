#pragma once
// The common base of every data item the program keeps on the PC: formats,
// images, sequences, knob lists, pixel maps and fonts. It holds the name,
// the modified flag, the file the item belongs to and the window that owns
// it, and declares everything the shell does with an item without knowing
// its kind. Items talk back to their owner (the main window) only through
// the messages WM_DATA_CHANGED, WM_DATA_SAVE and WM_EDITOR_CLOSED.

#include "CObject.h"
#include "MessageTarget.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>

class CArchive;
class CCommandReader;
class CGenerator;
class CProgressDlg;
class QWidget;

// One kind of data item: its type code and the string-table ids of its
// name, file extension and file-dialog filter.
struct DataKind {
    int typeCode;
    unsigned nameId;
    unsigned extensionId;
    unsigned filterId;
};

class CGenData : public CObject, public Handled {
    DECLARE_SERIAL(CGenData)

public:
    enum TypeCode { kFormat = 100, kImage = 200, kSequence = 300, kKnobList = 400, kPixelMap = 500, kFont = 700 };
    // The kinds in the order of the file dialogs.
    static const std::array<DataKind, 6> &Kinds();
    // The kind of typeCode, or nullptr.
    static const DataKind *FindKind(int typeCode);

    // owner receives the item's messages; it must take them (MessageTarget).
    explicit CGenData(QObject *owner = nullptr);
    ~CGenData() override;

    // The part every item shares stores nothing: each kind stores its name
    // first in its own Serialize and clears the modified flag on load.
    void Serialize(CArchive &ar) override;
    virtual int GetTypeCode() const;
    virtual QString GetTypeName() const;
    virtual QString GetName() const;
    virtual void SetName(const QString &name);
    // Asks the user for a new name; true when the item took it.
    virtual bool Rename();
    // The name as the user sees it now (a format's open editor may show another).
    virtual QString GetCurrentName() const;
    // Shows the editor, creating it when none is open; nullptr when the kind has none.
    virtual QWidget *OpenEditor();
    virtual bool IsEditorOpen() const;
    virtual QWidget *GetEditor() const;
    // The editor's window is gone (WM_EDITOR_CLOSED): forget the editor.
    virtual void CloseEditor();
    virtual QString GetFileExtension() const;
    virtual QString GetFileFilter() const;
    // Writes the item as a tagged object; legacy asks for the older
    // product's form, which only formats have.
    virtual void StoreObject(CArchive &ar, bool legacy);
    virtual bool ImportTokens(CCommandReader &reader);
    virtual bool ImportLegacyBinary(CArchive &ar);
    virtual bool ImportCommandLines(QStringList &lines);
    virtual void WriteCommandFile(const QString &path, const QString &name);
    virtual bool SendToGenerator(CGenerator *generator, CProgressDlg *progress);
    virtual bool RecallFromGenerator(const QString &name, CGenerator *generator, CProgressDlg *progress);
    // True also when an open editor holds unsaved changes (kinds with editors).
    virtual bool IsModified() const;
    // A generator was connected (hint 0) or disconnected (hint 1).
    virtual void NotifyEditor(int hint);
    // Lines of the last recall or import that the item could not take; an
    // item that left some out is not all the generator holds.
    virtual int LinesLeftOut() const;

    // Sends WM_DATA_SAVE (Save, or Save As) to the owner and returns its
    // answer: true only when the item was saved.
    bool RequestSave();
    bool RequestSaveAs();
    // Before the caller closes, sends or deletes the item: asks whether to
    // save a modified item. False means the caller must abandon what it
    // was doing (Cancel, or a save that failed or was cancelled).
    bool SaveModified();
    // Called by an editor window when it is destroyed.
    void NotifyEditorClosed();

    QObject *GetOwner() const { return m_owner; }
    void SetOwner(QObject *owner) { m_owner = owner; }
    void SetModified(bool modified = true) { m_modified = modified; }

    // The folder of the item's file, ending with a separator; empty when none.
    QString GetFolder() const { return m_folder; }
    // The file's name within the folder; empty when none.
    QString GetFileName() const { return m_fileName; }
    // Folder and file name together; empty when the item has no file.
    QString GetFilePath() const { return m_folder + m_fileName; }
    // The file path, or "<no associated file>": what rows and editor titles show.
    QString GetFileText() const;
    // Where the data list opened or saved the item; an empty path forgets the file.
    void SetFilePath(const QString &path);
    void SetFolder(const QString &folder);
    void SetFileName(const QString &fileName) { m_fileName = fileName; }

protected:
    bool m_modified = false;
    QString m_name;
    QString m_folder;
    QString m_fileName;
    QPointer<QObject> m_owner; // a destroyed owner is no owner

private:
    QWidget *PromptParent() const;
};

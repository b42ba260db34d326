#pragma once
// The common base of every data item the program keeps on the PC: formats,
// images, sequences, knob lists, pixel maps and fonts. It holds the name,
// the modified flag, the file the item belongs to and the window that owns
// it, and declares everything the shell does with an item without knowing
// its kind. Items talk back to their owner (the main window) only through
// the messages WM_DATA_CHANGED, WM_DATA_SAVE and WM_EDITOR_CLOSED.
//
// Every kind reaches its editor one way: the factory the program set for the
// kind makes it (a parentless window, ItemEditorLink), the item holds it
// weakly and shows the same one until it has closed.

#include "CObject.h"
#include "MessageTarget.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class CArchive;
class CCommandReader;
class CGenerator;
class CProgressDlg;
class ItemEditorLink;
class QWidget;
struct CRuntimeClass;

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

    // Makes the editor of an item: a new window without a parent, which
    // deletes itself once it has closed.
    using EditorFactory = std::function<ItemEditorLink *(CGenData &item)>;
    // One per kind (the item's run-time class), set by the program at
    // start-up (tests set doubles); without one the kind opens no editor.
    static void SetEditorFactory(const CRuntimeClass *kind, EditorFactory factory);

    // owner receives the item's messages; it must take them (MessageTarget).
    explicit CGenData(QObject *owner = nullptr);
    ~CGenData() override;

    // The part every item shares stores nothing: each kind stores its name
    // first in its own Serialize and clears the modified flag on load.
    void Serialize(CArchive &ar) override;
    virtual int GetTypeCode() const;
    virtual QString GetTypeName() const;
    virtual QString GetName() const;
    // An open editor retitles.
    virtual void SetName(const QString &name);
    // Asks the user for a new name; true when the item took it (an open
    // editor then retitles).
    virtual bool Rename();
    // The name as the user sees it now (a format's open editor may show another).
    virtual QString GetCurrentName() const;
    // Shows the editor, creating it when none is open; nullptr when the kind has none.
    virtual QWidget *OpenEditor();
    // An editor is there and has not closed.
    virtual bool IsEditorOpen() const;
    // The open editor's window, or nullptr.
    virtual QWidget *GetEditor() const;
    // The editor's window is gone (WM_EDITOR_CLOSED): the editor goes.
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
    // The item's flag, or unsaved changes of an open editor.
    virtual bool IsModified() const;
    // A generator was connected (hint 0) or disconnected (hint 1): an open
    // editor hears it.
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
    // An editor window is closing: true when it may (the save question
    // agreed, or it had closed before). The first time, closed is set and
    // the owner hears of it (NotifyEditorClosed).
    bool EditorWindowCloses(bool &closed);

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
    // An editor's title: the name as the editor shows it, " * " when
    // modified (two blanks otherwise), then GetFileText.
    QString EditorTitle(const QString &shownName, bool modified) const;
    // Where the data list opened or saved the item; an empty path forgets the file.
    void SetFilePath(const QString &path);
    void SetFolder(const QString &folder);
    void SetFileName(const QString &fileName) { m_fileName = fileName; }

protected:
    // The open editor, or nullptr.
    ItemEditorLink *Editor() const;
    // A recall replaced the item's data with what the generator stores as
    // name: the item takes the name and is modified, its editor reloads and
    // the owner hears of it.
    void TakeRecalled(const QString &name);
    // Deletes the editor's window, open or closed; a kind calls it first in
    // its destructor, while what the window shows still exists.
    void DestroyEditor();

    bool m_modified = false;
    QString m_name;
    QString m_folder;
    QString m_fileName;
    QPointer<QObject> m_owner; // a destroyed owner is no owner

private:
    QWidget *PromptParent() const;

    QPointer<QWidget> m_editorWindow;
    ItemEditorLink *m_editor = nullptr; // the window's link; valid while the window is
};

// SetEditorFactory for the kind Item, with the item as the kind it is.
template <class Item>
void SetEditorFactory(std::function<ItemEditorLink *(Item &item)> factory)
{
    CGenData::EditorFactory made;
    if (factory)
        made = [factory = std::move(factory)](CGenData &item) { return factory(static_cast<Item &>(item)); };
    CGenData::SetEditorFactory(Item::StaticRuntimeClass(), std::move(made));
}

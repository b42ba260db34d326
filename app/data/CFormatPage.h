#pragma once
// One page of the format editor. A page builds its controls the first time
// it is shown (before that it has no window, and commit and the sheet's
// current name pass it by). Pages that take typed entries (Timing,
// Worksheet 1) get the entry keys here: Enter accepts the focused entry (or
// the last one, when the focus is on a button), Esc does nothing, an entry
// left without Enter shows its stored value again.

#include <QWidget>

class CGeneralFormatData;
class QAbstractButton;

// What a page needs of the sheet that shows it; the format editor implements it.
class FormatSheetLink {
public:
    virtual ~FormatSheetLink() = default;
    // A change on a page: the sheet's mark shows; retitleAlways also when it did.
    virtual void SetModified(bool retitleAlways) = 0;
};

class CFormatPage : public QWidget {
public:
    CFormatPage(CGeneralFormatData *data, FormatSheetLink *sheet, int dialogId, const QString &title);

    // The page's window exists: it has been shown at least once.
    bool IsCreated() const { return m_created; }
    // Creates the window now (as a first showing does).
    void EnsureCreated();
    // Writes the controls into the working copy; only when created.
    virtual void Commit() {}
    QString Title() const { return m_title; }
    bool IsModified() const { return m_modified; }

protected:
    // Builds the controls and shows the working copy's values.
    virtual void OnInitDialog() = 0;
    // Every value control shows its stored value again.
    virtual void Redisplay() {}
    // Enter on control id (a value edit, or the one that had the focus last).
    virtual void OnAccept(int /*id*/) {}
    // The focus entered value edit id, or left it.
    virtual void OnEditFocus(int /*id*/) {}
    virtual void OnEditFocusLost(int /*id*/) {}

    // Marks the page and the sheet modified.
    void SetModified();
    void ClearModified() { m_modified = false; }
    // Watches every edit and button built so far for the entry keys and focus.
    void WatchEntries();
    // The control id of w (its object name "id1234"); 0 for none.
    static int IdOf(const QObject *w);
    int LastFocused() const { return m_lastFocused; }
    // Accepts the entry with the focus, as Enter does.
    void AcceptFocused();

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    CGeneralFormatData *m_data;
    FormatSheetLink *m_sheet;

private:
    bool m_created = false;
    bool m_modified = false;
    int m_lastFocused = 0;
    QString m_title;
};

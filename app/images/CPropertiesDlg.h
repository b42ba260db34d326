#pragma once
// The modeless property dialog of a primitive, or the placeholder shown when
// no single editable primitive is selected. One class serves every template
// (236, 243-251): the template's table row decides its fields and ranges.
// The dialog applies its values on Return, on losing activation while the
// shared pin is out and when it goes; it goes by destroying itself and
// posting WM_PROPERTIES_CLOSED to the editor, which deletes it.

#include "MessageTarget.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class CPrimitive;
class CStateButton;
class CValueEdit;
class InsertFilter;
class QComboBox;
class QLabel;
class QLineEdit;

class CPropertiesDlg : public QDialog, public MessageTarget, public Handled {
public:
    // Placeholder cases.
    enum Case { kNoSelection = 0, kMultiple = 1, kFrozen = 2, kNoProperties = 3 };
    static constexpr int kMaxText = 32;

    // The dialog of template templateId for primitive (null: the
    // placeholder), a child window of editor.
    CPropertiesDlg(QWidget *editor, CPrimitive *primitive, int templateId);
    ~CPropertiesDlg() override;

    int TemplateId() const { return m_templateId; }
    CPrimitive *Primitive() const { return m_primitive; }
    bool IsPrimitiveGone() const { return m_primitiveGone; }
    bool IsDestroyed() const { return m_destroyed; }

    // The one pin of all property dialogs; in at start.
    static bool IsPinned();
    static void SetPinned(bool pinned);

    // --- Values (each get and set clears the modified mark of its fields) ---
    // A typed integer reads clamped to its field's range.
    QPoint GetPosition();
    void SetPosition(const QPoint &point);
    QSize GetSize();
    void SetSize(const QSize &size);
    int GetCharacterCode();
    void SetCharacterCode(int code);
    // Point index (0-based) of the triangle's three or the line's two.
    QPoint GetPoint(int index);
    void SetPoint(int index, const QPoint &point);
    QString GetText();
    void SetText(const QString &text);
    // The information box's two ratios (the X and Y fields).
    void GetRatios(double &x, double &y);
    void SetRatios(double x, double y);
    // The information box's contents ("Info") and border ("Style").
    int GetInfo();
    void SetInfo(int index);
    int GetStyle();
    void SetStyle(int index);
    // The placeholder's text.
    void SetCase(int which);

    // Some field holds a change the primitive has not taken.
    bool IsModified() const;
    // The primitive takes the values when something changed.
    void Apply();
    // Applies, lets go of the primitive, posts WM_PROPERTIES_CLOSED and hides
    // the window; the editor deletes the object.
    void DestroyWindow();
    // The primitive is being deleted: the dialog goes without applying.
    void PrimitiveGone();

    // WM_PROPERTIES_SHOWN: activated; the editor is asked to raise it.
    LRESULT OnMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    CValueEdit *Edit(int id) const;
    int ReadInt(int id);
    void WriteInt(int id, int value);
    void OnPin();
    void OnComboChanged(bool info);
    void RefreshDescription();
    void Build();

    QPointer<QWidget> m_editor;
    CPrimitive *m_primitive;
    int m_templateId;
    CStateButton *m_pin = nullptr;
    QComboBox *m_info = nullptr;
    QComboBox *m_style = nullptr;
    QLabel *m_description = nullptr;
    QLabel *m_case = nullptr;
    QLineEdit *m_text = nullptr;
    InsertFilter *m_textFilter = nullptr;
    bool m_activated = false;
    bool m_closing = false;
    bool m_primitiveGone = false;
    bool m_destroyed = false;
    bool m_comboChanged = false;
    bool m_settingCombos = false;
};

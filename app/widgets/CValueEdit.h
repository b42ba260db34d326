#pragma once
// The edit control for numbers of the property and settings dialogs: green
// on black, only digits, signs and (unless integer only) the point may be
// entered, and an integer field may clamp itself to its range when left.
// Numbers are read and written without the locale.

#include <QLineEdit>
#include <QStringView>

class InsertFilter;

class CValueEdit : public QLineEdit {
public:
    explicit CValueEdit(QWidget *parent = nullptr);

    // Set by the owning dialog when it opens.
    bool m_integerOnly = false; // the point is refused
    bool m_rangeCheck = false;  // with m_integerOnly: clamp to the range when focus leaves
    bool m_readOnly = false;    // the user can change nothing
    int m_maximum = 0;
    int m_minimum = 0;
    int m_decimals = 3;         // digits after the point of SetReal

    void SetInt(int value);
    // A value typed into a range-checked field reads clamped to the range.
    int GetInt() const;
    void SetReal(double value);
    double GetReal() const;

    // The program's text, which the filter does not judge; these hide
    // QLineEdit's own, which would leave it judging the text as typed.
    void setText(const QString &text);
    void clear() { setText(QString()); }

    static bool IsValueChar(QChar c, bool integerOnly);
    // The leading integer of text, as the C library's atoi reads it in the
    // "C" locale; 0 when there is none, saturated at the int limits.
    static int LeadingInt(QStringView text);
    // The leading number of text, as strtod reads it in the "C" locale; 0
    // when there is none or it is not finite.
    static double LeadingReal(QStringView text);

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:

    InsertFilter *m_filter;
};

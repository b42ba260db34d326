#pragma once
// Judges what the user puts into a line edit by the characters inserted, so
// typing, pasting, dropping and input methods obey one rule, while deleting
// stays possible even in a text the program set that breaks the rule.

#include <QString>
#include <QValidator>

class QLineEdit;

class InsertFilter : public QValidator {
public:
    // Owned by edit; the edit installs it once the filter is built.
    explicit InsertFilter(QLineEdit *edit);

    // The program is about to show text: the next change is not the user's.
    void SetBaseline(const QString &text);

    State validate(QString &input, int &pos) const override;

    // What after holds in place of before's changed middle (empty for a
    // pure deletion).
    static QString InsertedPart(const QString &before, const QString &after);

protected:
    virtual bool IsLocked() const { return false; }     // every change refused
    virtual bool AcceptsChar(QChar c) const = 0;
    virtual int MaxLength() const { return -1; }        // -1: no limit on insertions
    virtual bool IsAcceptable(const QString &) const { return true; } // a finished entry

private:
    QString m_baseline; // the text before the change being judged
};

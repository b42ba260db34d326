#pragma once
// The edit control for data-item names: at most 8 characters of 0-9, a-z,
// A-Z and _, yellow on black.

#include <QLineEdit>

class InsertFilter;

class CNameEdit : public QLineEdit {
public:
    static constexpr int kMaxLength = 8;

    explicit CNameEdit(QWidget *parent = nullptr);

    static bool IsNameChar(QChar c);
    // 1 to 8 name characters.
    static bool IsValidName(const QString &name);

    // Shows a name the program holds, which may break the rule (an item read
    // from a file); the user can still shorten or correct it. These hide
    // QLineEdit's own, which would leave the filter judging the program's
    // text as the user's.
    void setText(const QString &text);
    void clear() { setText(QString()); }

private:
    InsertFilter *m_filter;
};

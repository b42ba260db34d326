#pragma once
// The base of the image editor's option dialogs that take whole numbers (the
// snap grid's steps, the canvas's size): a step below 1 or a side below 2
// would make the canvas divide by zero, so OK refuses a value out of range
// with a box and the dialog stays open.

#include <QDialog>

class QLineEdit;

// A whole number typed into an edit, and the box that refuses one out of
// range.
class IntegerFieldsDialog : public QDialog {
protected:
    explicit IntegerFieldsDialog(QWidget *parent) : QDialog(parent) {}
    // The value of edit into value when it is an integer minimum..maximum;
    // otherwise a box, the edit selected, and false.
    bool TakeInteger(QLineEdit *edit, int minimum, int maximum, int &value);
    // Both edits' values into x and y, or neither (the box for the first
    // edit out of range, and false).
    bool TakeIntegers(QLineEdit *editX, QLineEdit *editY, int minimum, int maximum, int &x, int &y);
    // An edit of control id showing value, 40 x 12 dialog units at x, y.
    QLineEdit *AddNumberEdit(int id, int x, int y, int value);
};

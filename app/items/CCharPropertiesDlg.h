#pragma once
// The modeless "Character Properties" dialog of the font editor: the shown
// character's code on light yellow, its image width and text width
// (0..255) and text offset (-128..127). Apply gives them to the editor,
// PREV and NEXT step through the characters. It holds the character's code,
// never the character, so a character the editor deleted is never read.

#include <QDialog>

class CValueEdit;
class FontEditHost;
class QLabel;

class CCharPropertiesDlg : public QDialog {
public:
    CCharPropertiesDlg(FontEditHost &host, QWidget *parent);

    // Shows the character of code (FontEditHost::kNoChar: none).
    void ShowChar(int code);
    int Code() const { return m_code; }

    // What the buttons do. Apply refuses a text width below the image
    // width with a box and changes nothing.
    void OnApply();
    void OnPrev();
    void OnNext();

private:
    CValueEdit *AddValue(int id, int y, unsigned labelId, int minimum, int maximum);

    FontEditHost &m_host;
    int m_code;
    QLabel *m_codeText = nullptr;
    CValueEdit *m_imageWidth = nullptr;
    CValueEdit *m_textWidth = nullptr;
    CValueEdit *m_textOffset = nullptr;
};

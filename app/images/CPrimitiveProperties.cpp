// What a primitive has to do with its property dialog, apart from its model:
// opening the dialog, filling it and taking its values, and letting it go.

#include "CPrimitive.h"

#include "CCanvas.h"
#include "CPropertiesDlg.h"

CPropertiesDlg *CPrimitive::GetPropertyDialog() const { return m_propertyDialog; }
void CPrimitive::SetPropertyDialog(CPropertiesDlg *dialog) { m_propertyDialog = dialog; }

void CPrimitive::ReleasePropertyDialog()
{
    if (CPropertiesDlg *dialog = m_propertyDialog)
        dialog->PrimitiveGone();
}

CPropertiesDlg *CPrimitive::OpenPropertyDialog(QWidget *parent, int templateId, const QString &title)
{
    auto *dialog = new CPropertiesDlg(parent, this, templateId);
    if (!title.isEmpty())
        dialog->setWindowTitle(title);
    SetPropertyDialog(dialog);
    UpdateProperties();
    return dialog;
}

void CPrimitive::ShowInDialog(const std::function<void(CPropertiesDlg &)> &show)
{
    CPropertiesDlg *dialog = m_propertyDialog;
    if (!dialog)
        return;
    show(*dialog);
    if (IsTracking())
        dialog->repaint();
}

void CPrimitive::TakeFromDialog(const std::function<void(CPropertiesDlg &)> &take)
{
    CPropertiesDlg *dialog = m_propertyDialog;
    if (!dialog)
        return;
    Invalidate();
    take(*dialog);
    Invalidate();
    ShowStatus();
    if (CCanvas *canvas = GetCanvas())
        canvas->SetModified();
}

#pragma once
// Worksheet 2 of the format editor: laid out, and without behaviour. Its
// nine values are kept in the format and shown nowhere; its edits stay
// empty and its buttons are disabled.

#include "CFormatPage.h"
#include "ResourceIds.h"

class CFormatWorksheet2 : public CFormatPage {
public:

    CFormatWorksheet2(CGeneralFormatData *data, FormatSheetLink *sheet);

protected:
    void OnInitDialog() override;
};

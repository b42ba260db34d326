#pragma once
// Worksheet 2 of the format editor: laid out, and without behaviour. Its
// nine values are kept in the format and shown nowhere; its edits stay
// empty and its buttons are disabled.

#include "CFormatPage.h"

class CFormatWorksheet2 : public CFormatPage {
public:
    enum : int {
        IDD = 139,
        IDC_FIRST_EDIT = 1133, IDC_LAST_EDIT = 1141,
        IDC_REJECT = 1062, IDC_ACCEPT = 1063, IDC_APPLY = 1123, IDC_GET = 1124,
    };

    CFormatWorksheet2(CGeneralFormatData *data, CFormatEditor *sheet);

protected:
    void OnInitDialog() override;
};

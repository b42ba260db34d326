#pragma once
// Worksheet 1 of the format editor: a raster from six design inputs, its
// totals and rates, "Get from Format" (inputs from the timing) and "Apply
// to Format" (timing from the raster, then the Timing page shows it). The
// inputs are taken with Enter, as on the Timing page; the calculation is
// WorksheetCalculation's.

#include "CFormatPage.h"
#include "WorksheetCalculation.h"

class CFormatTiming;
class QLineEdit;

class CFormatWorksheet1 : public CFormatPage {
public:
    using W = WorksheetCalculation;

    CFormatWorksheet1(CGeneralFormatData *data, FormatSheetLink *sheet, CFormatTiming *timing);

    void Commit() override;
    const WorksheetCalculation &Calculation() const { return m_calc; }

    void OnGet();
    void OnApply();

protected:
    void OnInitDialog() override;
    void Redisplay() override;
    void OnAccept(int id) override;
    void OnEditFocusLost(int id) override;

private:
    void BuildControls();
    QLineEdit *Edit(int id) const;
    void ShowInput(int id, int decimals = -1);
    void ShowAll();
    void OnEnterPercent();
    void OnReject();
    void Refuse(const QString &why);

    CFormatTiming *m_timing;
    WorksheetCalculation m_calc;
};

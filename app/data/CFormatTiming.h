#pragma once
// The Timing page of the format editor: rates, counts and times of the
// format in five linked entry groups, the A/B/C selectors of what is
// calculated, the entry units, scan type, back porch, sizes, equalisation,
// repeat field, pulse and pixel depth. A typed value is taken with Enter
// and recalculates its group; leaving it or "Reject Entry" shows the stored
// value again. What happens is TimingModel's; this page shows it.

#include "CFormatPage.h"
#include "TimingModel.h"

class QComboBox;
class QLabel;
class QLineEdit;

class CFormatTiming : public CFormatPage {
public:
    using T = TimingModel;

    CFormatTiming(CGeneralFormatData *data, FormatSheetLink *sheet);

    void Commit() override;
    // Shows the working copy's values again (after Worksheet 1 changed them).
    void Refresh();
    TimingModel &Model() { return m_model; }
    // The pixel depths the list offers, by row.
    static int DepthOfRow(int row);
    static int RowOfDepth(int depth); // -1: a depth the list does not offer

protected:
    void OnInitDialog() override;
    void Redisplay() override;
    void OnAccept(int id) override;
    void OnEditFocus(int id) override;
    void OnEditFocusLost(int id) override;

private:
    void BuildControls();
    QLineEdit *Edit(int id) const;
    void ShowValue(int id);
    void ShowColours();
    void ShowState();
    // After a button: a refusal is said, what is shown follows the model.
    void Finish(const TimingModel::Outcome &outcome, bool modifies);
    void OnSelector(int id);
    void OnUnits(bool time);
    void OnBackPorch();
    void OnScan(bool interlaced);
    void OnReject();

    TimingModel m_model;
    QComboBox *m_depth = nullptr;
};

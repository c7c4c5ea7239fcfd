#pragma once

#include "views/DocumentListView.h"

// The taps of the current speaker model; a click makes a tap the model's default tap.
class CTapListView : public CDocumentListView {
    Q_OBJECT
public:
    explicit CTapListView(CDAXDoc& document, QWidget* parent = nullptr);

protected:
    std::vector<CListColumn> Columns() const override { return TapColumns(); }
    CListRows Rows() const override { return TapRows(Doc()); }
    int CurrentRow() const override { return CurrentTapRow(Doc()); }
    void RowPressed(int row) override { SelectTap(Doc(), row); }
};

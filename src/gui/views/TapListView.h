#pragma once

#include "views/DocumentListView.h"

// The taps of the current speaker model; a click makes a tap the model's default tap.
class CTapListView : public CDocumentListView {
    Q_OBJECT
public:
    explicit CTapListView(CDAXDoc& document, QWidget* parent = nullptr);

protected:
    std::vector<CListColumn> Columns() const override { return TapColumns(); }
    CListRows Rows() const override { return TapRows(Document()); }
    int CurrentRow() const override { return CurrentTapRow(Document()); }
    void RowPressed(int row) override { SelectTap(Document(), row); }
};

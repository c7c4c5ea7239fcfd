#pragma once

#include "project/ColorMapViewModel.h"

#include <QWidget>

class QComboBox;
class QLabel;

// The colour map pane in words: the band, frequency and mode lists of the map and the calculated
// map's statistics, through the colour map view model. It stands in the map's place until the
// drawn map view is there, so a project can be set up, calculated and read end to end.
class CMapSummaryPane : public QWidget {
    Q_OBJECT
public:
    CMapSummaryPane(CDAXDoc& document, QWidget* parent = nullptr);
    ~CMapSummaryPane() override;

    // A new project gets its calculation plane and the Room Parameters dialog here.
    Q_INVOKABLE void initialUpdate();
    CColorMapViewModel& Model() { return m_model; }

private:
    void Refill();
    void Choose(void (CColorMapViewModel::*select)(int), int index);

    CDAXDoc& m_doc;
    CColorMapViewModel m_model;
    QComboBox* m_band;
    QComboBox* m_frequency;
    QComboBox* m_mode;
    QLabel* m_statistics;
    bool m_filling = false;
};

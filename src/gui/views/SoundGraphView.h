#pragma once

#include "project/SoundGraphViewModel.h"

#include <QWidget>

class CDAXDoc;

// "Frequency Response View": the curves of its entry on a log-frequency grid, fitted to the
// window. Redraws when the document says the response changed, refits on every resize.
class CSoundGraphView : public QWidget {
    Q_OBJECT
public:
    explicit CSoundGraphView(CDAXDoc& document, QWidget* parent = nullptr);
    ~CSoundGraphView() override;

    CSoundGraphViewModel& Model() { return m_model; }
    // Text height of the screen drawing.
    static constexpr int kFontHeight = 12;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // The document's view: hint 4 schedules a repaint, every other hint is ignored.
    class CModel : public CSoundGraphViewModel {
    public:
        CModel(CDAXDoc& document, CSoundGraphView& view)
            : CSoundGraphViewModel(document), m_view(view) {}
        void OnUpdate(EUpdateHint hint, const CDocumentChange& change) override;

    private:
        CSoundGraphView& m_view;
    };

    CModel m_model;
};

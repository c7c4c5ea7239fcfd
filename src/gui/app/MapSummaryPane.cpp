#include "app/MapSummaryPane.h"

#include "app/Guard.h"
#include "common/FormatSignificant.h"
#include "paint/GuiText.h"
#include "project/DAXDoc.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

namespace {

void Fill(QComboBox* combo, const CComboModel& model) {
    combo->clear();
    for (const std::string& item : model.items)
        combo->addItem(ToQString(item));
    combo->setCurrentIndex(model.selection);
    combo->setEnabled(!model.items.empty());
}

QString Level(double value) {
    return ToQString(FormatSignificant(value, 4)) + " dB";
}

} // namespace

CMapSummaryPane::CMapSummaryPane(CDAXDoc& document, QWidget* parent)
    : QWidget(parent), m_doc(document), m_model(document), m_band(new QComboBox(this)),
      m_frequency(new QComboBox(this)), m_mode(new QComboBox(this)),
      m_statistics(new QLabel(this)) {
    auto* form = new QFormLayout(this);
    form->addRow("Band", m_band);
    form->addRow("Frequency", m_frequency);
    form->addRow("Mode", m_mode);
    form->addRow(m_statistics);
    m_statistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statistics->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(m_band, &QComboBox::activated, this,
            [this](int i) { Choose(&CColorMapViewModel::OnBandSelected, i); });
    connect(m_frequency, &QComboBox::activated, this,
            [this](int i) { Choose(&CColorMapViewModel::OnFrequencySelected, i); });
    connect(m_mode, &QComboBox::activated, this,
            [this](int i) { Choose(&CColorMapViewModel::OnModeSelected, i); });
    m_model.onRepaint = [this] { Refill(); };
    Refill();
}

CMapSummaryPane::~CMapSummaryPane() {
    m_model.onRepaint = nullptr;
}

void CMapSummaryPane::initialUpdate() {
    RunGuarded(this, [this] { m_model.OnInitialUpdate(); });
    Refill();
}

void CMapSummaryPane::Choose(void (CColorMapViewModel::*select)(int), int index) {
    if (m_filling)
        return;
    RunGuarded(this, [&] { (m_model.*select)(index); });
    Refill();
}

void CMapSummaryPane::Refill() {
    m_filling = true;
    Fill(m_band, m_model.BandCombo());
    Fill(m_frequency, m_model.FrequencyCombo());
    Fill(m_mode, m_model.ModeCombo());
    m_filling = false;

    const CColorMapCondition* condition = m_model.Condition();
    QString text;
    if (!condition) {
        text = "No calculation plane.";
    } else if (!m_doc.HasInstallations()) {
        text = "No installations: install a speaker to calculate the map.";
    } else {
        const CListeningPlane& plane = condition->plane;
        text = QString("Points: %1\nMax: %2\nMin: %3\nAverage (music/speech): %4\n"
                       "Average (pink noise): %5")
                   .arg(plane.pointCount)
                   .arg(Level(plane.maximumLevel), Level(plane.minimumLevel),
                        Level(plane.musicSpeechAverage), Level(plane.pinkNoiseAverage));
        const CMapResult& result = m_model.LastResult();
        if (result.status == ECalcStatus::Stopped)
            text += QString("\nStopped after %1 points.").arg(result.computed);
        else if (result.status == ECalcStatus::Failed)
            text += "\nNot calculated: " + ToQString(result.reason);
    }
    m_statistics->setText(text);
}

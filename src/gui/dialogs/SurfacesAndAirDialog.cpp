#include "dialogs/SurfacesAndAirDialog.h"

#include "common/FormatSignificant.h"
#include "paint/GuiText.h"
#include "project/Strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

// The Sabine (dashed) and Eyring times per octave on a logarithmic frequency axis.
class CReverberationGraph : public QWidget {
public:
    explicit CReverberationGraph(QWidget* parent) : QWidget(parent) {
        setObjectName("reverberationGraph");
        setMinimumSize(320, 160);
    }
    void Show(const std::optional<CRoomOctaves>& room) {
        m_room = room;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const int h = fontMetrics().height();
        const QRect plot = rect().adjusted(3 * h, h / 2, -h, -2 * h);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(plot);
        double top = 1.0;
        if (m_room)
            for (const CRoomBand& b : m_room->octaves)
                top = std::max({top, b.rtSabine, b.rtEyring});
        top = std::ceil(top);
        auto x = [&](int k) { return plot.left() + plot.width() * (2 * k + 1) / (2 * kOctaveCount); };
        auto y = [&](double t) {
            return plot.bottom() - static_cast<int>(plot.height() * std::min(t, top) / top);
        };
        p.setPen(Qt::black);
        for (int k = 0; k < kOctaveCount; ++k)
            p.drawText(QRect(x(k) - 2 * h, plot.bottom() + 2, 4 * h, h), Qt::AlignCenter,
                       ToQString(CSurfacesAndAirForm::OctaveLabel(k)));
        p.drawText(QRect(0, plot.top(), 3 * h - 4, h), Qt::AlignRight, ToQString(FormatSignificant(top, 3)));
        p.drawText(QRect(0, plot.bottom() - h, 3 * h - 4, h), Qt::AlignRight, "0");
        p.drawText(QRect(0, plot.bottom() + h, 3 * h, h), Qt::AlignLeft, "T [s]");
        if (!m_room)
            return;
        for (int formula = 0; formula < 2; ++formula) {
            QPen pen(formula == 0 ? QColor(0, 0, 200) : QColor(200, 0, 0), 2);
            if (formula == 1)
                pen.setStyle(Qt::DashLine);
            p.setPen(pen);
            QPolygon line;
            for (int k = 0; k < kOctaveCount; ++k) {
                const CRoomBand& b = m_room->octaves[static_cast<std::size_t>(k)];
                line << QPoint(x(k), y(formula == 0 ? b.rtEyring : b.rtSabine));
            }
            p.drawPolyline(line);
            p.drawText(QRect(plot.right() - 6 * h, plot.top() + formula * h, 6 * h, h), Qt::AlignRight,
                       formula == 0 ? Strings::kFormulaEyring : Strings::kFormulaSabine);
        }
    }

private:
    std::optional<CRoomOctaves> m_room;
};

namespace {
QLineEdit* Edit(QWidget* parent, const CNumberField& field, const QString& name, int width) {
    auto* edit = new QLineEdit(ToQString(field.text), parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(width);
    return edit;
}
} // namespace

CSurfacesAndAirDialog1::CSurfacesAndAirDialog1(CSurfacesAndAirForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), true), m_form(form) {
    setObjectName("surfacesAndAirDialog");
    const int cell = fontMetrics().horizontalAdvance("0.0000") + 12;

    auto* surfaces = new QGroupBox(tr("Surfaces: absorption coefficient per octave [Hz]"), this);
    auto* grid = new QGridLayout(surfaces);
    for (int k = 0; k < kOctaveCount; ++k)
        grid->addWidget(new QLabel(ToQString(CSurfacesAndAirForm::OctaveLabel(k)), this), 0, 2 + k,
                        Qt::AlignCenter);
    QStringList names;
    names << Strings::kTypedMaterial;
    for (const std::string& name : form.MaterialNames())
        names << ToQString(name);
    for (int f = 0; f < kRoomFaceCount; ++f) {
        const auto face = static_cast<std::size_t>(f);
        grid->addWidget(new QLabel(ToQString(CSurfacesAndAirForm::FaceLabel(f)), this), f + 1, 0);
        auto* combo = new QComboBox(this);
        combo->setObjectName(QString("material%1").arg(f));
        combo->setEditable(true); // a name of the user's for typed coefficients
        combo->addItems(names);
        combo->setMinimumContentsLength(24);
        combo->setCurrentText(form.faces[face].material.empty() ? QString(Strings::kTypedMaterial)
                                                                : ToQString(form.faces[face].material));
        m_materials[face] = combo;
        grid->addWidget(combo, f + 1, 1);
        connect(combo, qOverload<int>(&QComboBox::activated), this, [this, f](int index) {
            if (index > 0 && m_form.ChooseMaterial(f, ToCoreText(m_materials[static_cast<std::size_t>(f)]->itemText(index))))
                ShowAll();
            UpdateResults();
        });
        for (int k = 0; k < kOctaveCount; ++k) {
            QLineEdit* edit = Edit(this, form.faces[face].alpha[static_cast<std::size_t>(k)],
                                   QString("alpha%1_%2").arg(f).arg(k), cell);
            m_alpha[face][static_cast<std::size_t>(k)] = edit;
            grid->addWidget(edit, f + 1, 2 + k);
            connect(edit, &QLineEdit::textEdited, this, [this] { UpdateResults(); });
        }
    }
    grid->addWidget(new QLabel(Strings::kExtraAbsorption, this), kRoomFaceCount + 1, 0, 1, 2);
    for (int k = 0; k < kOctaveCount; ++k) {
        QLineEdit* edit = Edit(this, form.extra[static_cast<std::size_t>(k)], QString("extra%1").arg(k), cell);
        m_extra[static_cast<std::size_t>(k)] = edit;
        grid->addWidget(edit, kRoomFaceCount + 1, 2 + k);
        connect(edit, &QLineEdit::textEdited, this, [this] { UpdateResults(); });
    }
    Body()->addWidget(surfaces);

    auto* air = new QGroupBox(tr("Air and reverberation"), this);
    auto* airRow = new QHBoxLayout(air);
    airRow->addWidget(new QLabel(Strings::kAirTemperature, this));
    m_temperature = Edit(this, form.temperature, "temperature", cell);
    airRow->addWidget(m_temperature);
    airRow->addWidget(new QLabel(ToQString(form.temperature.unit), this));
    airRow->addWidget(new QLabel(Strings::kAirHumidity, this));
    m_humidity = Edit(this, form.humidity, "humidity", cell);
    airRow->addWidget(m_humidity);
    airRow->addWidget(new QLabel("%", this));
    m_airOnDirect = new QCheckBox(Strings::kAirOnDirect, this);
    m_airOnDirect->setObjectName("airOnDirect");
    m_airOnDirect->setChecked(form.airOnDirect);
    airRow->addWidget(m_airOnDirect);
    airRow->addWidget(new QLabel(Strings::kReverbFormula, this));
    m_formula = new QComboBox(this);
    m_formula->setObjectName("formula");
    m_formula->addItem(Strings::kFormulaEyring);
    m_formula->addItem(Strings::kFormulaSabine);
    m_formula->setCurrentIndex(form.formula == EReverbFormula::Sabine ? 1 : 0);
    airRow->addWidget(m_formula);
    for (QLineEdit* edit : {m_temperature, m_humidity})
        connect(edit, &QLineEdit::textEdited, this, [this] { UpdateResults(); });
    Body()->addWidget(air);

    auto* noise = new QGroupBox(tr("Background noise [dB] and speech"), this);
    auto* noiseGrid = new QGridLayout(noise);
    m_noiseOn = new QCheckBox(Strings::kNoiseOn, this);
    m_noiseOn->setObjectName("noiseOn");
    m_noiseOn->setChecked(form.noiseOn);
    noiseGrid->addWidget(m_noiseOn, 1, 0);
    m_noiseCurve = new QComboBox(this);
    m_noiseCurve->setObjectName("noiseCurve");
    m_noiseCurve->addItem(Strings::kNoiseTyped);
    for (const std::string& name : CSurfacesAndAirForm::NoiseCurveNames())
        m_noiseCurve->addItem(ToQString(name));
    const int curve = m_noiseCurve->findText(ToQString(form.noiseCurve));
    m_noiseCurve->setCurrentIndex(std::max(curve, 0));
    noiseGrid->addWidget(m_noiseCurve, 1, 1);
    connect(m_noiseCurve, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        ReadAll();
        m_form.ChooseNoiseCurve(index == 0 ? std::string() : ToCoreText(m_noiseCurve->itemText(index)));
        if (index > 0)
            m_noiseOn->setChecked(true);
        ShowAll();
    });
    for (int k = 0; k < kOctaveCount; ++k) {
        noiseGrid->addWidget(new QLabel(ToQString(CSurfacesAndAirForm::OctaveLabel(k)), this), 0, 2 + k,
                             Qt::AlignCenter);
        QLineEdit* edit = Edit(this, form.noise[static_cast<std::size_t>(k)], QString("noise%1").arg(k), cell);
        m_noise[static_cast<std::size_t>(k)] = edit;
        noiseGrid->addWidget(edit, 1, 2 + k);
    }
    noiseGrid->addWidget(new QLabel(Strings::kStiTarget, this), 2, 0);
    m_stiTarget = Edit(this, form.stiTarget, "stiTarget", cell);
    noiseGrid->addWidget(m_stiTarget, 2, 1, Qt::AlignLeft);
    Body()->addWidget(noise);

    auto* results = new QGroupBox(tr("The room as typed"), this);
    auto* resultGrid = new QGridLayout(results);
    m_summary = new QLabel(this);
    m_summary->setObjectName("roomSummary");
    resultGrid->addWidget(m_summary, 0, 0, 1, 1 + kOctaveCount);
    const char* rows[] = {Strings::kMeanAlpha, Strings::kRtSabine, Strings::kRtEyring};
    for (int r = 0; r < 3; ++r) {
        resultGrid->addWidget(new QLabel(rows[r], this), r + 2, 0);
        for (int k = 0; k < kOctaveCount; ++k) {
            if (r == 0)
                resultGrid->addWidget(new QLabel(ToQString(CSurfacesAndAirForm::OctaveLabel(k)), this), 1,
                                      1 + k, Qt::AlignRight);
            auto* label = new QLabel(this);
            label->setObjectName(QString("result%1_%2").arg(r).arg(k));
            label->setAlignment(Qt::AlignRight);
            (r == 0 ? m_meanAlpha : r == 1 ? m_sabine : m_eyring)[static_cast<std::size_t>(k)] = label;
            resultGrid->addWidget(label, r + 2, 1 + k);
        }
    }
    m_graph = new CReverberationGraph(this);
    resultGrid->addWidget(m_graph, 0, 2 + kOctaveCount, 5, 1);
    Body()->addWidget(results);
    UpdateResults();
}

void CSurfacesAndAirDialog1::ReadAll() {
    for (std::size_t f = 0; f < kRoomFaceCount; ++f) {
        const QString name = m_materials[f]->currentText();
        m_form.faces[f].material = name == Strings::kTypedMaterial ? std::string() : ToCoreText(name);
        for (std::size_t k = 0; k < kOctaveCount; ++k)
            m_form.faces[f].alpha[k].text = ToCoreText(m_alpha[f][k]->text());
    }
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        m_form.extra[k].text = ToCoreText(m_extra[k]->text());
        m_form.noise[k].text = ToCoreText(m_noise[k]->text());
    }
    m_form.temperature.text = ToCoreText(m_temperature->text());
    m_form.humidity.text = ToCoreText(m_humidity->text());
    m_form.airOnDirect = m_airOnDirect->isChecked();
    m_form.formula = m_formula->currentIndex() == 1 ? EReverbFormula::Sabine : EReverbFormula::Eyring;
    m_form.noiseOn = m_noiseOn->isChecked();
    m_form.stiTarget.text = ToCoreText(m_stiTarget->text());
}

void CSurfacesAndAirDialog1::ShowAll() {
    for (std::size_t f = 0; f < kRoomFaceCount; ++f) {
        if (!m_form.faces[f].material.empty())
            m_materials[f]->setCurrentText(ToQString(m_form.faces[f].material));
        for (std::size_t k = 0; k < kOctaveCount; ++k)
            m_alpha[f][k]->setText(ToQString(m_form.faces[f].alpha[k].text));
    }
    for (std::size_t k = 0; k < kOctaveCount; ++k)
        m_noise[k]->setText(ToQString(m_form.noise[k].text));
}

void CSurfacesAndAirDialog1::UpdateResults() {
    ReadAll();
    std::string message;
    const std::optional<CRoomOctaves> room = m_form.Preview(&message);
    m_graph->Show(room);
    if (!room) {
        m_summary->setText(ToQString(message));
        for (std::size_t k = 0; k < kOctaveCount; ++k)
            m_meanAlpha[k]->clear(), m_sabine[k]->clear(), m_eyring[k]->clear();
        return;
    }
    m_summary->setText(ToQString(std::string(Strings::kRoomVolume) + " " +
                                 FormatSignificant(room->volume, 4) + " m3, " + Strings::kRoomSurface +
                                 " " + FormatSignificant(room->surface, 4) + " m2"));
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        const CRoomBand& b = room->octaves[k];
        m_meanAlpha[k]->setText(ToQString(FormatSignificant(b.meanAlpha, 3)));
        m_sabine[k]->setText(ToQString(FormatSignificant(b.rtSabine, 3)));
        m_eyring[k]->setText(ToQString(FormatSignificant(b.rtEyring, 3)));
    }
}

bool CSurfacesAndAirDialog1::Validate(std::string& message) {
    ReadAll();
    return m_form.Accept(&message);
}

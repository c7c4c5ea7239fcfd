#include "ArrangementTestSupport.h"

#include "project/CommandTable.h"
#include "project/ProjectFile.h"
#include "speaker/CabinetArrayModel.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

void CModalPlayer::Start(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> play) {
    delete m_timer;
    auto tries = std::make_shared<int>(0);
    auto* timer = new QTimer;
    m_timer = timer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [this, timer, tries, wanted, play] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && wanted(modal)) {
            timer->stop();
            played = true;
            play(modal);
            // A script that stopped early (a failed check) must not leave the window open.
            if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
                dialog->reject();
            timer->deleteLater();
            return;
        }
        if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        }
    });
    timer->start();
}

CModalPlayer::~CModalPlayer() {
    delete m_timer;
}

QComboBox* ComboOf(QWidget& dialog, const QString& name) {
    return dialog.findChild<QComboBox*>(name);
}

QStringList Entries(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; combo && i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

bool Pick(QComboBox* combo, const QString& text) {
    if (!combo || !combo->isEnabled() || combo->isHidden())
        return false;
    const int row = combo->findText(text);
    if (row < 0)
        return false;
    combo->setCurrentIndex(row);
    return true;
}

namespace {
void Press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QAbstractButton* button = box ? box->button(which) : nullptr;
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
}
} // namespace

void PressOk(QDialog& dialog) {
    Press(dialog, QDialogButtonBox::Ok);
}

void PressCancel(QDialog& dialog) {
    Press(dialog, QDialogButtonBox::Cancel);
}

CVectorArrangement VectorsOf(const CVsaGenOptions& model) {
    const auto imported = ImportSpeakerText(GenerateVsa(model));
    const CModelSettings& s = imported->Settings();
    CVectorArrangement a;
    a.counts = {s.centre, s.upper, s.lower};
    for (const auto& state : imported->States())
        a.vectors.push_back(state.module.vector);
    return a;
}

CCabinetArrangement CabinetsOf(const CVsaGenOptions& model) {
    const auto imported = ImportSpeakerText(GenerateVsa(model));
    const auto& cabinets = dynamic_cast<const CCabinetArrayModel&>(*imported);
    const CModelSettings& s = imported->Settings();
    CCabinetArrangement a;
    a.counts = {s.centre, s.upper, s.lower};
    a.cabinets = cabinets.Cabinets();
    a.modules = cabinets.Modules();
    return a;
}

CArrangedDoc::CArrangedDoc(const CVsaGenOptions& model, CModuleArrangementPort* port) {
    fixture.doc.Ports().arrangement = port ? port : &dialogs;
    fixture.AddModel(model);
    fixture.Install(1.0, 1.0);
    fixture.doc.SetModified(false);
    view = std::make_unique<CRecordingView>(fixture.doc);
}

std::vector<std::uint8_t> CArrangedDoc::Bytes() {
    return ProjectFile::Write(fixture.doc);
}

bool CArrangedDoc::Arrange() {
    return fixture.doc.OnCommand(kCmdArrangeModules);
}

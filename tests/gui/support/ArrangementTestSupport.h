#pragma once

#include "FakePorts.h"
#include "RecordingView.h"
#include "dialogs/QtArrangementPort.h"
#include "project/arrangement/ModuleArrangementDialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Plays the user in the next modal window of type T the code under test opens: `play` runs on
// it once it is the active modal widget. A window that never shows up leaves `played` false
// (the test fails on that) instead of hanging the test; one `play` leaves open is cancelled.
class CModalPlayer {
public:
    template <class T> void Expect(std::function<void(T&)> play) {
        Start([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
              [play](QWidget* w) { play(*qobject_cast<T*>(w)); });
    }
    CModalPlayer() = default;
    CModalPlayer(const CModalPlayer&) = delete;
    CModalPlayer& operator=(const CModalPlayer&) = delete;
    ~CModalPlayer();
    bool played = false;

private:
    void Start(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> play);
    QPointer<QTimer> m_timer;
};

// The named child combo box of a dialog; nullptr when there is none.
QComboBox* ComboOf(QWidget& dialog, const QString& name);
// The entries of a combo box in display order.
QStringList Entries(const QComboBox* combo);
// Picks the entry with this text as a user does with the mouse; false when it is not offered or
// the box cannot be used.
bool Pick(QComboBox* combo, const QString& text);
void PressOk(QDialog& dialog);
void PressCancel(QDialog& dialog);

// What a generated model's arrangement dialog starts from.
CVectorArrangement VectorsOf(const CVsaGenOptions& model);
CCabinetArrangement CabinetsOf(const CVsaGenOptions& model);

// The form side of a comparison: the same choices made on the core's forms directly.
class CFormScript : public CModuleArrangementDialogs {
public:
    std::function<void(CQL9ArrangementForm&)> ql9;
    std::function<void(CTypeWArrangementForm&)> typeW;
    std::function<void(CTypePArrangementForm&)> typeP;
    std::function<void(CTypeRArrangementForm&)> typeR;
    std::function<void(CTypeKArrangementForm&)> typeK;
    bool special = false;

    bool Run(CQL9ArrangementForm& form) override { return Play(ql9, form); }
    bool Run(CTypeWArrangementForm& form) override { return Play(typeW, form); }
    bool Run(CTypePArrangementForm& form) override { return Play(typeP, form); }
    bool Run(CTypeRArrangementForm& form) override { return Play(typeR, form); }
    bool Run(CTypeKArrangementForm& form) override { return Play(typeK, form); }
    bool SpecialUserLevel() const override { return special; }

private:
    template <class Form> bool Play(const std::function<void(Form&)>& script, Form& form) {
        if (!script)
            return false;
        script(form);
        return true;
    }
};

// A document with one generated line-array model installed once, whose arrangement port is
// the desktop program's dialogs (or a form script), and a view that records what it hears.
struct CArrangedDoc {
    CDocFixture fixture;
    CQtArrangementPort dialogs{nullptr, &fixture.settings};
    std::unique_ptr<CRecordingView> view;

    explicit CArrangedDoc(const CVsaGenOptions& model, CModuleArrangementPort* port = nullptr);
    CDAXDoc& Doc() { return fixture.doc; }
    const std::vector<int>& Hints() const { return view->hints; }
    // What a save would write.
    std::vector<std::uint8_t> Bytes();
    // The Arrange Modules command as the menu runs it.
    bool Arrange();
};

#include "FakePorts.h"
#include "GuiTestSupport.h"
#include "ModalAnswer.h"
#include "ProjectBuilder.h"
#include "dialogs/AutoInstallationDialog.h"
#include "dialogs/InitialSettingsDialog.h"
#include "dialogs/InstallationDialog.h"
#include "dialogs/MessageDialog.h"
#include "dialogs/PreferencesDialog.h"
#include "dialogs/QtDialogPort.h"
#include "dialogs/RoomParametersDialog.h"
#include "dialogs/SpeakerFileDialog.h"
#include "dialogs/SurfacesAndAirDialog.h"
#include "dialogs/Vd1ExportDialog.h"
#include "paint/GuiText.h"
#include "project/CommandTable.h"
#include "project/ListViewModels.h"
#include "project/Strings.h"
#include "project/forms/NumberField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
QLineEdit* Edit(QWidget* dialog, const char* name) {
    auto* edit = dialog->findChild<QLineEdit*>(name);
    if (!edit)
        qFatal("no edit %s", name);
    return edit;
}

void Type(QWidget* dialog, const char* name, const QString& text) {
    QLineEdit* edit = Edit(dialog, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QPushButton* Button(QWidget* dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog->findChild<QDialogButtonBox*>("buttons");
    return box ? box->button(which) : nullptr;
}

void Press(QWidget* dialog, QDialogButtonBox::StandardButton which) {
    QPushButton* button = Button(dialog, which);
    if (!button)
        qFatal("no such button");
    QTest::mouseClick(button, Qt::LeftButton);
}

// The label in the same grid row as the edit: what the user reads beside it.
QString LabelOf(QWidget* dialog, const char* name) {
    QLineEdit* edit = Edit(dialog, name);
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->buddy() == edit)
            return label->text();
    return {};
}

CRoomParameters Room() {
    CRoomParameters v;
    v.roomLength = 10;
    v.roomWidth = 8;
    v.roomHeight = 3;
    v.originZ = 1.5;
    v.extentX = 10;
    v.extentY = 8;
    return v;
}
} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void installationRefusesBadNumbersAndKeepsWhatWasTyped() {
        CDocFixture f;
        f.AddModel(OmniSpeaker());
        CQtDialogPort port(nullptr);
        f.doc.Ports().dialogs = &port;
        bool answered = false;
        AnswerModal<CInstallationDialog1>([&](CInstallationDialog1* d) {
            // Without Advanced Mode only the position can be edited.
            QVERIFY(Edit(d, "x")->isVisible());
            QVERIFY(Edit(d, "azimuth")->isHidden());
            QVERIFY(d->findChild<QComboBox*>("polarity")->isHidden());
            QCOMPARE(LabelOf(d, "z"), QString("Z"));
            Type(d, "y", "7");
            Type(d, "x", "20000");
            Press(d, QDialogButtonBox::Ok);
            QVERIFY(d->isVisible());
            QCOMPARE(d->Message(), QString("X: enter a number between -10000 and 10000."));
            QCOMPARE(Edit(d, "x")->text(), QString("20000"));
            Type(d, "x", "two");
            Press(d, QDialogButtonBox::Ok);
            QVERIFY(d->isVisible());
            QCOMPARE(d->Message(), QString("X: enter a number."));
            Type(d, "x", "2.5");
            Press(d, QDialogButtonBox::Ok);
            answered = true;
        });
        QVERIFY(f.doc.InstallSpeaker(5, 5).IsDone());
        QVERIFY(answered);
        QCOMPARE(f.doc.Room().Count(), 1);
        QCOMPARE(f.doc.Room().At(0)->position.x, 2.5);
        QCOMPARE(f.doc.Room().At(0)->position.y, 7.0);

        AnswerModal<CInstallationDialog1>(
            [](CInstallationDialog1* d) { Press(d, QDialogButtonBox::Cancel); });
        QVERIFY(f.doc.InstallSpeaker(1, 1).status == EFlowStatus::Cancelled);
        QCOMPARE(f.doc.Room().Count(), 1);
    }

    void advancedInstallationEditsAimPowerAndPolarity() {
        CDocFixture f;
        f.AddModel(OmniSpeaker());
        EditSettings(f.doc)->advancedMode = 2;
        CQtDialogPort port(nullptr);
        f.doc.Ports().dialogs = &port;
        AnswerModal<CInstallationDialog1>([](CInstallationDialog1* d) {
            QVERIFY(!Edit(d, "azimuth")->isHidden());
            Type(d, "power", "-1");
            Press(d, QDialogButtonBox::Ok);
            QCOMPARE(d->Message(), QString("Power: enter a number between 0 and 10000."));
            Type(d, "power", "12");
            Type(d, "elevation", "-30");
            d->findChild<QComboBox*>("polarity")->setCurrentIndex(1);
            Press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(f.doc.InstallSpeaker(5, 5).IsDone());
        const CInstallationElement& e = *f.doc.Room().At(0);
        QCOMPARE(e.power, 12.0);
        QCOMPARE(e.orientation.elevation, -30.0);
        QVERIFY(!e.polarityNormal);
    }

    // An installed speaker's properties offer its model's taps as the tap list numbers them:
    // choosing one brings its power into the power row and OK puts the speaker on it. Numbers
    // may be typed with the locale's decimal separator; a refusal names its row.
    void installationDialogOffersTheTapsAndTakesTheLocalesDecimals() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        CDocFixture f;
        f.AddModel(DirectionalSpeaker(1)); // four line taps
        EditSettings(f.doc)->advancedMode = 2;
        QCOMPARE(f.Install(5, 5), 0);
        const CSpeakerModel& model = *f.doc.CurrentModel();
        const int own = f.doc.Room().At(0)->tapIndex;
        const int other = own == 1 ? 2 : 1;
        CQtDialogPort port(nullptr);
        f.doc.Ports().dialogs = &port;
        bool answered = false;
        AnswerModal<CInstallationDialog1>([&](CInstallationDialog1* d) {
            auto* tap = d->findChild<QComboBox*>("tap");
            QVERIFY(tap && !tap->isHidden());
            QCOMPARE(tap->count(), int(model.Settings().taps.size()));
            QCOMPARE(tap->currentIndex(), own);
            const CListRows rows = TapRows(f.doc);
            for (int row = 0; row < tap->count(); ++row)
                QCOMPARE(tap->itemText(row),
                         ToQString(rows[std::size_t(row)][0] + ": " + rows[std::size_t(row)][1]));
            tap->setCurrentIndex(other);
            emit tap->activated(other);
            const double tapPower = model.Tap(other).tapPower;
            QCOMPARE(Edit(d, "power")->text(), ToQString(FormatFieldNumber(tapPower)));
            Type(d, "power", QLocale().toString(tapPower * 1.5));
            Press(d, QDialogButtonBox::Ok);
            QVERIFY(d->isVisible());
            QVERIFY2(d->Message().startsWith("Power must lie between 0 and"),
                     qPrintable(d->Message()));
            QVERIFY2(d->Message().contains(QString("tap %1 of").arg(other + 1)),
                     qPrintable(d->Message()));
            Type(d, "power", QLocale().toString(tapPower / 2));
            Type(d, "x", "2,25");
            Press(d, QDialogButtonBox::Ok);
            answered = true;
        });
        QVERIFY(f.doc.OnCommand(kCmdChangeInstallation));
        QLocale::setDefault(QLocale::c());
        QVERIFY(answered);
        const CInstallationElement& e = *f.doc.Room().At(0);
        QCOMPARE(e.tapIndex, other);
        QCOMPARE(e.power, model.Tap(other).tapPower / 2);
        QCOMPARE(e.position.x, 2.25);
        QVERIFY(f.doc.CanUndo());
    }

    void roomParametersConvertRelabelAndRefuse() {
        CRoomParametersForm form(Room(), 2, true);
        CQtDialogPort port(nullptr);
        ERoomParametersAnswer result = ERoomParametersAnswer::Again;
        AnswerModal<CPropertyDialog1>([](CPropertyDialog1* d) {
            QVERIFY(Button(d, QDialogButtonBox::Cancel));
            // Same as room: the plane follows the room, only its height is typed.
            QVERIFY(!Edit(d, "planeA")->isEnabled());
            QVERIFY(Edit(d, "planeE")->isEnabled());
            QTest::mouseClick(d->findChild<QCheckBox*>("sameAsRoom"), Qt::LeftButton);
            QVERIFY(Edit(d, "planeC")->isEnabled());

            d->findChild<QComboBox*>("orientation")->setCurrentIndex(1);
            QCOMPARE(LabelOf(d, "planeE"), QString("Length(X) from YZ Plane :"));
            d->findChild<QComboBox*>("orientation")->setCurrentIndex(0);

            d->findChild<QComboBox*>("unit")->setCurrentIndex(1);
            QCOMPARE(Edit(d, "roomLength")->text(), QString("32.81"));
            QCOMPARE(Edit(d, "colorMaximum")->text(), QString("100"));
            QCOMPARE(d->findChild<QLineEdit*>("roomHeight")->text(), QString("9.843"));
            d->findChild<QComboBox*>("unit")->setCurrentIndex(0);
            QCOMPARE(Edit(d, "roomLength")->text(), QString("10"));

            Type(d, "gridPitchY", "0");
            Type(d, "gridPitchX", "0"); // any number is allowed here
            Press(d, QDialogButtonBox::Ok);
            QVERIFY(d->isVisible());
            QCOMPARE(d->Message(),
                     QString("Grid Pitch(Y): enter a number between 0.001 and 10000."));
            Type(d, "gridPitchY", "0.5");
            Edit(d, "projectName")->setText(QString::fromUtf8("Aula M\xc3\xbcnster"));
            QTest::mouseClick(d->findChild<QRadioButton*>("fullSpace"), Qt::LeftButton);
            Press(d, QDialogButtonBox::Ok);
        });
        result = port.RunRoomParameters(form);
        QVERIFY(result == ERoomParametersAnswer::Ok);
        QCOMPARE(form.Result().gridPitchY, 0.5);
        QCOMPARE(form.Result().gridPitchX, 0.0);
        QCOMPARE(form.Result().ceilingType, 0);
        QCOMPARE(form.Result().planeSameAsRoom, 0);
        QCOMPARE(form.Result().projectName, std::string("Aula M\xc3\xbcnster"));
    }

    void aNewProjectsRoomParametersHaveNoCancelAndHideZeroPositions() {
        CRoomParametersForm form(Room(), 0, false);
        CQtDialogPort port(nullptr);
        AnswerModal<CPropertyDialog1>([](CPropertyDialog1* d) {
            QVERIFY(!Button(d, QDialogButtonBox::Cancel));
            QVERIFY(Edit(d, "roomZeroX")->isHidden());
            QVERIFY(Edit(d, "planeB")->isHidden());
            QVERIFY(!Edit(d, "roomLength")->isHidden());
            d->close(); // the window's close control is Cancel
        });
        QVERIFY(port.RunRoomParameters(form) == ERoomParametersAnswer::Cancel);
    }

    void autoInstallationRefillsFrequenciesAndRefusesAngles() {
        CAutoInstallationValues values;
        values.height = 3;
        CAutoInstallationForm form(values, 12, 0, 2);
        CQtDialogPort port(nullptr);
        AnswerModal<CAutoInstallationDialog1>([&form](CAutoInstallationDialog1* d) {
            auto* band = d->findChild<QComboBox*>("band");
            auto* frequency = d->findChild<QComboBox*>("frequency");
            QCOMPARE(band->count(), static_cast<int>(form.BandCombo().items.size()));
            QCOMPARE(band->itemText(0), QString("1/12 Oct. Band"));
            band->setCurrentIndex(0);
            QCOMPARE(frequency->count(), static_cast<int>(form.FrequencyCombo().items.size()));
            QCOMPARE(frequency->currentText(),
                     ToQString(form.FrequencyCombo().items[form.FrequencyCombo().selection]));
            QCOMPARE(d->findChild<QLabel*>("bandEdges")->text(), ToQString(form.BandEdgeText()));
            d->findChild<QComboBox*>("shape")->setCurrentIndex(1);
            Type(d, "azimuth", "200");
            Press(d, QDialogButtonBox::Ok);
            QCOMPARE(d->Message(), QString("Azimuth(Left+): enter a number between -180 and 180."));
            Type(d, "azimuth", "15");
            Press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(port.RunAutoInstallation(form));
        QCOMPARE(form.Result().band, 12.0);
        QCOMPARE(form.Result().shape, 1);
        QCOMPARE(form.Result().angles.azimuth, 15.0);
    }

    void autoInstallationWithoutAdvancedModeShowsOnlyThePattern() {
        CAutoInstallationForm form({}, 12, 0, 0);
        CQtDialogPort port(nullptr);
        AnswerModal<CAutoInstallationDialog1>([](CAutoInstallationDialog1* d) {
            QVERIFY(Edit(d, "azimuth")->isHidden());
            QVERIFY(Edit(d, "height")->isHidden());
            QVERIFY(d->findChild<QComboBox*>("band")->isHidden());
            QVERIFY(!d->findChild<QComboBox*>("pattern")->isHidden());
            Press(d, QDialogButtonBox::Cancel);
        });
        QVERIFY(!port.RunAutoInstallation(form));
    }

    void vd1ExportRefusesADistanceOfZero() {
        CVd1ExportForm form;
        CQtDialogPort port(nullptr);
        AnswerModal<CVd1ExportDialog1>([](CVd1ExportDialog1* d) {
            QCOMPARE(d->windowTitle(), QString("Export vd1"));
            Type(d, "micDistance", "0");
            Press(d, QDialogButtonBox::Ok);
            QCOMPARE(d->Message(),
                     ToQString(FieldMessage(Strings::kVd1DistanceLabel,
                                            "Enter a number between 0.0001 and 9999999.")));
            Type(d, "micDistance", "5");
            Type(d, "angle", "90");
            Press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(port.RunVd1Export(form));
        QCOMPARE(form.Angle(), 90.0);
        QCOMPARE(form.MicDistance(), 5.0);
    }

    void preferencesAndInitialSettingsReturnTheirChoices() {
        CPreferencesForm preferences(0, 1);
        CQtDialogPort port(nullptr);
        AnswerModal<CPreferenceDialog1>([](CPreferenceDialog1* d) {
            QVERIFY(d->findChild<QCheckBox*>("manualRecalculation")->isChecked());
            QTest::mouseClick(d->findChild<QCheckBox*>("advancedMode"), Qt::LeftButton);
            QTest::mouseClick(d->findChild<QCheckBox*>("manualRecalculation"), Qt::LeftButton);
            Press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(port.RunPreferences(preferences));
        QCOMPARE(preferences.AdvancedMode(), 2);
        QCOMPARE(preferences.ManualRecalc(), 0);

        CInitialSettingsForm first(0, true);
        AnswerModal<CInitialSettingsDialog1>([](CInitialSettingsDialog1* d) {
            QVERIFY(Button(d, QDialogButtonBox::Cancel));
            d->findChild<QComboBox*>("unit")->setCurrentIndex(1);
            Press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(port.RunInitialSettings(first));
        QCOMPARE(first.Unit(), 1);

        CInitialSettingsForm again(1, false);
        AnswerModal<CInitialSettingsDialog1>([](CInitialSettingsDialog1* d) {
            QVERIFY(!Button(d, QDialogButtonBox::Cancel));
            QCOMPARE(d->findChild<QComboBox*>("unit")->currentText(), QString("Imperial"));
            Press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(port.RunInitialSettings(again));
    }

    // Room > Surfaces and Air: a library material fills its face, the room's figures follow what
    // is typed, a bad entry keeps the dialog open naming the field, OK changes the project.
    void surfacesAndAirFollowsTheTypingAndChangesTheRoom() {
        CDocFixture f;
        f.AddModel(OmniSpeaker());
        CInstallationContainer& room = Build(f.doc).Room();
        room.roomLength = 10, room.roomWidth = 5, room.roomHeight = 4;
        CQtDialogPort port(nullptr);
        f.doc.Ports().dialogs = &port;
        bool answered = false;
        AnswerModal<CSurfacesAndAirDialog1>([&](CSurfacesAndAirDialog1* d) {
            auto* summary = d->findChild<QLabel*>("roomSummary");
            QCOMPARE(summary->text(), QString("Volume 200 m3, Surface 220 m2"));
            for (int face = 0; face < 6; ++face)
                for (int k = 0; k < 7; ++k)
                    Type(d, qPrintable(QString("alpha%1_%2").arg(face).arg(k)), "0.25");
            QCOMPARE(d->findChild<QLabel*>("result0_3")->text(), QString("0.25"));
            // Sabine at 125 Hz: 0.1606 x 200 / (55 m2 + 4 m V of the air) = 0.583 s.
            QCOMPARE(d->findChild<QLabel*>("result1_0")->text(), QString("0.583"));
            Type(d, "alpha2_3", "0.9");
            QVERIFY(d->findChild<QLabel*>("result0_3")->text() != QString("0.25"));
            Type(d, "humidity", "120");
            Press(d, QDialogButtonBox::Ok);
            QVERIFY(d->isVisible());
            QCOMPARE(d->Message(), QString("Relative humidity: Enter a number between 0 and 100."));
            QCOMPARE(summary->text(), QString("Relative humidity: Enter a number between 0 and 100."));
            Type(d, "humidity", "40");
            d->findChild<QComboBox*>("formula")->setCurrentIndex(1);
            Press(d, QDialogButtonBox::Ok);
            answered = true;
        });
        QVERIFY(f.doc.OnCommand(kCmdSurfacesAndAir));
        QVERIFY(answered);
        const CRoomAcoustics& a = f.doc.Settings().roomAcoustics;
        QCOMPARE(a.faces[2].alpha[3], 0.9);
        QCOMPARE(a.faces[5].alpha[6], 0.25);
        QCOMPARE(a.humidity, 40.0);
        QCOMPARE(a.formula, EReverbFormula::Sabine);
        QVERIFY(f.doc.CanUndo());
    }

    void theMessageDialogAsksOkOrCancel() {
        AnswerModal<CMessageDialog1>([](CMessageDialog1* d) {
            QCOMPARE(d->windowTitle(), QString("Message from Daxara"));
            QCOMPARE(d->Text(), QString("Are you sure you want to remove this speaker?"));
            Press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(CMessageDialog1::Ask(nullptr, "Are you sure you want to remove this speaker?"));
        AnswerModal<CMessageDialog1>(
            [](CMessageDialog1* d) { Press(d, QDialogButtonBox::Cancel); });
        QVERIFY(!CMessageDialog1::Ask(nullptr, "Remove?"));
    }

    void theSpeakerFileChooserOffersSpeakerData() {
        CGuiTestDir dir;
        const QString path = dir.FilePath("horn.vsa");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Version 1.0.0\n");
        file.close();
        AnswerModal<QFileDialog>([path](QFileDialog* d) {
            QCOMPARE(d->nameFilters(), QStringList{"VSA Files (*.vsa)"});
            d->selectFile(path);
            static_cast<QDialog*>(d)->accept();
        });
        const std::optional<std::string> chosen = ChooseSpeakerDataFile(nullptr);
        QVERIFY(chosen.has_value());
        QCOMPARE(FromCorePath(*chosen), path);

        AnswerModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
        QVERIFY(!ChooseSpeakerDataFile(nullptr).has_value());
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"

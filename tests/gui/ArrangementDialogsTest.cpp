#include "ArrangementTestSupport.h"
#include "project/forms/InstallationForm.h"
#include "common/Errors.h"
#include "dialogs/ArrangementCabinetDialog.h"
#include "dialogs/ArrangementPreviewWidget.h"
#include "dialogs/ArrangementQL9Dialog.h"
#include "dialogs/ArrangementTypeKDialog.h"
#include "dialogs/ArrangementTypeWDialog.h"
#include "project/arrangement/ArrangementStrings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

namespace {
int ElementTotal(const CDAXDoc& doc) {
    return static_cast<int>(doc.CurrentModel()->Elements().size());
}

// The same arrangement made twice, once through the dialog's widgets and once on the core's
// form; both documents must then save the same bytes, and differ from the start.
template <class Dialog>
void CompareWithForm(const CVsaGenOptions& model, std::function<void(Dialog&)> widgets,
                     CFormScript& forms) {
    CArrangedDoc byWidgets(model);
    CArrangedDoc byForms(model, &forms);
    const std::vector<std::uint8_t> before = byWidgets.Bytes();
    QCOMPARE(byForms.Bytes(), before);

    const int totalBefore = ElementTotal(byWidgets.Doc());
    const double powerBefore = byWidgets.Doc().Room().At(0)->power;

    CModalPlayer user;
    user.Expect<Dialog>([&](Dialog& dialog) {
        widgets(dialog);
        PressOk(dialog);
    });
    QVERIFY(byWidgets.Arrange());
    QVERIFY(user.played);
    QVERIFY(byForms.Arrange());

    QVERIFY(byWidgets.Bytes() != before);
    QCOMPARE(byWidgets.Bytes(), byForms.Bytes());
    QVERIFY(byWidgets.Doc().IsModified());
    // The low-impedance installation shares its power among the new element count, as far as
    // each of its boxes may carry on its tap.
    const int totalAfter = ElementTotal(byWidgets.Doc());
    QVERIFY(totalAfter != totalBefore);
    const CInstallationElement& arranged = *byWidgets.Doc().Room().At(0);
    const double most =
        TapPowerOf(byWidgets.Doc().Models().At(arranged.modelIndex), arranged.tapIndex).Maximum();
    QCOMPARE(arranged.power, std::min(powerBefore * totalAfter / totalBefore, most));
    // Acoustics, installations, speakers, response and taps all hear of the new array.
    for (int hint : {1, 2, 3, 4, 5})
        QVERIFY2(std::count(byWidgets.Hints().begin(), byWidgets.Hints().end(), hint) == 1,
                 qPrintable(QString::number(hint)));
}

// Changes something in the dialog, then cancels: nothing of the document may change.
template <class Dialog>
void CancelKeepsTheDocument(const CVsaGenOptions& model, std::function<void(Dialog&)> widgets) {
    CArrangedDoc doc(model);
    const std::vector<std::uint8_t> before = doc.Bytes();
    CModalPlayer user;
    bool changed = false;
    user.Expect<Dialog>([&](Dialog& dialog) {
        widgets(dialog);
        changed = true;
        PressCancel(dialog);
    });
    QVERIFY(doc.Arrange());
    QVERIFY(user.played && changed);
    QCOMPARE(doc.Bytes(), before);
    QVERIFY(!doc.Doc().IsModified());
    QVERIFY(doc.Hints().empty());
}

// The vertical centre of a widget in dialog coordinates.
int MiddleY(QWidget* w, QWidget* dialog) {
    return w->mapTo(dialog, QPoint(0, w->height() / 2)).y();
}
} // namespace

class ArrangementDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void ql9WidgetsGiveWhatTheFormGives() {
        CFormScript forms;
        forms.ql9 = [](CQL9ArrangementForm& f) {
            f.SelectCount(2);       // 12 modules
            f.SelectJunction(5, 0); // "60deg-mode" below the centre
        };
        CompareWithForm<CQL9ModuleArrangementDialog1>(
            QL9ArrayOptions(),
            [](CQL9ModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "QL-9 x 3"));
                QVERIFY(Pick(ComboOf(d, "junction5"), "60deg-mode"));
            },
            forms);
    }

    void kvw5WidgetsGiveWhatTheFormGives() {
        CFormScript forms;
        forms.typeW = [](CTypeWArrangementForm& f) {
            f.SelectCount(2);
            f.SetBottomOption(false);
        };
        CompareWithForm<CTypeWModuleArrangementDialog1>(
            KVW5ArrayOptions(),
            [](CTypeWModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "KV-W5 x 3"));
                auto* bottom = d.findChild<QCheckBox*>("bottom");
                QVERIFY(bottom && bottom->isChecked());
                QTest::mouseClick(bottom, Qt::LeftButton);
                QVERIFY(!bottom->isChecked());
            },
            forms);
    }

    void kvp10WidgetsGiveWhatTheFormGives() {
        CFormScript forms;
        forms.typeP = [](CTypePArrangementForm& f) {
            f.SelectCount(2);
            f.SelectCabinet(1, 1);
            f.SelectJunction(0, 2);
        };
        CompareWithForm<CTypePModuleArrangementDialog1>(
            KVP10ArrayOptions(),
            [](CTypePModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "KV-P10 x 3"));
                QVERIFY(Pick(ComboOf(d, "cabinet1"), "KV-P10S"));
                QVERIFY(
                    Pick(ComboOf(d, "junction0"), "7deg")); // the third entry between an L and an S
                // Cabinets beyond the count stay out of reach.
                QVERIFY(!ComboOf(d, "cabinet3")->isEnabled());
                QVERIFY(!ComboOf(d, "junction2")->isEnabled());
            },
            forms);
    }

    void kvr6WidgetsGiveWhatTheFormGives() {
        CFormScript forms;
        forms.typeR = [](CTypeRArrangementForm& f) {
            f.SelectCount(3);
            f.SelectCabinet(2, 1);
            f.SelectJunction(2, 0);
        };
        CompareWithForm<CTypeRModuleArrangementDialog1>(
            KVR6ArrayOptions(),
            [](CTypeRModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "KV-R6 x 4"));
                QVERIFY(Pick(ComboOf(d, "cabinet2"), "KV-P10S"));
                QVERIFY(Pick(ComboOf(d, "junction2"), "5deg")); // an S over an L at its straightest
            },
            forms);
    }

    void kvkWidgetsGiveWhatTheFormGives() {
        CFormScript forms;
        forms.typeK = [](CTypeKArrangementForm& f) {
            f.SelectCount(1);
            f.SelectFirstCabinet(1);
        };
        CompareWithForm<CTypeKModuleArrangementDialog>(
            KVKArrayOptions(),
            [](CTypeKModuleArrangementDialog& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "KV-K x 2"));
                // Two cabinets: the S types go, the second cabinet can be used.
                QCOMPARE(Entries(ComboOf(d, "cabinet0")), QStringList({"KV-K2L", "KV-K3L"}));
                QVERIFY(ComboOf(d, "cabinet1")->isEnabled());
                QVERIFY(Pick(ComboOf(d, "cabinet0"), "KV-K3L"));
            },
            forms);
    }

    void cancelChangesNothing() {
        CancelKeepsTheDocument<CQL9ModuleArrangementDialog1>(
            QL9ArrayOptions(), [](CQL9ModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "QL-9 x 4"));
                QVERIFY(Pick(ComboOf(d, "junction0"), "15deg-mode"));
            });
        CancelKeepsTheDocument<CTypeWModuleArrangementDialog1>(
            KVW5ArrayOptions(), [](CTypeWModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "KV-W5 x 2"));
            });
        CancelKeepsTheDocument<CTypePModuleArrangementDialog1>(
            KVP10ArrayOptions(), [](CTypePModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "KV-P10 x 8"));
                QVERIFY(Pick(ComboOf(d, "cabinet0"), "KV-P10S"));
            });
        CancelKeepsTheDocument<CTypeRModuleArrangementDialog1>(
            KVR6ArrayOptions(), [](CTypeRModuleArrangementDialog1& d) {
                QVERIFY(Pick(ComboOf(d, "count"), "KV-R6 x 12"));
            });
        CancelKeepsTheDocument<CTypeKModuleArrangementDialog>(
            KVKArrayOptions(), [](CTypeKModuleArrangementDialog& d) {
                QVERIFY(Pick(ComboOf(d, "cabinet0"), "KV-K3S"));
            });
    }

    void extraQL9ModesOnlyForTheSpecialUserLevel() {
        const QStringList standard{"60deg-mode", "45deg-mode", "30deg-mode", "15deg-mode"};
        for (int level : {0, 2, 1}) {
            CArrangedDoc doc(QL9ArrayOptions());
            doc.fixture.settings.values["SPECIALUSERLEVEL/SpecialUserLevel"] = level;
            QStringList seen;
            int centre = -2;
            CModalPlayer user;
            user.Expect<CQL9ModuleArrangementDialog1>([&](CQL9ModuleArrangementDialog1& d) {
                seen = Entries(ComboOf(d, "junction0"));
                centre = ComboOf(d, "junction3")->currentIndex();
                PressCancel(d);
            });
            doc.Arrange();
            QVERIFY(user.played);
            QStringList expected = standard;
            if (level == 1)
                expected << "10deg-mode(*)"
                         << "5deg-mode(*)"
                         << "0deg-mode(*)";
            QCOMPARE(seen, expected);
            // The stored centre splays match "0deg-mode(*)": offered only at level 1.
            QCOMPARE(centre, level == 1 ? 6 : -1);
        }
    }

    void ql9GroupsFollowTheCountAndJunctionsSitBetweenTheirModules() {
        CQL9ArrangementForm form(VectorsOf(QL9ArrayOptions()), false);
        CQL9ModuleArrangementDialog1 dialog(form);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QString("Properties for QL-9"));
        auto shown = [&](const QString& prefix, int count) {
            int n = 0;
            for (int i = 0; i < count; ++i)
                if (auto* w = dialog.findChild<QWidget*>(prefix + QString::number(i)))
                    n += w->isVisible() ? 1 : 0;
            return n;
        };
        QCOMPARE(shown("module", 16), 8);
        QCOMPARE(shown("box", 4), 2);
        QCOMPARE(shown("joint", 3), 1);
        QCOMPARE(shown("junction", 15), 7);
        // The example's splays lie below every standard mode: the boxes show the stored angle.
        for (int k = 0; k < 7; ++k) {
            auto* junction =
                qobject_cast<QComboBox*>(ComboOf(dialog, QString("junction%1").arg(k)));
            QVERIFY(junction);
            QCOMPARE(junction->currentIndex(), -1);
            QCOMPARE(junction->placeholderText(),
                     QString::fromStdString(form.JunctionCombo(k).placeholder));
            QVERIFY(junction->placeholderText().endsWith("deg (custom)"));
        }
        QVERIFY(Pick(ComboOf(dialog, "count"), "QL-9 x 4"));
        QCOMPARE(shown("module", 16), 16);
        QCOMPARE(shown("box", 4), 4);
        QCOMPARE(shown("joint", 3), 3);
        QCOMPARE(shown("junction", 15), 15);
        QCOMPARE(form.Counts(), (CModuleCounts{0, 8, 8}));

        // Each junction lies between the two modules it joins, in the second column.
        QWidget* count = ComboOf(dialog, "count");
        for (int k = 0; k < 15; ++k) {
            QWidget* above = dialog.findChild<QWidget*>(QString("module%1").arg(k));
            QWidget* below = dialog.findChild<QWidget*>(QString("module%1").arg(k + 1));
            QWidget* junction = ComboOf(dialog, QString("junction%1").arg(k));
            const int y = MiddleY(junction, &dialog);
            QVERIFY2(y > MiddleY(above, &dialog) && y < MiddleY(below, &dialog),
                     qPrintable(QString::number(k)));
            QVERIFY(junction->mapTo(&dialog, QPoint()).x() > above->mapTo(&dialog, QPoint()).x());
            QVERIFY(MiddleY(count, &dialog) < MiddleY(above, &dialog));
        }
        // The count combo at the top left, the preview to the right of the controls.
        QVERIFY(dialog.Preview()->mapTo(&dialog, QPoint()).x() >
                ComboOf(dialog, "junction0")->mapTo(&dialog, QPoint()).x());

        QVERIFY(Pick(ComboOf(dialog, "count"), "QL-9 x 1"));
        QCOMPARE(shown("module", 16), 4);
        QCOMPARE(shown("joint", 3), 0);
        QCOMPARE(shown("junction", 15), 3);
    }

    void startingEnableStates() {
        // The combos a user can reach when each dialog opens, by name.
        auto reachable = [](QDialog& d) {
            QStringList names;
            for (QComboBox* c : d.findChildren<QComboBox*>())
                if (c->isEnabled())
                    names << c->objectName();
            names.sort();
            return names;
        };
        CTypePArrangementForm p(CabinetsOf(KVP10ArrayOptions()));
        CTypePModuleArrangementDialog1 pDialog(p);
        QCOMPARE(pDialog.findChildren<QComboBox*>().size(), 1 + 8 + 7);
        QCOMPARE(reachable(pDialog), QStringList({"cabinet0", "count"}));
        CTypeRArrangementForm r(CabinetsOf(KVR6ArrayOptions()));
        CTypeRModuleArrangementDialog1 rDialog(r);
        QCOMPARE(rDialog.findChildren<QComboBox*>().size(), 1 + 12 + 11);
        QCOMPARE(reachable(rDialog), QStringList({"cabinet0", "count"}));
        CTypeKArrangementForm k(CabinetsOf(KVKArrayOptions()));
        CTypeKModuleArrangementDialog kDialog(k);
        QCOMPARE(reachable(kDialog), QStringList({"cabinet0", "count"}));
    }

    void kvw5sTickedWhenTheLastSplayIsNotZero() {
        CVectorArrangement a = VectorsOf(KVW5ArrayOptions());
        QVERIFY(a.vectors.back().splay != 0.0);
        {
            CTypeWArrangementForm form(a);
            CTypeWModuleArrangementDialog1 dialog(form);
            QVERIFY(dialog.findChild<QCheckBox*>("bottom")->isChecked());
            QCOMPARE(ComboOf(dialog, "count")->currentText(), QString("KV-W5 x 1"));
        }
        a.vectors.back().splay = 0.0;
        CTypeWArrangementForm form(a);
        CTypeWModuleArrangementDialog1 dialog(form);
        QVERIFY(!dialog.findChild<QCheckBox*>("bottom")->isChecked());
    }

    void aTypedKVW5CountMustBeOffered() {
        CArrangedDoc doc(KVW5ArrayOptions());
        const std::vector<std::uint8_t> before = doc.Bytes();
        CModalPlayer user, notice;
        QString told;
        bool stayedOpen = false;
        user.Expect<CTypeWModuleArrangementDialog1>([&](CTypeWModuleArrangementDialog1& d) {
            QComboBox* count = ComboOf(d, "count");
            QVERIFY(count->isEditable());
            notice.Expect<QMessageBox>([&](QMessageBox& box) {
                told = box.text();
                box.accept();
            });
            // Typed and confirmed with Enter, which presses OK.
            count->setFocus();
            count->lineEdit()->selectAll();
            QTest::keyClicks(count->lineEdit(), "KV-W5 x 7");
            QTest::keyClick(count->lineEdit(), Qt::Key_Return);
            stayedOpen = d.isVisible() && d.result() != QDialog::Accepted;
            // A typed entry that is offered is taken.
            count->lineEdit()->setText("kv-w5 x 2");
            PressOk(d);
        });
        QVERIFY(doc.Arrange());
        QVERIFY(user.played && notice.played);
        QVERIFY(stayedOpen);
        QCOMPARE(told, QString::fromStdString(ArrangementStrings::CountNotOffered("KV-W5 x 7")));
        QVERIFY(doc.Bytes() != before);
        QCOMPARE(doc.Doc().CurrentModel()->Settings().lower, 16);
    }

    void aSortedComboStillTellsTheFormsIndex() {
        QWidget host;
        CArrangementCombo combo(true, &host);
        CComboState state;
        state.items = {"b", "C", "a"};
        state.selection = 0;
        combo.Show(state);
        QCOMPARE(Entries(&combo), QStringList({"a", "b", "C"}));
        QCOMPARE(combo.currentText(), QString("b"));
        QList<int> chosen;
        connect(&combo, &CArrangementCombo::Chosen, [&](int index) { chosen << index; });
        QVERIFY(Pick(&combo, "a"));
        QVERIFY(Pick(&combo, "C"));
        QCOMPARE(chosen, QList<int>({2, 1}));
        // Showing the form's state again says nothing to the form.
        state.selection = -1;
        state.enabled = false;
        combo.Show(state);
        QCOMPARE(combo.currentIndex(), -1);
        QVERIFY(!combo.isEnabled());
        QCOMPARE(chosen.size(), 2);
    }

    void aShortModuleTableOpensWithWhatItHolds() {
        // Only the L cabinet in the table: the dialog offers it alone, says why, and works.
        CQtArrangementPort port(nullptr);
        CCabinetArrangement a;
        a.counts = {0, 0, 2};
        a.cabinets = {{0, 0.0}, {1, 8.0}};
        a.modules = {{"KV-P10L", {0.1, 0.45, 0.0}, 1.0}};
        QString notice;
        QStringList offered;
        CModalPlayer user;
        user.Expect<CTypePModuleArrangementDialog1>([&](CTypePModuleArrangementDialog1& d) {
            if (auto* label = d.findChild<QLabel*>("notice"); label && label->isVisible())
                notice = label->text();
            offered = Entries(ComboOf(d, "cabinet1"));
            QVERIFY(Pick(ComboOf(d, "count"), "KV-P10 x 3"));
            PressOk(d);
        });
        QVERIFY(port.ArrangeTypeP(a));
        QVERIFY(user.played);
        QCOMPARE(notice,
                 QString::fromStdString(ArrangementStrings::MissingCabinetTypes("KV-P10S")));
        QCOMPARE(offered, QStringList({"KV-P10L "}));
        QCOMPARE(a.counts, (CModuleCounts{0, 0, 3}));
        QCOMPARE(a.cabinets.size(), 3u);
        for (const CTypePandRParam& c : a.cabinets)
            QCOMPARE(c.type, 0);

        // With no cabinet type at all there is nothing to show; the command reports the reason.
        CCabinetArrangement empty;
        empty.counts = {0, 0, 9};
        empty.cabinets.resize(9);
        try {
            port.ArrangeTypeK(empty);
            QFAIL("an empty module table opened");
        } catch (const CInvalidArgument& e) {
            QVERIFY(QString(e.what()).contains("no cabinet type"));
        }
    }

    void thePreviewGrowsWithTheFont() {
        CQL9ArrangementForm form(VectorsOf(QL9ArrayOptions()), false);
        CQL9ModuleArrangementDialog1 dialog(form);
        const QSize small = dialog.Preview()->minimumSizeHint();
        QFont big = dialog.font();
        big.setPointSizeF(big.pointSizeF() * 2);
        dialog.setFont(big);
        const QSize large = dialog.Preview()->minimumSizeHint();
        QVERIFY(large.width() > small.width() * 3 / 2);
        QVERIFY(large.height() > small.height() * 3 / 2);
        // Taller than wide, as the dialog was first drawn.
        QVERIFY(small.height() > small.width());
    }
};

QTEST_MAIN(ArrangementDialogsTest)
#include "ArrangementDialogsTest.moc"

#include "GuiTestSupport.h"
#include "ModalDriver.h"
#include "app/DAXApp.h"
#include "app/DAXMainFrame.h"
#include "app/Guard.h"
#include "app/LockKeys.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include <new>
#include <stdexcept>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

} // namespace

class AppStartTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_store.Path()); // recent files stay out of the user's store
    }

    void firstStartAsksForTheUnitAndTheNextStartDoesNot() {
        CGuiTestDir dir;
        const QString ini = dir.FilePath("VEL_DAX.ini");
        {
            CModalDriver driver;
            driver.Then(CModalDriver::SelectAndOk(1)); // Imperial
            CDAXApp app(ini);
            QVERIFY(app.InitInstance());
            QCOMPARE(driver.Pending(), 0);
            QVERIFY(app.MainFrame()->isVisible());
            QCOMPARE(app.LengthUnit(), 1);
        }
        const QString written = ReadText(ini);
        QVERIFY2(written.contains("[LENGTH_UNIT]\nLengthUnit=1\n"), qPrintable(written));
        QVERIFY2(written.contains("[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n"), qPrintable(written));
        QVERIFY(written.indexOf("LENGTH_UNIT") < written.indexOf("IS_APP_FIRST_TIME"));

        CModalDriver quiet;
        CDAXApp again(ini);
        QVERIFY(again.InitInstance());
        QTest::qWait(60);
        QCOMPARE(quiet.Seen(), QStringList());
        QCOMPARE(again.LengthUnit(), 1);
        QCOMPARE(ReadText(ini), written);
    }

    void cancellingTheFirstStartEndsWithoutWriting() {
        CGuiTestDir dir;
        const QString ini = dir.FilePath("VEL_DAX.ini");
        CModalDriver driver;
        driver.Then(CModalDriver::Cancel());
        CDAXApp app(ini);
        QVERIFY(!app.InitInstance());
        QCOMPARE(driver.Seen().size(), 1);
        QVERIFY(!app.MainFrame());
        QVERIFY(!QFile::exists(ini));
    }

    void anExistingSettingsFileIsReadAndLeftAlone() {
        CGuiTestDir dir;
        const QString ini = dir.FilePath("VEL_DAX.ini");
        const QString text =
            "[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n[LENGTH_UNIT]\nLengthUnit=1\n"
            "[DEVELOPER_ID]\nDeveloperID=1\n[SPECIALUSERLEVEL]\nSpecialUserLevel=1\n";
        WriteText(ini, text);
        CModalDriver quiet;
        CDAXApp app(ini);
        QVERIFY(app.InitInstance());
        QTest::qWait(60);
        QCOMPARE(quiet.Seen(), QStringList());
        QCOMPARE(app.LengthUnit(), 1);
        QCOMPARE(app.DeveloperId(), 1);
        QCOMPARE(app.SpecialUserLevel(), 1);
        QCOMPARE(CDAXApp::Instance(), &app);
        QCOMPARE(ReadText(ini), text);
        QCOMPARE(app.MainFrame()->windowTitle(), QString("VEL Daxara"));
        QCOMPARE(app.MainFrame()->statusBar()->currentMessage(), QString("Ready"));
    }

    void theAboutBoxNamesTheSettingsFile() {
        CGuiTestDir dir;
        const QString ini = dir.FilePath("VEL_DAX.ini");
        WriteText(ini, "[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n");
        CDAXApp app(ini);
        QVERIFY(app.InitInstance());
        QString informative;
        CModalDriver driver;
        driver.Then([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                informative = box->informativeText();
            CModalDriver::Ok()(modal);
        });
        app.MainFrame()->Action(kCmdAbout)->trigger();
        QVERIFY2(informative.contains(ini), qPrintable(informative));
    }

    void lockIndicatorsFollowTheKeyboardLights() {
        CGuiTestDir leds;
        const auto light = [&](const QString& name, const char* brightness) {
            QVERIFY(QDir(leds.Path()).mkpath(name));
            WriteText(leds.FilePath(name + "/brightness"), brightness);
        };
        light("input3::capslock", "1\n");
        light("input9::numlock", "0\n"); // read after the lit one below
        light("input1::numlock", "1\n"); // another keyboard has Num Lock lit
        light("input3::scrolllock", "0\n");
        light("phy0-led", "1\n");
        const CLockKeys keys = ReadLockKeys(leds.Path());
        QVERIFY(keys.caps);
        QVERIFY(keys.num);
        QVERIFY(!keys.scroll);
        const CLockKeys none = ReadLockKeys(leds.FilePath("missing"));
        QVERIFY(!none.caps && !none.num && !none.scroll);
    }

    void aThrowingStepIsReportedAndStopsThere() {
        CModalDriver driver;
        driver.Then(CModalDriver::Ok());
        driver.Then(CModalDriver::Ok());
        QVERIFY(!RunGuarded(nullptr, [] { throw std::runtime_error("the disk is full"); }));
        QVERIFY(!RunGuarded(nullptr, [] { throw std::bad_alloc(); }));
        bool ran = false;
        QVERIFY(RunGuarded(nullptr, [&] { ran = true; }));
        QVERIFY(ran);
        QCOMPARE(driver.Seen().size(), 2);
        QVERIFY2(driver.Seen()[0].endsWith("the disk is full."), qPrintable(driver.Seen()[0]));
        QVERIFY2(driver.Seen()[1].contains("not enough memory"), qPrintable(driver.Seen()[1]));
    }

private:
    CGuiTestDir m_store;
};

QTEST_MAIN(AppStartTest)
#include "AppStartTest.moc"

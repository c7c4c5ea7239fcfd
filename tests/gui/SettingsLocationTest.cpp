#include "app/SettingsLocation.h"
#include "GuiTestSupport.h"
#include "paint/GuiText.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class SettingsLocationTest : public QObject {
    Q_OBJECT
private slots:
    void besideTheProgramWhenWritable() {
        CGuiTestDir exe, user;
        QCOMPARE(ChooseSettingsPath(exe.Path(), user.Path(), [](const QString&) { return true; }),
                 exe.FilePath("VEL_DAX.ini"));
    }

    void userFolderWhenTheProgramFolderIsReadOnly() {
        CGuiTestDir exe, user;
        const QString config = user.FilePath("nested/daxara");
        const auto onlyUser = [&](const QString& path) { return !path.startsWith(exe.Path()); };
        QCOMPARE(ChooseSettingsPath(exe.Path(), config, onlyUser), config + "/VEL_DAX.ini");
        QVERIFY(QFileInfo(config).isDir());
    }

    void anExistingSettingsFileDecidesByItsOwnRights() {
        CGuiTestDir exe, user;
        QFile file(exe.FilePath("VEL_DAX.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        // The folder is writable but the file is not: the user folder takes over.
        const auto notTheFile = [&](const QString& path) { return path != file.fileName(); };
        QCOMPARE(ChooseSettingsPath(exe.Path(), user.Path(), notTheFile),
                 user.FilePath("VEL_DAX.ini"));
        // A writable file in a read-only folder stays in use.
        const auto onlyTheFile = [&](const QString& path) { return path == file.fileName(); };
        QCOMPARE(ChooseSettingsPath(exe.Path(), user.Path(), onlyTheFile), file.fileName());
    }

    void namesFromOldFilesShowAsLatin1() {
        QCOMPARE(ToQString("Caf\xc3\xa9"), QString::fromUtf8("Caf\xc3\xa9"));
        QCOMPARE(ToQString("Caf\xe9"), QString::fromLatin1("Caf\xe9"));
        QCOMPARE(ToCoreText(QString::fromUtf8("\xc3\xa9")), std::string("\xc3\xa9"));
    }
};

QTEST_MAIN(SettingsLocationTest)
#include "SettingsLocationTest.moc"

#include "app/SettingsLocation.h"
#include "GuiTestSupport.h"
#include "paint/GuiText.h"

#include <QFile>
#include <QTest>

#include <unistd.h>

class SettingsLocationTest : public QObject {
    Q_OBJECT
private slots:
    void besideTheProgramWhenWritable() {
        CGuiTestDir exe, user;
        QCOMPARE(ChooseSettingsPath(exe.Path(), user.Path()), exe.FilePath("VEL_DAX.ini"));
    }

    void userFolderWhenTheProgramFolderIsReadOnly() {
        if (geteuid() == 0)
            QSKIP("root may write anywhere");
        CGuiTestDir exe, user;
        QFile::setPermissions(exe.Path(), QFile::ReadOwner | QFile::ExeOwner);
        const QString config = user.FilePath("nested/daxara");
        QCOMPARE(ChooseSettingsPath(exe.Path(), config), config + "/VEL_DAX.ini");
        QVERIFY(QFileInfo(config).isDir());
        QFile::setPermissions(exe.Path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void aReadOnlySettingsFileMovesToTheUserFolder() {
        CGuiTestDir exe, user;
        QFile file(exe.FilePath("VEL_DAX.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        file.setPermissions(QFile::ReadOwner);
        if (QFileInfo(file.fileName()).isWritable())
            QSKIP("this user may write read-only files");
        QCOMPARE(ChooseSettingsPath(exe.Path(), user.Path()), user.FilePath("VEL_DAX.ini"));
    }

    void namesFromOldFilesShowAsLatin1() {
        QCOMPARE(ToQString("Caf\xc3\xa9"), QString::fromUtf8("Caf\xc3\xa9"));
        QCOMPARE(ToQString("Caf\xe9"), QString::fromLatin1("Caf\xe9"));
        QCOMPARE(ToCoreText(QString::fromUtf8("\xc3\xa9")), std::string("\xc3\xa9"));
    }
};

QTEST_MAIN(SettingsLocationTest)
#include "SettingsLocationTest.moc"

#include "GuiTestSupport.h"
#include "app/DAXMainFrame.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QTest>

namespace {

QString Source(const QString& relative) {
    return QDir(qEnvironmentVariable("DAXARA_SOURCE_DIR")).filePath(relative);
}

// The file types installed with the program, as the desktop's type database sees them. Set up
// before the first lookup, because the database reads its folders once.
QTemporaryDir& MimeFolder() {
    static QTemporaryDir folder;
    return folder;
}

} // namespace

class DesktopFilesTest : public QObject {
    Q_OBJECT
private slots:
    void projectFilesAreKnownByTagAndByExtension() {
        CGuiTestDir dir;
        const auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile file(dir.FilePath(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                qFatal("cannot write %s", qPrintable(file.fileName()));
            return file.fileName();
        };
        QMimeDatabase types;
        const QString tagged = write("renamed.bin", QByteArray("VELDAXDoc\0\0\0\2", 13));
        QCOMPARE(types.mimeTypeForFile(tagged, QMimeDatabase::MatchContent).name(),
                 QString("application/x-daxara-project"));
        const QString untagged = write("plain.bin", "VELDAX but not the tag");
        QVERIFY(types.mimeTypeForFile(untagged, QMimeDatabase::MatchContent).name() !=
                "application/x-daxara-project");
        const QString current = write("room.tdax", QByteArray("VELDAXDoc\0\0\0\2", 13));
        QCOMPARE(types.mimeTypeForFile(current).name(), QString("application/x-daxara-project"));
        const QString legacy = write("room.dax", "\x0dVersion 1.4.2");
        QCOMPARE(types.mimeTypeForFile(legacy).name(),
                 QString("application/x-daxara-legacy-project"));
        QVERIFY(IsProjectFileName(current) && IsProjectFileName("ROOM.DAX"));
        QVERIFY(!IsProjectFileName(tagged));
    }

    void theMenuEntryOpensBothProjectTypes() {
        // Desktop entries are key=value lines; ';' separates list items, it starts no comment.
        QFile file(Source("resources/daxara.desktop"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QHash<QString, QString> entry;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n'))
            if (const qsizetype equals = line.indexOf('='); equals > 0)
                entry.insert(line.left(equals), line.mid(equals + 1));
        QCOMPARE(entry.value("Type"), QString("Application"));
        QVERIFY(entry.value("Exec").startsWith("daxara "));
        QVERIFY(entry.value("Exec").contains("%F"));
        QCOMPARE(entry.value("Icon"), QString("daxara"));
        const QStringList types = entry.value("MimeType").split(';', Qt::SkipEmptyParts);
        QCOMPARE(types, (QStringList{"application/x-daxara-project",
                                     "application/x-daxara-legacy-project"}));
        QMimeDatabase database;
        for (const char* type :
             {"application/x-daxara-project", "application/x-daxara-legacy-project"})
            QVERIFY2(database.mimeTypeForName(type).isValid(), qPrintable(type));
    }
};

int main(int argc, char* argv[]) {
    const QString packages = MimeFolder().filePath("mime/packages");
    QDir().mkpath(packages);
    QFile::copy(Source("resources/daxara-mime.xml"), packages + "/daxara.xml");
    const QByteArray system = qEnvironmentVariableIsEmpty("XDG_DATA_DIRS")
                                  ? QByteArray("/usr/local/share:/usr/share")
                                  : qgetenv("XDG_DATA_DIRS");
    const QByteArray dirs = MimeFolder().path().toLocal8Bit() + ":" + system;
    qputenv("XDG_DATA_DIRS", dirs);
    QApplication application(argc, argv);
    DesktopFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopFilesTest.moc"

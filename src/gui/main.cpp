#include "app/AppIcons.h"
#include "app/DAXApp.h"
#include "app/SettingsLocation.h"
#include "acoustics/MaterialLibrary.h"
#include "paint/GuiText.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace {

// The last line of defence: an exception that escaped an event handler is reported and the
// event dropped, instead of unwinding through the event loop.
class CGuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            qCritical("Unhandled error in an event handler: %s", e.what());
        } catch (...) {
            qCritical("Unhandled error in an event handler");
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    CGuardedApplication application(argc, argv);
    QApplication::setApplicationName("Daxara");
    QApplication::setOrganizationName(kMakerName);
    QApplication::setApplicationVersion(DAXARA_VERSION);
    QApplication::setWindowIcon(ApplicationIcon());
    QApplication::setDesktopFileName("daxara");

    // The material library is installed beside the program's share folder.
    CMaterialLibrary::SetProgramDirectory(ToCoreText(QCoreApplication::applicationDirPath()));
    CDAXApp app(SettingsFilePath());
    // A file manager opens a project by naming it on the command line.
    QStringList files = QApplication::arguments().mid(1);
    files.removeIf([](const QString& arg) { return arg.startsWith('-'); });
    if (!app.InitInstance(files))
        return 0;
    return application.exec();
}

#include "GuiTestSupport.h"

#include <QDir>
#include <QTest>

CGuiTestDir::CGuiTestDir() {
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    m_dir =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + "/daxara-gui-" + function + "-XXXXXX");
}

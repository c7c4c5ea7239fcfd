// Writes the program's icon as PNG files in the hicolor theme layout, for installing:
//   daxara-make-icons <folder>  ->  <folder>/<n>x<n>/apps/daxara.png and the project file icon
#include "app/AppIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    // Painting needs no screen; the offscreen platform works on any build machine.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1x%1").arg(size);
        const QImage image = PaintApplicationImage(size);
        for (const QString& item :
             {QString("apps/daxara.png"), QString("mimetypes/application-x-daxara-project.png")}) {
            const QString path = root.filePath(folder + "/" + item);
            if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}

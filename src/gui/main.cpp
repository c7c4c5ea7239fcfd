#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Daxara");
    QMainWindow window;
    window.setWindowTitle("VEL Daxara");
    window.resize(800, 600);
    window.show();
    return app.exec();
}

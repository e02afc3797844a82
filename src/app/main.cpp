// Korvel: the program's start.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvel 2002");
    QMainWindow w;
    w.setWindowTitle("Korvel 2002");
    w.resize(675, 513);
    w.show();
    return QApplication::exec();
}

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quorvel"));
    window.resize(1540, 1120);
    window.show();
    return QApplication::exec();
}

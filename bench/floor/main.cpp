// The least a Qt Widgets program does before its window maps: the floor under any start-up
// figure of tintenwijzer on the same machine.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.setFixedSize(314, 248);
    window.show();
    return QApplication::exec();
}

// The least a Qt Widgets program with text does before its window maps: the floor under any
// start-up figure of tintenwijzer on the same machine. Text and fonts are most of that cost,
// so a bare window would set the floor too low.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.setFixedSize(314, 248);
    QLabel label(QStringLiteral("16777215"), &window);
    label.setGeometry(8, 168, 297, 33);
    QPushButton button(QStringLiteral("Kies kleur"), &window);
    button.setGeometry(184, 216, 57, 25);
    window.show();
    return QApplication::exec();
}

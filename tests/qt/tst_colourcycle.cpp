#include "modalanswer.h"
#include "qt/kleurtjeswindow.h"

#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

// The window with Qt's real colour dialog, driven the way a user would through its HTML field.
// The X tests can see the swatch but not read the number; this one reads both.
class TestColourCycle : public QObject
{
    Q_OBJECT

private slots:
    void numberMatchesTheSwatchEveryCycle();

private:
    static QLineEdit *htmlField(QColorDialog *dialog);
    static void typeIntoDialog(QColorDialog *dialog, const QString &html, QString *failure);
};

QLineEdit *TestColourCycle::htmlField(QColorDialog *dialog)
{
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->text().remove(QLatin1Char('&')) == QLatin1String("HTML:"))
            return qobject_cast<QLineEdit *>(label->buddy());
    }
    return nullptr;
}

// Runs inside the dialog's own event loop; whatever goes wrong, the dialog is closed
// so that the test cannot hang in exec().
void TestColourCycle::typeIntoDialog(QColorDialog *dialog, const QString &html, QString *failure)
{
    QLineEdit *field = htmlField(dialog);
    if (!field) {
        *failure = QStringLiteral("no HTML field in the dialog");
        dialog->reject();
        return;
    }
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
    QTest::keyClicks(field, html);
    QTest::keyClick(field, Qt::Key_Return);
    if (dialog->isVisible()) {
        *failure = QStringLiteral("Return did not confirm the dialog");
        dialog->reject();
    }
}

void TestColourCycle::numberMatchesTheSwatchEveryCycle()
{
    KleurtjesWindow window;
    window.load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("cmdKleur"));
    auto *swatch = window.findChild<QWidget *>(QStringLiteral("picKleur"));
    auto *number = window.findChild<QLabel *>(QStringLiteral("lblNummer"));
    QVERIFY(button && swatch && number);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int cycle = 0; cycle < 30; ++cycle) {
        const QColor colour(random.bounded(256), random.bounded(256), random.bounded(256));
        const QString context
            = QStringLiteral("seed %1, cycle %2, %3").arg(seed).arg(cycle).arg(colour.name());
        QString failure = QStringLiteral("no colour dialog open");
        {
            const ModalAnswer<QColorDialog> answer([&](QColorDialog *dialog) {
                failure.clear();
                typeIntoDialog(dialog, colour.name(), &failure);
            });
            button->click();
        }
        QVERIFY2(failure.isEmpty(), qPrintable(context + QStringLiteral(": ") + failure));

        const QColor shown = swatch->grab().toImage().pixelColor(swatch->rect().center());
        QVERIFY2(shown == colour, qPrintable(context + QStringLiteral(": swatch ") + shown.name()));
        const int expected = shown.red() + 256 * shown.green() + 65536 * shown.blue();
        QCOMPARE(number->text(), QString::number(expected));
    }
}

QTEST_MAIN(TestColourCycle)
#include "tst_colourcycle.moc"

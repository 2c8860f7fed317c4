#include "core/runtimeerror.h"
#include "fakechooser.h"
#include "fakepicker.h"
#include "modalanswer.h"
#include "qt/dialogcolourchooser.h"
#include "qt/fatalerror.h"
#include "qt/kleurtjeswindow.h"
#include "qt/qtcolour.h"
#include "qt/qttranslation.h"
#include "qt/reasontip.h"
#include "qt/swatch.h"

#include <QClipboard>
#include <QColorDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <limits>
#include <optional>

class TestColourChooser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void confirmShowsColourAndNumber_data();
    void confirmShowsColourAndNumber();
    void cancelFirstChangesNothing();
    void cancelKeepsConfirmedColour();
    void reopenSelectsLastConfirmed();
    void opensOnShownColour_data();
    void opensOnShownColour();
    void opensOnPastedColour();
    void dialogIsModalAndReused();
    void chooserFailureIsFatal_data();
    void chooserFailureIsFatal();
    void dialogFollowsLocale_data();
    void dialogFollowsLocale();
    void screenButtonPicksIntoTheDialog_data();
    void screenButtonPicksIntoTheDialog();

private:
    void clickKleur() { QTest::mouseClick(control<QPushButton>("cmdKleur"), Qt::LeftButton); }
    void confirm(const QColor &colour);
    void cancel();
    QString number() const { return control<QLabel>("lblNummer")->text(); }
    ColourValue swatch() const { return control<Swatch>("picKleur")->backColor(); }

    template<typename T> T *control(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }

    std::unique_ptr<KleurtjesWindow> m_window;
};

void TestColourChooser::init()
{
    FatalError::reset();
    m_window = std::make_unique<KleurtjesWindow>();
    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestColourChooser::cleanup()
{
    m_window.reset();
}

void TestColourChooser::confirm(const QColor &colour)
{
    const ModalAnswer<QColorDialog> answer([colour](QColorDialog *dialog) {
        dialog->setCurrentColor(colour);
        dialog->accept();
    });
    clickKleur();
}

void TestColourChooser::cancel()
{
    const ModalAnswer<QColorDialog> answer([](QColorDialog *dialog) { dialog->reject(); });
    clickKleur();
}

void TestColourChooser::confirmShowsColourAndNumber_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("expected");

    QTest::newRow("red") << QColor(255, 0, 0) << "255";
    QTest::newRow("green") << QColor(0, 255, 0) << "65280";
    QTest::newRow("blue") << QColor(0, 0, 255) << "16711680";
    QTest::newRow("white") << QColor(255, 255, 255) << "16777215";
    QTest::newRow("black") << QColor(0, 0, 0) << "0";
    QTest::newRow("18,52,86") << QColor(18, 52, 86) << "5649426";
}

void TestColourChooser::confirmShowsColourAndNumber()
{
    QFETCH(QColor, colour);
    QFETCH(QString, expected);

    confirm(colour);

    QCOMPARE(number(), expected);
    QCOMPARE(swatch(), expected.toInt());
    QCOMPARE(control<Swatch>("picKleur")->grab().toImage().pixelColor(148, 68), colour);
}

void TestColourChooser::cancelFirstChangesNothing()
{
    cancel();

    QCOMPARE(number(), QStringLiteral("16777215"));
    QCOMPARE(swatch(), White);
}

void TestColourChooser::cancelKeepsConfirmedColour()
{
    confirm(QColor(18, 52, 86));
    cancel();

    QCOMPARE(number(), QStringLiteral("5649426"));
    QCOMPARE(swatch(), 5649426);
}

void TestColourChooser::reopenSelectsLastConfirmed()
{
    QColor first;
    {
        const ModalAnswer<QColorDialog> answer([&first](QColorDialog *dialog) {
            first = dialog->currentColor();
            dialog->setCurrentColor(QColor(18, 52, 86));
            dialog->accept();
        });
        clickKleur();
    }

    QColor reopened;
    {
        const ModalAnswer<QColorDialog> answer([&reopened](QColorDialog *dialog) {
            reopened = dialog->currentColor();
            dialog->reject();
        });
        clickKleur();
    }

    QCOMPARE(first, QColor(Qt::white));
    QCOMPARE(reopened, QColor(18, 52, 86));
}

void TestColourChooser::opensOnShownColour_data()
{
    QTest::addColumn<std::optional<ColourValue>>("start");
    QTest::addColumn<QColor>("opened");

    QTest::newRow("no start colour") << std::optional<ColourValue>() << QColor(Qt::white);
    QTest::newRow("start colour") << std::optional<ColourValue>(5649426) << QColor(18, 52, 86);
    QTest::newRow("black start") << std::optional<ColourValue>(0) << QColor(Qt::black);
}

// The dialog opens on what the swatch shows, and a cancel there leaves it shown.
void TestColourChooser::opensOnShownColour()
{
    QFETCH(std::optional<ColourValue>, start);
    QFETCH(QColor, opened);

    m_window = std::make_unique<KleurtjesWindow>();
    m_window->load(start);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const ColourValue shown = swatch();

    QColor current;
    {
        const ModalAnswer<QColorDialog> answer([&current](QColorDialog *dialog) {
            current = dialog->currentColor();
            dialog->reject();
        });
        clickKleur();
    }

    QCOMPARE(current, opened);
    QCOMPARE(colourValue(current), shown);
    QCOMPARE(swatch(), shown);
}

void TestColourChooser::opensOnPastedColour()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("&H563412&"));
    QTest::keyClick(m_window.get(), Qt::Key_V, Qt::ControlModifier);

    QColor opened;
    {
        const ModalAnswer<QColorDialog> answer([&opened](QColorDialog *dialog) {
            opened = dialog->currentColor();
            dialog->reject();
        });
        clickKleur();
    }
    QCOMPARE(opened, QColor(18, 52, 86));
    QCOMPARE(number(), QStringLiteral("5649426"));
}

void TestColourChooser::dialogIsModalAndReused()
{
    QList<QColorDialog *> seen;
    for (int i = 0; i < 2; ++i) {
        const ModalAnswer<QColorDialog> answer([&seen](QColorDialog *dialog) {
            seen << dialog;
            QVERIFY(dialog->isModal());
            QVERIFY(dialog->testOption(QColorDialog::DontUseNativeDialog));
            dialog->reject();
        });
        clickKleur();
    }
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.first(), seen.last());
}

void TestColourChooser::chooserFailureIsFatal_data()
{
    QTest::addColumn<QVariant>("color");
    QTest::addColumn<bool>("raises");
    QTest::addColumn<int>("errorNumber");

    QTest::newRow("chooser raises") << QVariant(255) << true << 32755;
    QTest::newRow("text abc") << QVariant("abc") << false << int(RuntimeError::TypeMismatch);
    QTest::newRow("double out of range") << QVariant(1e12) << false << int(RuntimeError::Overflow);
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << false
                         << int(RuntimeError::Overflow);
    QTest::newRow("not a colour") << QVariant(White + 1) << false
                                  << int(RuntimeError::InvalidPropertyValue);
    QTest::newRow("negative") << QVariant(-1) << false << int(RuntimeError::InvalidPropertyValue);
    QTest::newRow("bool") << QVariant(true) << false << int(RuntimeError::TypeMismatch);
    QTest::newRow("colour") << QVariant(QColor(Qt::red)) << false
                            << int(RuntimeError::TypeMismatch);
}

void TestColourChooser::chooserFailureIsFatal()
{
    QFETCH(QVariant, color);
    QFETCH(bool, raises);
    QFETCH(int, errorNumber);

    auto chooser = std::make_unique<FakeChooser>(color);
    if (raises)
        chooser->failure
            = std::make_exception_ptr(RuntimeError(errorNumber, "Common dialog failed"));
    m_window = std::make_unique<KleurtjesWindow>(std::move(chooser));
    m_window->load();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    QString message;
    const ModalAnswer<QMessageBox> answer([&message](QMessageBox *box) {
        message = box->windowTitle() + QLatin1Char('|') + box->text();
        box->accept();
    });
    QTimer::singleShot(0, this, [this] { clickKleur(); });
    const LoopWatchdog watchdog;

    QCOMPARE(QApplication::exec(), FatalError::ExitStatus);
    QVERIFY(FatalError::reported());
    QVERIFY2(message.startsWith(QStringLiteral("Tintenwijzer|")), qPrintable(message));
    QVERIFY2(message.contains(QString::number(errorNumber)), qPrintable(message));
    QCOMPARE(number(), QStringLiteral("16777215"));
    QCOMPARE(swatch(), White);
}

void TestColourChooser::dialogFollowsLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");

    QTest::newRow("C") << "C"
                       << "Select Color";
    QTest::newRow("English") << "en_GB"
                             << "Select Color";
    QTest::newRow("Dutch") << "nl_NL"
                           << "Kleur selecteren";
}

void TestColourChooser::dialogFollowsLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, title);

    const QtTranslation translation { QLocale(locale) };
    QString shown;
    const ModalAnswer<QColorDialog> answer([&shown](QColorDialog *dialog) {
        shown = dialog->windowTitle();
        dialog->reject();
    });
    clickKleur();

    QCOMPARE(shown, title);
    QCOMPARE(control<QPushButton>("cmdKleur")->text(), QStringLiteral("Kies kleur"));
}

void TestColourChooser::screenButtonPicksIntoTheDialog_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("confirmed");
    QTest::addColumn<bool>("reasonShown");

    QTest::newRow("picked") << "picked" << 5649426 << false;
    QTest::newRow("cancelled") << "cancelled" << int(White) << false;
    QTest::newRow("refused") << "refused" << int(White) << true;
}

// On every platform, Wayland too, the button is there and starts the program's own picker;
// what it takes lands in the dialog, which stays open until the user confirms.
void TestColourChooser::screenButtonPicksIntoTheDialog()
{
    QFETCH(QString, answer);
    QFETCH(int, confirmed);
    QFETCH(bool, reasonShown);

    QWidget owner;
    DialogColourChooser chooser(
        &owner, [answer](QObject *parent) { return new FakePicker(answer, parent); });
    bool open = false;
    bool shown = false;
    const ModalAnswer<QColorDialog> modal([&](QColorDialog *dialog) {
        const auto buttons = dialog->findChildren<QPushButton *>();
        const auto button = std::find_if(buttons.begin(), buttons.end(),
            [](QPushButton *b) { return b->text() == QLatin1String("&Pick Screen Color"); });
        if (button != buttons.end() && (*button)->isVisible())
            (*button)->click();
        open = dialog->isVisible();
        const auto *tip = dialog->findChild<ReasonTip *>();
        shown = tip && tip->isVisible();
        dialog->accept();
    });
    QVERIFY(chooser.ShowColor());
    QVERIFY(open);
    QCOMPARE(shown, reasonShown);
    QCOMPARE(chooser.Color(), QVariant(confirmed));
}

QTEST_MAIN(TestColourChooser)
#include "tst_colourchooser.moc"

#include "qt/dialogcolourchooser.h"

#include "qt/handlerguard.h"
#include "qt/pick/screencolourpicker.h"
#include "qt/pick/screenpickerfactory.h"
#include "qt/qtcolour.h"
#include "qt/reasontip.h"

#include <QColorDialog>
#include <QPushButton>

namespace {

constexpr int RefusalShownMs = 4000;

QPushButton *screenButton(QColorDialog *dialog)
{
    const QString texts[]
        = { QColorDialog::tr("&Pick Screen Color"), QStringLiteral("&Pick Screen Color") };
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == texts[0] || button->text() == texts[1])
            return button;
    }
    return nullptr;
}

} // namespace

DialogColourChooser::DialogColourChooser(QWidget *parent, PickerFactory createPicker)
    : m_parent(parent)
    , m_createPicker(createPicker ? std::move(createPicker) : createScreenPicker)
{ }

bool DialogColourChooser::ShowColor()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog(m_parent);
        m_dialog->setObjectName(QStringLiteral("dlgDialog"));
        m_dialog->setOption(QColorDialog::DontUseNativeDialog);
        takeScreenButton();
    }
    m_dialog->setCurrentColor(toQColor(m_color));
    if (m_dialog->exec() != QDialog::Accepted)
        return false;
    m_color = colourValue(m_dialog->selectedColor());
    return true;
}

QVariant DialogColourChooser::Color() const
{
    return m_color;
}

void DialogColourChooser::setColor(ColourValue value)
{
    m_color = value;
}

// Qt's own button reads the screen in logical pixels, off by one at scale 2, and black off
// X11; it freezes nothing and acts on a key's press, so that a held Return picks and then
// confirms the dialog. The program's picker is the same one the window uses.
void DialogColourChooser::takeScreenButton()
{
    QPushButton *button = screenButton(m_dialog);
    if (!button)
        return;
    QObject::disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(button, &QAbstractButton::clicked, m_dialog,
        [this, button] { guarded([this, button] { pickFromScreen(button); }); });
}

void DialogColourChooser::pickFromScreen(QPushButton *button)
{
    if (!m_picker) {
        m_picker = m_createPicker(m_dialog);
        QObject::connect(
            m_picker, &ScreenColourPicker::picked, m_dialog, [this](ColourValue value) {
                guarded([this, value] { m_dialog->setCurrentColor(toQColor(value)); });
            });
        QObject::connect(m_picker, &ScreenColourPicker::refused, m_dialog,
            [this, button](const QString &reason) {
                guarded([this, button, &reason] { refuse(button, reason); });
            });
    }
    m_picker->start();
}

void DialogColourChooser::refuse(QPushButton *button, const QString &reason)
{
    if (!m_reasonTip)
        m_reasonTip = new ReasonTip(m_dialog);
    m_reasonTip->showBelow(button, reason, RefusalShownMs);
}

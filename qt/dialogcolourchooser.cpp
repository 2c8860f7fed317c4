#include "qt/dialogcolourchooser.h"

#include "qt/qtcolour.h"

#include <QColorDialog>
#include <QGuiApplication>
#include <QPushButton>

namespace {

// Qt's picker reads the screen itself, which works on X11 only: elsewhere it reads black.
void hideScreenPickerOffX11(QColorDialog *dialog)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return;
    const QString texts[]
        = { QColorDialog::tr("&Pick Screen Color"), QStringLiteral("&Pick Screen Color") };
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == texts[0] || button->text() == texts[1])
            button->hide();
    }
}

} // namespace

DialogColourChooser::DialogColourChooser(QWidget *parent)
    : m_parent(parent)
{ }

bool DialogColourChooser::ShowColor()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog(m_parent);
        m_dialog->setObjectName(QStringLiteral("dlgDialog"));
        m_dialog->setOption(QColorDialog::DontUseNativeDialog);
        hideScreenPickerOffX11(m_dialog);
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

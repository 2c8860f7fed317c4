#include "qt/dialogcolourchooser.h"

#include "qt/qtcolour.h"

#include <QColorDialog>

DialogColourChooser::DialogColourChooser(QWidget *parent)
    : m_parent(parent)
{ }

bool DialogColourChooser::ShowColor()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog(m_parent);
        m_dialog->setObjectName(QStringLiteral("dlgDialog"));
        m_dialog->setOption(QColorDialog::DontUseNativeDialog);
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

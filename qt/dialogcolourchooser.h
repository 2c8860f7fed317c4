#pragma once

#include "qt/colourchooser.h"
#include "core/colourvalue.h"

#include <QPointer>

class QColorDialog;
class QWidget;

// The chooser over Qt's own colour dialog, which is built on first use only:
// building it up front costs the start-up more than the whole window does.
class DialogColourChooser : public ColourChooser
{
public:
    explicit DialogColourChooser(QWidget *parent);

    bool ShowColor() override;
    QVariant Color() const override;

private:
    QWidget *m_parent = nullptr;
    QPointer<QColorDialog> m_dialog;
    ColourValue m_color = 0;
};

#pragma once

#include "core/colourvalue.h"

#include <QMenu>

class RecentStore;

// "Recente kleuren": the list as it is on disk when the menu is made, each colour with its
// swatch, number and HTML form, and "Lijst wissen" below them.
class RecentMenu : public QMenu
{
    Q_OBJECT

public:
    explicit RecentMenu(RecentStore &store, QWidget *parent = nullptr);

signals:
    void chosen(ColourValue value);
};

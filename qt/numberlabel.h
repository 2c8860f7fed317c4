#pragma once

#include <QLabel>

// The colour number. Screen readers can read it as text as well as by name; what they say
// of a new one comes from the window's Announcer.
class NumberLabel : public QLabel
{
    Q_OBJECT

public:
    explicit NumberLabel(QWidget *parent = nullptr);
};

#pragma once

#include <QLabel>

// The colour number. Screen readers can read it as text as well as by name, and a new
// number is said aloud: the label never has the focus, so a name change alone goes unheard.
class NumberLabel : public QLabel
{
    Q_OBJECT

public:
    explicit NumberLabel(QWidget *parent = nullptr);

    // Shows number; with announce, screen readers are asked to say it, politely.
    void setNumber(const QString &number, bool announce);
};

#pragma once

#include "qt/pick/screencolourpicker.h"

// Answers each start at once with the answer it was given: picked, cancelled, refused, or
// waited, a refusal after the user has waited.
class FakePicker : public ScreenColourPicker
{
public:
    explicit FakePicker(QString answer, QObject *parent = nullptr)
        : ScreenColourPicker(parent)
        , m_answer(std::move(answer))
    { }

    void start() override
    {
        ++starts;
        if (m_answer == u"picked")
            emit picked(5649426);
        else if (m_answer == u"cancelled")
            emit cancelled();
        else
            emit refused(QStringLiteral("kan niet"), m_answer != u"waited");
    }
    bool isActive() const override { return false; }

    int starts = 0;

private:
    QString m_answer;
};

#include "qt/pick/fallbackpicker.h"

#include "qt/handlerguard.h"

FallbackPicker::FallbackPicker(
    ScreenColourPicker *first, ScreenColourPicker *second, QObject *parent)
    : ScreenColourPicker(parent)
    , m_first(first)
    , m_second(second)
{
    for (ScreenColourPicker *picker : { first, second }) {
        picker->setParent(this);
        connect(picker, &ScreenColourPicker::picked, this, &FallbackPicker::picked);
        connect(picker, &ScreenColourPicker::cancelled, this, &FallbackPicker::cancelled);
    }
    connect(first, &ScreenColourPicker::refused, this,
        [this](const QString &reason, bool anotherMayTry) {
            guarded([this, &reason, anotherMayTry] {
                if (anotherMayTry)
                    m_second->start();
                else
                    emit refused(reason, false);
            });
        });
    connect(second, &ScreenColourPicker::refused, this, &FallbackPicker::refused);
}

void FallbackPicker::start()
{
    if (!isActive())
        m_first->start();
}

void FallbackPicker::prepare()
{
    m_first->prepare();
    m_second->prepare();
}

bool FallbackPicker::isActive() const
{
    return m_first->isActive() || m_second->isActive();
}

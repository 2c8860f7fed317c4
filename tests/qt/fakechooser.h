#pragma once

#include "qt/colourchooser.h"

#include <exception>
#include <utility>

// Stands in for the colour dialog: confirms with a given value, or fails.
class FakeChooser : public ColourChooser
{
public:
    explicit FakeChooser(QVariant color = 0, bool confirm = true)
        : m_color(std::move(color))
        , m_confirm(confirm)
    { }

    bool ShowColor() override
    {
        ++shown;
        if (failure)
            std::rethrow_exception(failure);
        return m_confirm;
    }

    QVariant Color() const override { return m_color; }

    int shown = 0;
    std::exception_ptr failure;

private:
    QVariant m_color;
    bool m_confirm = true;
};

#pragma once

#include <cstdint>
#include <string>
#include <variant>

// What a control property yields: nothing, a whole number, a fraction or a text (UTF-8).
using PropertyValue
    = std::variant<std::monostate, std::int64_t, std::uint64_t, double, std::string>;

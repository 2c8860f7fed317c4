#pragma once

#include "core/colourvalue.h"

#include <string>

// The colour number: a ColourValue in plain decimal digits, the same under every locale.
std::string colourNumber(ColourValue value);

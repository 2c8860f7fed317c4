#pragma once

#include <string>
#include <string_view>

// The core speaks UTF-8, the W functions UTF-16.
std::wstring widened(std::string_view utf8);
// A lone surrogate becomes U+FFFD.
std::string narrowed(std::wstring_view utf16);

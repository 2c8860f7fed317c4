#pragma once

struct ProjectRecord
{
    static constexpr const char *name = "Tintenwijzer";
    static constexpr const char *version = TINTENWIJZER_VERSION;
};

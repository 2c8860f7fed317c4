#pragma once

#include "core/colourvalue.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class StateFolder;

// A file of the state folder with one colour number a line, so that a person can read, edit or
// sync it. Whatever goes wrong with it is said in one warning line, and the same line is not
// said again until a write works: a folder that cannot be written is told once, not at every
// colour.
class ColourFile
{
public:
    // Gets a line for standard error, without its newline. Without one, the line goes there.
    using Warning = std::function<void(const std::string &line)>;

    // what names the colours in a warning, as "de recente kleuren".
    ColourFile(StateFolder &folder, std::string name, std::string what, Warning warning = {});

    // The colours in the file's order, none where there is no file; nothing, after a warning,
    // where it could not be read. Lines that are no colour number are skipped, with a warning.
    std::optional<std::vector<ColourValue>> read();
    // Whether the file is there, readable or not.
    bool exists() const;
    // Gives the file these colours, whole or not at all; false, after a warning, where that
    // failed. doing says what failed: "bewaren in" or "wissen in".
    bool write(std::span<const ColourValue> colours, std::string_view doing = "bewaren in");
    // The warning for a step that failed with this file.
    void failed(std::string_view doing, const std::exception &failure);

private:
    void warn(std::string line);

    StateFolder &m_folder;
    std::string m_name;
    std::string m_what;
    Warning m_warning;
    std::string m_lastWarning;
};

#pragma once

#include "core/colourvalue.h"

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class StateFolder;

// A file of the state folder with one colour number a line, so that a person can read, edit or
// sync it. Whatever goes wrong with it is said in a warning line, each kind of fault once,
// until a write works again: a folder that cannot be written is told once, not at every colour.
class ColourFile
{
public:
    // Gets a line for standard error, without its newline. Without one, the line goes there.
    using Warning = std::function<void(const std::string &line)>;
    // Gets the colours in the file and gives those to write in their place.
    using Merge = std::function<std::vector<ColourValue>(std::vector<ColourValue> disk)>;

    enum class Update { Written, Busy, Failed };

    // How long the end of a run waits for another copy to let go of the folder.
    static constexpr std::chrono::milliseconds EndWait { 2000 };

    // what names the colours in a warning, as "de recente kleuren".
    ColourFile(StateFolder &folder, std::string name, std::string what, Warning warning = {});

    // The colours in the file's order, none where there is no file; nothing, after a warning,
    // where it could not be read. Lines that are no colour number are skipped, with a warning.
    std::optional<std::vector<ColourValue>> read();
    // Whether the file is there, readable or not.
    bool exists() const;
    // Replaces the file under the folder's lock, taken at once or not at all: Busy, and nothing
    // written, where another copy holds it. The file is read first, unless readsDisk is false,
    // and merge makes what to write of it; a file that could not be read is not written over.
    // Failed after a warning. doing says what failed: "bewaren in" or "wissen in".
    Update update(const Merge &merge, bool readsDisk = true, std::string_view doing = "bewaren in");
    // Calls write, and again while it finds the folder Busy, for at most EndWait; the last
    // call's Update.
    static Update lastWrite(const std::function<Update()> &write);
    // Says that another copy's lock kept the file from this run's last write, and which
    // colours that cost.
    void lost(std::span<const ColourValue> colours, std::string_view doing = "bewaren in");

private:
    void failed(std::string_view doing, const std::exception &failure);
    void warn(std::string_view kind, std::string line);

    StateFolder &m_folder;
    std::string m_name;
    std::string m_what;
    Warning m_warning;
    // The kinds of fault told since the last write that worked.
    std::set<std::string, std::less<>> m_told;
};

#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The folder where the program keeps what it remembers between runs, reached through the
// few steps each platform does its own way. The steps are given; replacing a file whole is
// built on them here, the same for every platform.
class StateFolder
{
public:
    // Why a step failed, in the system's own words.
    class Failure : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    // Held while it lives, it keeps other copies of the program from reading, merging and
    // writing the folder's files at the same time. This one holds nothing: it stands for a
    // platform or file system that cannot lock.
    class Lock
    {
    public:
        virtual ~Lock() = default;
        virtual bool holds() const { return false; }
    };

    // Even a list a person edited by hand is a few hundred bytes; a file of megabytes there
    // is not one to read whole.
    static constexpr std::size_t ReadLimit = 64 * 1024;

    virtual ~StateFolder() = default;

    // The file's full path in UTF-8, as a warning names it.
    virtual std::string pathOf(const std::string &name) const = 0;

    // The first limit bytes of the file at most; nothing where there is no such file.
    virtual std::optional<std::string> read(const std::string &name, std::size_t limit) const = 0;
    // Makes the folder, and those above it, where they are missing.
    virtual void make() = 0;
    // Writes bytes to a new file beside the one that name stands for (where name is a link of
    // the user's, beside the file it points to), under a name of its own that no file or link
    // had, and flushes it to the disk; returns what replace() and remove() take for it. Where
    // it fails it leaves no file behind.
    virtual std::string writeTemporary(const std::string &name, std::string_view bytes) = 0;
    // Puts the file temporary in the place of name, in one step that either happens or not.
    virtual void replace(const std::string &temporary, const std::string &name) = 0;
    virtual void remove(const std::string &temporary) noexcept = 0;
    // Removes what writes of name that never finished left: held under the lock, no write of
    // another copy is under way.
    virtual void removeLeftovers(const std::string &name) noexcept = 0;
    // Makes the folder where it is missing and locks it against the other copies, at once or
    // not at all: nothing where another copy holds it. Where the platform or the file system
    // cannot lock, a Lock that holds nothing.
    virtual std::unique_ptr<Lock> lock() { return std::make_unique<Lock>(); }
    // Each of these throws Failure where it fails.

    // As read(), at most ReadLimit bytes, without a last line that the limit cut off; where
    // the limit cut the first line, that line as far as it goes.
    std::optional<std::string> readFile(const std::string &name) const;
    // Gives the file the content bytes, or leaves it as it was: never half a file, even
    // when the disk is full or the program stops midway.
    void replaceFile(const std::string &name, std::string_view bytes);
};

#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace filarion::cli {

// The commands, one per thing the window does.
enum class CliCommand : std::uint8_t { Replace, Number, Fill, Insert, List, Undo, Table };

// What the arguments ask for: `filarion-cli COMMAND FOLDER [-p PATTERN] [OPTIONS] [VALUES…]`, options anywhere
// after the program's name, `--` ending them.
struct CliArguments {
    enum class Action : std::uint8_t { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Fail;
    CliCommand command = CliCommand::Replace;
    QString folder;
    std::optional<QString> pattern;
    // The command's own values in the order its syntax gives them (replace: find, replacement).
    QStringList values;
    bool dryRun = false;
    bool json = false;
    bool quiet = false;
    bool yes = false;
    bool noExtension = false;
    // Fail: the error, without its line end.
    QString error;
};

// Reads the arguments, the program's name left out.
CliArguments parseCliArguments(const QStringList& arguments);

} // namespace filarion::cli

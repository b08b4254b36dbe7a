#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace filarion::ui_core {

// What the program's command line asks for: `filarion [-h|--help] [--version] [FOLDER]`.
struct CommandLine {
    enum class Action { OpenWindow, ShowHelp, ShowVersion, Fail };
    Action action = Action::OpenWindow;
    // OpenWindow: the folder argument exactly as given, when there is one.
    std::optional<QString> folder;
    // ShowHelp and ShowVersion: what goes to standard output; Fail: the error for standard error (exit
    // status 1). Ends with a line end.
    QString output;
};

// Reads the arguments, the program's name first. Needs no application object and no display. The parser's
// own words (the help's headings, its errors) come through Qt's translation when one is installed.
CommandLine parseCommandLine(const QStringList& arguments, const QString& version);

// The folder to start in for the argument as given: the folder itself, or the folder that holds a file given
// instead. A relative path is taken from the working folder; links are kept as given, as a walk through them
// would show them. Nothing when no entry of that name exists.
std::optional<QString> startFolderOf(const QString& given);

// The longest path a message quotes whole, in UTF-16 units: a message box with it fits a screen of 800
// pixels and more. A longer path keeps its beginning and its end, with "…" between them.
inline constexpr qsizetype kQuotedPathLimit = 120;
QString elideMiddle(const QString& path, qsizetype limit = kQuotedPathLimit);

} // namespace filarion::ui_core

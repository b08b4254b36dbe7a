#pragma once

#include "engine/command_services.h"
#include "engine/name_list.h"
#include "engine/rename_preview.h"
#include "engine/rename_request.h"
#include "engine/rename_table.h"
#include "engine/run_log.h"
#include "listing/file_list_export.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace filarion::ui_core {

// What the window copies out of its controls when a command starts. Nothing later reads a widget.
struct CommandInputs {
    QString caption; // the command button's caption
    engine::RenameMethod method = engine::RenameMethod::Replace;
    QString findText;
    QString replaceText;
    QString prefixText;
    QString fillText;
    QString insertText;
    QString positionText;
    QString listName;
    listing::NameForm nameForm = listing::NameForm::WithExtension;
    QString patternText;
    QString folder;
    engine::NameList names; // the working set's names, in list order
};

engine::RenameRequest renameRequestOf(const CommandInputs& inputs);
listing::FileListRequest fileListRequestOf(const CommandInputs& inputs);

// What the user chose in the preview: to run the previewed request, to run the table of new names as edited
// there instead, or nothing. A plain yes or no is the request or nothing.
struct PreviewChoice {
    PreviewChoice(bool yes = false) : confirmed(yes) {}
    bool confirmed = false;
    std::optional<engine::RenameTable> table;
};

// Shows the preview of a rename and answers what the user chose.
using ConfirmPreview = std::function<PreviewChoice(engine::RenamePreview preview)>;

// How a command ended, as the command line's exit status tells it; the window has shown it already.
enum class CommandEnd : std::uint8_t {
    Done,       // everything it set out to do, or nothing to do (an empty working set, a preview closed)
    Refused,    // ended before any rename or write: a message, or a question answered No
    Incomplete, // some renames made and some not: a refusal line, or a stop after the first renames
};

// The commands of the window's core, without the window: the window's buttons and menu and the command line
// call the same verbs. They take the inputs as copied and talk back only through the services.
class WindowCommands {
public:
    explicit WindowCommands(engine::CommandServices& services,
                            engine::RunEnvironment environment = engine::defaultRunEnvironment());

    // The command button: an empty working set gets "文件夹内没有可执行文件！" and nothing more; otherwise the
    // caption chooses the verb, rename or makeList (command_dispatch.cpp).
    void runButton(const CommandInputs& inputs);

    // The rename run of the rename tab's inputs; an empty working set gets "文件夹内没有可执行文件！".
    CommandEnd rename(const CommandInputs& inputs);

    // The rename preview: the same empty-set message, then the preview, or the message the run would end
    // with before renaming anything. A filled preview goes to confirm; once confirmed, the very request that
    // was previewed runs, or the table of new names the user edited there, and the run decides on the disk as
    // it is then.
    CommandEnd previewRename(const CommandInputs& inputs, const ConfirmPreview& confirm);

    // The list export of the list tab's inputs; the same empty-set message.
    CommandEnd makeList(const CommandInputs& inputs);

    // The undo of the last run recorded in the folder's rename log. It needs the folder only: the working
    // set's names are not copied for it.
    CommandEnd undoLastRun(const QString& folder);

    // The run of a rename table file over the working set (the folder's files under the pattern, in list
    // order): the file read by the import's rules, its message where it cannot be taken whole; the same
    // empty-set message.
    CommandEnd renameTableFile(const CommandInputs& inputs, const QString& tableFile);

private:
    engine::CommandServices& m_services;
    engine::RunEnvironment m_environment;
};

} // namespace filarion::ui_core

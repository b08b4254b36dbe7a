#include "cli/cli_run.h"

#include "cli/texts.h"
#include "ui_core/commands.h"
#include "ui_core/working_set.h"

#include <QDir>

namespace filarion::cli {

namespace {

using ui_core::CommandEnd;
using ui_core::CommandInputs;

int statusOf(CommandEnd end) {
    switch (end) {
    case CommandEnd::Done:
        return kStatusDone;
    case CommandEnd::Refused:
        return kStatusRefused;
    case CommandEnd::Incomplete:
        return kStatusStopped;
    }
    return kStatusStopped;
}

// The rename tab's or the list tab's fields for the command's values, as the window copies them.
void fillInputs(const CliArguments& arguments, CommandInputs& inputs) {
    const QStringList& values = arguments.values;
    switch (arguments.command) {
    case CliCommand::Replace:
        inputs.method = engine::RenameMethod::Replace;
        inputs.findText = values.at(0);
        inputs.replaceText = values.at(1);
        break;
    case CliCommand::Number:
        inputs.method = engine::RenameMethod::Prefix;
        inputs.prefixText = values.at(0);
        break;
    case CliCommand::Fill:
        inputs.method = engine::RenameMethod::Fill;
        inputs.fillText = values.at(0);
        break;
    case CliCommand::Insert:
        inputs.method = engine::RenameMethod::Insert;
        inputs.insertText = values.at(0);
        inputs.positionText = values.at(1);
        break;
    case CliCommand::List:
        inputs.listName = values.at(0);
        inputs.nameForm =
            arguments.noExtension ? listing::NameForm::WithoutExtension : listing::NameForm::WithExtension;
        break;
    case CliCommand::Undo:
    case CliCommand::Table:
        break;
    }
}

} // namespace

int runCommand(const CliArguments& arguments, TerminalServices& services) {
    // The folder as the window holds it: absolute, its path cleaned, links kept as given.
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(arguments.folder));
    ui_core::WindowCommands commands(services);
    if (arguments.command == CliCommand::Undo) {
        return statusOf(commands.undoLastRun(folder));
    }
    ui_core::WorkingSet set;
    if (set.take(ui_core::FolderReading(folder, arguments.pattern, false))) {
        services.showMessage(QString::fromUtf16(texts::kFolderUnreadable).arg(arguments.folder));
        return kStatusRefused;
    }
    CommandInputs inputs;
    inputs.patternText = set.patternText();
    inputs.folder = set.folder();
    inputs.names = set.nameList();
    fillInputs(arguments, inputs);
    if (arguments.command == CliCommand::List) {
        return statusOf(commands.makeList(inputs));
    }
    if (arguments.command == CliCommand::Table) {
        return statusOf(commands.renameTableFile(inputs, QDir::current().absoluteFilePath(arguments.values.at(0))));
    }
    if (arguments.dryRun) {
        return statusOf(commands.previewRename(inputs, [&services](const engine::RenamePreview& preview) {
            services.showPreview(preview);
            return false;
        }));
    }
    return statusOf(commands.rename(inputs));
}

} // namespace filarion::cli

#include "engine/rename_run.h"

#include "engine/rename_context.h"
#include "engine/texts.h"
#include "platform/clock.h"
#include "platform/file_rename.h"
#include "platform/gbk_text.h"
#include "platform/program_info.h"

namespace filarion::engine {

RunEnvironment defaultRunEnvironment() {
    return {platform::programBaseName(), &platform::currentStamp};
}

void RenameFiles(const RenameRequest& request, CommandServices& services, const RunEnvironment& environment) {
    if (const std::optional<QString> message = ValidateRenameRequest(request)) {
        services.showMessage(*message);
        return;
    }
    const BusyScope busy(services);

    // Nothing is renamed unless the log takes the run's header: a rename must never go unrecorded. The log
    // and every rename are reached through the one held folder.
    platform::FolderHandle folder;
    platform::GbkAppendFile log;
    QString header = environment.stamp ? environment.stamp() : QString();
    header.append(QStringView(texts::kLogHeaderEnd));
    std::error_code error = folder.open(request.Folder);
    if (!error) {
        error = log.open(folder, QString::fromUtf16(texts::kLogFileName));
    }
    if (!error) {
        error = log.writeLine(header);
    }
    if (error) {
        services.showMessage(QString::fromUtf16(texts::kLogNotWritable));
        return;
    }
    platform::RenameFolder renamer(folder);
    DiskEffects effects(renamer, log);
    renameEntries(request, environment.programName, services, effects);
    // Every line already went to the OS by its own write; closing has nothing left to lose.
    (void)log.close();
}

} // namespace filarion::engine

#include "listing/file_list_export.h"

#include "engine/name_helpers.h"
#include "engine/run_values.h"
#include "engine/texts.h"
#include "listing/texts.h"
#include "platform/disk_sync.h"
#include "platform/folder_handle.h"
#include "platform/gbk_save_file.h"
#include "platform/rename_probe.h"

#include <QStringView>

namespace filarion::listing {

namespace {

QString listFileName(const QString& typed) {
    const QStringView extension(texts::kListExtension);
    return typed.endsWith(extension, Qt::CaseInsensitive) ? typed : typed + extension.toString();
}

// False when the file could not be created, or a write or the commit failed; an existing file is then
// left as it was.
bool writeList(const FileListRequest& request, const platform::FolderHandle& folder, const QString& listName,
               const platform::HeldFile& replaces, platform::RenameWay way, engine::CommandServices& services) {
    platform::GbkSaveFile file(folder, listName, &replaces, way);
    if (file.open()) {
        return false;
    }
    file.writeLine(fileListHeader(request.folder, request.patternText));

    const qsizetype count = request.files.size();
    engine::ProgressTicker ticker(services, count);
    QString line;
    line.reserve(256);
    for (qsizetype i = 0; i < count; ++i) {
        ticker.tick(i);
        const QStringView name = request.files.at(i);
        line.resize(0); // keeps the capacity
        engine::appendDecimal(line, i + 1);
        line.append(u'.');
        // The name part is a view of the name, so no line costs a copy of its name.
        line.append(request.form == NameForm::WithExtension ? name : engine::GetNamePart(name));
        file.writeLine(line);
    }
    // The list is synced before it is put in place; the folder after, so that done means on the disk.
    return !file.commit() && !platform::syncFolder(folder);
}

} // namespace

QString fileListHeader(const QString& folder, const QString& patternText) {
    return engine::JoinPath(folder, patternText) + QString::fromUtf16(texts::kHeaderEnd);
}

void MakeFileList(const FileListRequest& request, engine::CommandServices& services) {
    // A name of blanks is a name: only an empty text is refused.
    if (request.listName.isEmpty()) {
        services.showMessage(QString::fromUtf16(texts::kNoListName));
        return;
    }
    const QString name = listFileName(request.listName);
    // The question and the writing see the same folder, held from here to the end: a folder that cannot be
    // held gets no question and fails the writing. The rename log is never a list: the history of every run
    // would be gone.
    platform::FolderHandle folder;
    if (!engine::isLogFile(name)) {
        (void)folder.open(request.folder);
    }
    // Putting the list at its name is a rename: where none refuses to replace a file, nothing is written.
    const platform::RenameWay way = platform::renameWayOf(folder);
    if (way == platform::RenameWay::Unsafe) {
        services.showMessage(QString::fromUtf16(engine::texts::kNoSafeRename));
        return;
    }
    // Only a regular file of that name is offered for overwriting, and only that very file may be replaced
    // then; nothing at all where no question was asked. Anything else there (a folder, a link, a FIFO or
    // device) is never written: a Yes could only end in failure, so the run goes ahead and reports it.
    platform::HeldFile replaces;
    if (replaces.open(folder, name) && !services.askYesNo(name + QString::fromUtf16(texts::kOverwriteQuestionEnd))) {
        return;
    }

    bool written = false;
    {
        const engine::BusyScope busy(services);
        written = folder.isOpen() && writeList(request, folder, name, replaces, way, services);
    }
    // Told after the run, when the window is restored and the refreshed file list shows what is on disk.
    if (!written) {
        services.showMessage(QString::fromUtf16(texts::kWriteFailed));
    }
}

} // namespace filarion::listing

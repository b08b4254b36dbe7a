#pragma once

#include "ui_core/commands.h"
#include "ui_core/drive_handling.h"
#include "ui_core/file_list_model.h"
#include "ui_core/start_folder.h"
#include "ui_core/working_set.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

namespace filarion::ui_core {

// The form in which the folder list holds a folder: absolute and clean.
QString cleanFolder(const QString& folder);

// What the window shows, without the window: the folder the folder list stands in, the working set under the
// pattern with the file list's model over it, the drives, the start folder's reading and the commands. The
// window forwards its controls' events here and shows what the signals tell; nothing here touches a widget,
// and every folder is read here. Messages go through the services the commands use.
class Session : public QObject {
    Q_OBJECT

public:
    // Stands in the process's working folder with empty lists, under the pattern the pattern box starts with,
    // and starts reading on a thread of its own the folder given on the command line (a file: its folder), or
    // without one the working folder. The working folder is read only when no folder is given or the one given
    // cannot be opened (startIn). Volumes and services must outlive the session.
    Session(const VolumeSource& volumes, engine::CommandServices& services,
            const std::optional<QString>& given = std::nullopt, QObject* parent = nullptr);

    const std::vector<platform::Volume>& volumes() const { return m_drives.volumes(); }
    QString driveOf(const QString& folder) const { return m_drives.driveOf(folder); }
    const WorkingSet& workingSet() const { return m_set; }
    FileListModel& files() { return m_files; }
    // The folder the folder list stands in. Until the start folder answers, the working folder with its lists
    // empty; the working set's folder may differ from it while a folder cannot be read.
    const QString& folder() const { return m_folder; }

    // A folder given on the command line (a file: its folder), read on a thread of its own and shown when it
    // answers, unless the user has moved meanwhile. One that is not there or cannot be read gets a message,
    // and the session stays where it started.
    void startIn(const QString& given);
    // The start folder, or the one given, has not answered yet.
    bool starting() const { return m_start.pending(); }
    // A folder was given on the command line when the session was made.
    bool folderGiven() const { return m_folderGiven; }
    // Waits at most `wait` for the start folder, and shows it at once when it answers in that time.
    bool settleStart(std::chrono::milliseconds wait) { return m_start.settle(wait); }

    // Every move of the folder list (an opened row, a drop, the drive list): one reading gives the folder's
    // subfolders and its files under the pattern. The names shown before are released first; a folder that
    // cannot be read is not moved to (false), and the file list reads the folder it still shows again. A move
    // wins over the start folder's reading still under way, whose answer is then dropped.
    bool moveTo(const QString& folder);
    // The drive list chose `root`: the folder list moves to that drive's current folder where it can be read;
    // the drive shown is that of the folder shown then (driveShown).
    void chooseDrive(const QString& root);
    // A new pattern: the files are read again under it.
    void setPattern(const QString& text);
    // Reads the files again.
    void refreshFiles() { m_files.refresh(); }
    // Reads the files again after a click on the row `row`: the row the same name has then, or -1.
    int reread(int row);

    // The commands, with the folder and the working set's names added to what the window copied.
    void runButton(CommandInputs inputs);
    void previewRename(CommandInputs inputs, const ConfirmPreview& confirm);
    void undoLastRun() { m_commands.undoLastRun(m_set.folder()); }

signals:
    // The folder list stands in `folder` with these subfolders (a folder not read yet: none).
    void folderShown(const QString& folder, const QStringList& subfolders);
    // The drive list shows the drive whose root is `root`.
    void driveShown(const QString& root);

private:
    void show(FolderReading&& reading);
    void startAnswered(StartAnswer answer);
    void addFolderAndNames(CommandInputs& inputs);

    DriveHandling m_drives;
    engine::CommandServices& m_services;
    WindowCommands m_commands;
    QString m_folder;
    bool m_folderGiven = false;
    WorkingSet m_set;
    FileListModel m_files{m_set}; // reads m_set, so it is declared after it and goes before it
    StartFolderReader m_start;    // goes first: an answer never meets a session half gone
};

} // namespace filarion::ui_core

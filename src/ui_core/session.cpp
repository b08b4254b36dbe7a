#include "ui_core/session.h"

#include "platform/program_info.h"
#include "ui_core/command_line.h"
#include "ui_core/texts.h"

#include <QDir>

namespace filarion::ui_core {

QString cleanFolder(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath());
}

Session::Session(const VolumeSource& volumes, engine::CommandServices& services, const std::optional<QString>& given,
                 QObject* parent)
    : QObject(parent), m_drives(volumes), m_services(services), m_commands(services),
      m_folder(cleanFolder(platform::workingFolder())), m_folderGiven(given.has_value()),
      m_start([this](StartAnswer answer) { startAnswered(std::move(answer)); }) {
    m_set.setPatternText(QString::fromUtf16(texts::kStartPattern));
    m_start.read(given, m_folder, m_set.patternText());
}

// Until the start folder has answered, it is what a folder that cannot be opened falls back on; after, the
// session stays where it is.
void Session::startIn(const QString& given) {
    m_start.read(given, m_start.pending() ? m_folder : QString(), m_set.patternText());
}

bool Session::moveTo(const QString& folder) {
    m_start.cancel();
    m_files.clear();
    FolderReading reading(cleanFolder(folder), m_set.patternText(), true);
    if (reading.error()) {
        m_files.refresh();
        return false;
    }
    show(std::move(reading));
    return true;
}

void Session::show(FolderReading&& reading) {
    const QString folder = reading.folder();
    const QStringList subfolders = reading.takeSubfolders();
    (void)m_files.show(std::move(reading));
    const bool moved = folder != m_folder;
    m_folder = folder;
    emit folderShown(m_folder, subfolders);
    // The folder list can climb to a folder of another volume; the drive list follows it.
    if (moved) {
        emit driveShown(m_drives.driveOf(m_folder));
    }
}

void Session::chooseDrive(const QString& root) {
    const DriveView view = m_drives.change(root, m_folder);
    if (view.folder != m_folder && !moveTo(view.folder)) {
        // Readable a moment ago, gone now: the drive list goes back to the folder that is still shown.
        emit driveShown(m_drives.driveOf(m_folder));
        return;
    }
    emit driveShown(view.drive);
}

void Session::setPattern(const QString& text) {
    m_set.setPatternText(text);
    m_files.refresh();
}

int Session::reread(int row) {
    const QString name = row >= 0 && row < m_set.count() ? m_set.nameAt(row) : QString();
    m_files.refresh();
    return name.isEmpty() ? -1 : m_set.indexOf(name);
}

// The start folder has answered. A pattern changed meanwhile is read again (the folder answers now); a start
// folder that cannot be read gives way to the root, and a folder asked for that cannot be opened is told.
void Session::startAnswered(StartAnswer answer) {
    FolderReading& reading = answer.reading;
    if (!reading.error() && reading.pattern() != m_set.patternText()) {
        reading = FolderReading(reading.folder(), m_set.patternText(), true);
    }
    if (reading.folder().isEmpty()) {
        // Nothing was read: the session stays where it is.
    } else if (!reading.error()) {
        show(std::move(reading));
    } else if (m_set.folder().isEmpty()) {
        (void)moveTo(QStringLiteral("/"));
    }
    if (answer.refused) {
        m_services.showMessage(QString::fromUtf16(texts::kStartFolderFailed).arg(elideMiddle(*answer.refused)));
    }
}

void Session::addFolderAndNames(CommandInputs& inputs) {
    inputs.folder = m_set.folder();
    inputs.names = m_set.nameList();
}

void Session::runButton(CommandInputs inputs) {
    addFolderAndNames(inputs);
    m_commands.runButton(inputs);
}

void Session::previewRename(CommandInputs inputs, const ConfirmPreview& confirm) {
    addFolderAndNames(inputs);
    m_commands.previewRename(inputs, confirm);
}

} // namespace filarion::ui_core

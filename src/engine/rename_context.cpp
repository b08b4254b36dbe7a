#include "engine/rename_context.h"

#include "engine/fill_method.h"
#include "engine/insert_method.h"
#include "engine/prefix_method.h"
#include "engine/replace_method.h"
#include "engine/texts.h"
#include "platform/file_rename.h"
#include "platform/gbk_text.h"

#include <initializer_list>

namespace filarion::engine {

namespace {

QString joined(std::initializer_list<QStringView> parts) {
    qsizetype size = 0;
    for (const QStringView part : parts) {
        size += part.size();
    }
    QString text;
    text.reserve(size);
    for (const QStringView part : parts) {
        text.append(part);
    }
    return text;
}

using FileStep = void (*)(RenameContext&, int, const QString&);

FileStep stepOf(RenameMethod method) {
    switch (method) {
    case RenameMethod::Replace:
        return &RenameWithReplace;
    case RenameMethod::Prefix:
        return &RenameWithPrefix;
    case RenameMethod::Fill:
        return &RenameWithFill;
    case RenameMethod::Insert:
        return &RenameWithInsert;
    }
    return &RenameWithReplace;
}

} // namespace

platform::RenameResult DiskEffects::rename(const QString& oldName, const QString& newName) {
    return m_folder.rename(oldName, newName).result;
}

std::error_code DiskEffects::writeLine(const RunEvent& event) {
    return m_log.writeLine(event.line);
}

std::error_code DiskEffects::retractLine() {
    return m_log.retractLastLine();
}

RenameContext::RenameContext(const RenameRequest& request, const RunValues& values, CommandServices& services,
                             RunEffects& effects)
    : m_request(request), m_values(values), m_services(services), m_effects(effects) {}

void RenameContext::ApplyRename(const QString& oldName, const QString& newName) {
    if (m_stopped) {
        return;
    }
    // The done line is on record before the file is touched, so a run killed at any moment leaves no file
    // renamed without its line; at most the log's last line names a rename that did not happen.
    if (!writeEventLine(EventKind::Done, oldName, newName, texts::kLineDone)) {
        return;
    }
    const platform::RenameResult result = m_effects.rename(oldName, newName);
    if (result == platform::RenameResult::Renamed) {
        return;
    }
    if (m_effects.retractLine()) {
        stop();
        return;
    }
    if (result == platform::RenameResult::TargetExists) {
        m_services.showMessage(joined({oldName, texts::kNameTakenBefore, newName, texts::kNameTakenAfter}));
        writeEventLine(EventKind::NameTaken, oldName, newName, texts::kLineNameTaken);
    } else {
        writeEventLine(EventKind::Failed, oldName, newName, texts::kLineFailed);
    }
}

void RenameContext::refuseEmptyName(const QString& oldName, QStringView extension) {
    if (m_stopped) {
        return;
    }
    m_services.showMessage(joined({oldName, texts::kEmptyNameAfter}));
    writeEventLine(EventKind::Illegal, oldName, extension, texts::kLineIllegal);
}

bool RenameContext::writeEventLine(EventKind kind, QStringView oldName, QStringView newName, QStringView ending) {
    m_line.resize(0); // keeps the capacity for the next line
    m_line.append(oldName).append(QStringView(texts::kRenamedTo)).append(newName).append(ending);
    if (m_effects.writeLine({m_entry, kind, oldName, newName, m_line})) {
        stop();
        return false;
    }
    return true;
}

void RenameContext::stop() {
    m_stopped = true;
    m_services.showMessage(QString::fromUtf16(texts::kLogNotWritable));
}

void renameEntries(const RenameRequest& request, QStringView programName, CommandServices& services,
                   RunEffects& effects) {
    const RunValues values = scanWorkingSet(request.Files, programName);
    RenameContext run(request, values, services, effects);
    const FileStep step = stepOf(request.Method);
    ProgressTicker progress(services, values.count);
    for (int i = 0; i < values.count && !run.stopped(); ++i) {
        progress.tick(i);
        const QString& name = request.Files[i];
        if (IsSkippedEntry(name, programName)) {
            continue;
        }
        run.beginEntry(i);
        step(run, i, name);
    }
}

} // namespace filarion::engine

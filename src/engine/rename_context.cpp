#include "engine/rename_context.h"

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

} // namespace

RenameContext::RenameContext(const RenameRequest& request, const RunValues& values, CommandServices& services,
                             platform::RenameFolder& folder, platform::GbkAppendFile& log)
    : m_request(request), m_values(values), m_services(services), m_folder(folder), m_log(log) {}

void RenameContext::ApplyRename(const QString& oldName, const QString& newName) {
    if (m_stopped) {
        return;
    }
    switch (m_folder.rename(oldName, newName).result) {
    case platform::RenameResult::Renamed:
        writeEventLine(oldName, newName, texts::kLineDone);
        break;
    case platform::RenameResult::TargetExists: {
        m_services.showMessage(joined({oldName, texts::kNameTakenBefore, newName, texts::kNameTakenAfter}));
        writeEventLine(oldName, newName, texts::kLineNameTaken);
        break;
    }
    case platform::RenameResult::Failed:
        writeEventLine(oldName, newName, texts::kLineFailed);
        break;
    }
}

void RenameContext::refuseEmptyName(const QString& oldName, QStringView extension) {
    if (m_stopped) {
        return;
    }
    m_services.showMessage(joined({oldName, texts::kEmptyNameAfter}));
    writeEventLine(oldName, extension, texts::kLineIllegal);
}

void RenameContext::writeEventLine(QStringView oldName, QStringView newName, QStringView ending) {
    m_line.resize(0); // keeps the capacity for the next line
    m_line.append(oldName).append(QStringView(texts::kRenamedTo)).append(newName).append(ending);
    if (m_log.writeLine(m_line)) {
        m_stopped = true;
        m_services.showMessage(QString::fromUtf16(texts::kLogNotWritable));
    }
}

} // namespace filarion::engine

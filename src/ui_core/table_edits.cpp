#include "ui_core/table_edits.h"

#include "engine/table_file.h"
#include "engine/texts.h"
#include "platform/folder_handle.h"
#include "ui_core/texts.h"

namespace filarion::ui_core {

using engine::PreviewResult;
using engine::TableRowState;

TableEdits::TableEdits(QString folder, const engine::PreviewRows& rows, QString programName)
    : m_folder(std::move(folder)), m_programName(std::move(programName)) {
    const auto count = static_cast<qsizetype>(rows.size());
    m_oldNames.reserve(count, 0);
    m_startNames.reserve(count, 0);
    m_editable.resize(std::size_t(count));
    m_states.resize(std::size_t(count), TableRowState::Unchanged);
    for (qsizetype i = 0; i < count; ++i) {
        const auto row = static_cast<std::size_t>(i);
        const PreviewResult result = rows.result(row);
        m_oldNames.append(rows.oldName(row));
        m_startNames.append(result == PreviewResult::Renamed ? rows.newName(row) : rows.oldName(row));
        m_editable[row] = result == PreviewResult::Skipped ? 0 : 1;
        m_states[row] = result == PreviewResult::Renamed   ? TableRowState::Renamed
                        : result == PreviewResult::Skipped ? TableRowState::Skipped
                                                           : TableRowState::Unchanged;
    }
    m_newNames = m_startNames;
    m_edited.assign(std::size_t(count), 0);
}

TableEdits::~TableEdits() = default;

QString TableEdits::countLine() const {
    qsizetype renamed = 0;
    qsizetype unchanged = 0;
    qsizetype skipped = 0;
    for (const TableRowState state : m_states) {
        renamed += state == TableRowState::Renamed ? 1 : 0;
        unchanged += state == TableRowState::Unchanged ? 1 : 0;
        skipped += state == TableRowState::Skipped ? 1 : 0;
    }
    return QString::fromUtf16(texts::kTableCount).arg(size()).arg(renamed).arg(unchanged).arg(skipped).arg(m_errors);
}

void TableEdits::setNewName(qsizetype row, QStringView name) {
    if (!editable(row) || name == newName(row)) {
        return;
    }
    engine::NameList names;
    names.reserve(size(), m_newNames.text().size() + name.size());
    for (qsizetype i = 0; i < size(); ++i) {
        names.append(i == row ? name : m_newNames.at(i));
    }
    takeNewNames(std::move(names));
}

std::optional<QString> TableEdits::paste(qsizetype fromRow, QStringView text) {
    engine::NameList names = m_newNames;
    if (text.contains(u'\t')) {
        if (std::optional<QString> refusal = engine::takeTableText(text, m_oldNames, names)) {
            return refusal;
        }
        takeNewNames(std::move(names));
        return std::nullopt;
    }
    qsizetype lines = 0;
    engine::forEachLine(text, [&lines](QStringView, qsizetype number) {
        lines = number;
        return true;
    });
    const qsizetype below = size() - fromRow;
    if (lines > below) {
        return QString::fromUtf16(texts::kPasteTooMany).arg(lines).arg(below);
    }
    std::vector<QStringView> given(static_cast<std::size_t>(lines));
    engine::forEachLine(text, [&given](QStringView line, qsizetype number) {
        given[std::size_t(number - 1)] = line;
        return true;
    });
    names = {};
    names.reserve(size(), m_newNames.text().size() + text.size());
    for (qsizetype i = 0; i < size(); ++i) {
        const qsizetype line = i - fromRow;
        names.append(line >= 0 && line < lines ? given[std::size_t(line)] : m_newNames.at(i));
    }
    takeNewNames(std::move(names));
    return std::nullopt;
}

std::optional<QString> TableEdits::importFile(const QString& path) {
    engine::NameList names = m_newNames;
    if (std::optional<QString> refusal = engine::importTableFile(path, m_oldNames, names)) {
        return refusal;
    }
    takeNewNames(std::move(names));
    return std::nullopt;
}

std::optional<QString> TableEdits::exportFile(const QString& path) const {
    return engine::exportTableFile(path, m_oldNames, m_newNames);
}

void TableEdits::takeNewNames(engine::NameList names) {
    bool kept = true; // every row that cannot be edited keeps its name
    for (qsizetype i = 0; i < size() && kept; ++i) {
        kept = editable(i) || names.at(i) == m_oldNames.at(i);
    }
    if (!kept) {
        engine::NameList fixed;
        fixed.reserve(size(), names.text().size());
        for (qsizetype i = 0; i < size(); ++i) {
            fixed.append(editable(i) ? names.at(i) : m_oldNames.at(i));
        }
        names = std::move(fixed);
    }
    m_newNames = std::move(names);
    m_anyEdited = false; // every edit taken back: the previewed request runs again
    for (qsizetype i = 0; i < size(); ++i) {
        const bool changed = m_newNames.at(i) != m_startNames.at(i);
        m_edited[std::size_t(i)] = changed ? 1 : 0;
        m_anyEdited = m_anyEdited || changed;
    }
    recheck();
}

void TableEdits::recheck() {
    if (!m_checker) {
        m_checker = std::make_unique<engine::TableChecker>();
        platform::FolderHandle folder;
        if (folder.open(m_folder) || m_checker->take(folder)) {
            m_folderProblem = QString::fromUtf16(engine::texts::kLogNotWritable);
        }
    }
    m_errors = m_checker->check(table(), m_programName, m_states);
    if (m_folderProblem) {
        m_errors = std::max<qsizetype>(m_errors, 1);
    }
}

} // namespace filarion::ui_core

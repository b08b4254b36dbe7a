#pragma once

#include "engine/name_list.h"
#include "engine/rename_request.h"
#include "engine/rename_run.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace filarion::engine {

// What the run will do with one entry of the working set.
enum class PreviewResult : std::uint8_t {
    Renamed,   // renamed, with its done line
    Unchanged, // no line: the new name equals the old one, letter case ignored, or the method passes it over
    SameName,  // a done line without a disk operation: the new name is the old one exactly
    Skipped,   // the program's own file or the rename log
    NameTaken, // the new name is taken: the message and the name-taken line
    EmptyName, // the new name part is empty: the message and the illegal line
    Refused,   // the disk cannot take the new name (too long, not storable): the failed line
};

// One entry: its name, the name the run computes for it (the old one when there is none; the extension for
// an empty name part), and what comes of it.
struct PreviewRow {
    QString oldName;
    QString newName;
    PreviewResult result = PreviewResult::Unchanged;
};

// The rows of a preview, one per entry of the working set in list order, held compactly: the old names are
// the request's own list, shared; a new name is kept only where it differs from the old one, in one more
// list; a result is a byte. Strings are made only for a row that is asked for whole.
class PreviewRows {
public:
    std::size_t size() const { return m_results.size(); }
    bool empty() const { return m_results.empty(); }
    QStringView oldName(std::size_t i) const { return m_oldNames.at(static_cast<qsizetype>(i)); }
    QStringView newName(std::size_t i) const {
        const std::uint32_t at = m_newAt[i];
        return at == kOldName ? oldName(i) : m_newNames.at(at);
    }
    PreviewResult result(std::size_t i) const { return m_results[i]; }
    PreviewRow operator[](std::size_t i) const { return {oldName(i).toString(), newName(i).toString(), result(i)}; }

    // Rows for these names, each keeping its name, unchanged. Room is made for a new name as long as its old one
    // on every row, taken as the rows are written; squeeze() gives back what was not taken.
    void reset(const NameList& oldNames);
    void squeeze() { m_newNames.squeeze(); }
    void setResult(std::size_t i, PreviewResult result) { m_results[i] = result; }
    void setNewName(std::size_t i, QStringView newName);

private:
    static constexpr std::uint32_t kOldName = UINT32_MAX;

    NameList m_oldNames;
    NameList m_newNames;
    std::vector<std::uint32_t> m_newAt; // per row: its new name in m_newNames, or kOldName
    std::vector<PreviewResult> m_results;
};

// The window's side of a preview: messages are recorded, nothing is shown, nothing is asked.
class PreviewServices final : public CommandServices {
public:
    explicit PreviewServices(QStringList& messages) : m_messages(messages) {}

    void showMessage(const QString& text) override { m_messages.push_back(text); }
    bool askYesNo(const QString& /*text*/) override { return false; }
    void setProgress(int /*value*/) override {}
    void enterBusy() override {}
    void leaveBusy() override {}
    void refreshFileList() override {}

private:
    QStringList& m_messages;
};

struct RenamePreview {
    PreviewRows rows;     // one per entry of the working set, in list order
    QStringList messages; // the messages the run will show, in order
};

// The rename run of the request computed without touching the disk: the same validation, pre-scan, methods
// and event order as RenameFiles, with every rename played on a snapshot of the folder's names taken now
// (every entry of the folder, the ones outside the working set included, and the rename log, which the run
// creates before its first rename). Returns the message the run would end with before renaming anything
// (the first failing check; the log message when the folder cannot be read or the log not written), or
// nothing when the preview was filled. The disk may change before the run; the run then decides.
std::optional<QString> previewRename(const RenameRequest& request, RenamePreview& preview,
                                     const RunEnvironment& environment = defaultRunEnvironment());

} // namespace filarion::engine

#pragma once

#include "engine/rename_request.h"
#include "engine/rename_run.h"

#include <QString>
#include <QStringList>
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

struct RenamePreview {
    std::vector<PreviewRow> rows; // one per entry of the working set, in list order
    QStringList messages;         // the messages the run will show, in order
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

#include "engine/run_debris.h"

#include "engine/last_run_lines.h"
#include "engine/run_values.h"
#include "engine/texts.h"
#include "platform/own_files.h"

namespace filarion::engine {

namespace {

// A kill leaves at most the rename in flight with a claim, and it lies among the log's last lines (those
// written ahead of their renames); the bound keeps a start cheap whatever the log holds.
constexpr int kLinesRead = 4096;

bool mayTouch(QStringView name) {
    return !name.startsWith(u'.') && !isLogFile(name);
}

} // namespace

LeftClaims findLeftClaims(const platform::FolderHandle& folder) {
    LastRunLines log;
    LeftClaims claims;
    if (log.open(folder)) {
        return claims;
    }
    bool settled = false; // a rename that happened: every line before it is settled
    for (int lines = 0; lines < kLinesRead && !settled && log.previous(); ++lines) {
        if (log.kind() != LogLineReader::Kind::Done || log.withdrawn()) {
            continue;
        }
        LeftClaim found;
        int readings = 0;
        forEachSplit(log.doneText(), QStringView(texts::kRenamedTo), [&](QStringView from, QStringView to) {
            const QString oldName = from.toString();
            const QString newName = to.toString();
            if (oldName == newName || !mayTouch(oldName) || !mayTouch(newName)) {
                return true;
            }
            if (platform::isOwnFile(folder, newName, {}, oldName)) {
                ++readings;
                found = {newName, oldName};
            } else if (!platform::hasEntry(folder, oldName) && platform::hasEntry(folder, newName)) {
                settled = true;
            }
            return true;
        });
        // A claim is taken only where one reading of the line shows it.
        if (readings == 1) {
            claims.push_back(std::move(found));
        }
    }
    return claims;
}

bool readyForRenames(const platform::FolderHandle& folder, const LeftClaims& claims, platform::RenameWay& way) {
    for (const LeftClaim& claim : claims) {
        (void)platform::removeOwnFile(folder, claim.name, {}, claim.lineOldName);
    }
    if (platform::showsLinksAsCopies(folder)) {
        (void)platform::removeLeftProbeFiles(folder);
    }
    way = platform::renameWayOf(folder);
    return way != platform::RenameWay::Unsafe;
}

} // namespace filarion::engine

#pragma once

#include "engine/name_list.h"

#include <QString>
#include <QStringView>

namespace filarion::engine {

// True when the name is the program's own file: its name part equals the program's name, whatever
// its extension (the name equals programName + GetExtension(name)). Letter case is ignored.
bool isProgramFile(QStringView name, QStringView programName);

// True when the name is the rename log's, letter case ignored.
bool isLogFile(QStringView name);

// True for the entries a run never renames nor numbers: the program's own file and the rename log.
bool IsSkippedEntry(QStringView name, QStringView programName);

// The values a run fixes in its pre-scan, before any file is renamed. All 32-bit: a working set may hold
// more than 32,767 entries.
struct RunValues {
    int count = 0;             // the entries of the working set, skipped ones included
    int ProgramFileIndex = -1; // the last entry that is the program's own file; -1 when none is
    int LogFileIndex = -1;     // the last entry that is the rename log; -1 when none is
    int LongestNameLength = 0; // the longest full name (extension included) among the entries not skipped
};

// The pre-scan of the working set, in list order.
RunValues scanWorkingSet(const NameList& files, QStringView programName);

} // namespace filarion::engine

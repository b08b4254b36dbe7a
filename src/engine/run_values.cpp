#include "engine/run_values.h"

#include "engine/name_helpers.h"
#include "engine/texts.h"

namespace filarion::engine {

bool isProgramFile(QStringView name, QStringView programName) {
    // programName + GetExtension(name) equals name exactly when the name part equals programName: the
    // extension is the same on both sides, and case folding maps every code unit on its own.
    // A program without a known name has no file in the folder.
    if (programName.isEmpty()) {
        return false;
    }
    const QStringView namePart = GetNamePart(name);
    return namePart.size() == programName.size() && namePart.compare(programName, Qt::CaseInsensitive) == 0;
}

bool isLogFile(QStringView name) {
    const QStringView logName(texts::kLogFileName);
    return name.size() == logName.size() && name.compare(logName, Qt::CaseInsensitive) == 0;
}

bool IsSkippedEntry(QStringView name, QStringView programName) {
    return isProgramFile(name, programName) || isLogFile(name);
}

RunValues scanWorkingSet(const NameList& files, QStringView programName) {
    RunValues values;
    values.count = static_cast<int>(files.size());
    for (int i = 0; i < values.count; ++i) {
        const QStringView name = files.at(i);
        const bool program = isProgramFile(name, programName);
        const bool log = isLogFile(name);
        if (program) {
            values.ProgramFileIndex = i;
        }
        if (log) {
            values.LogFileIndex = i;
        }
        if (!program && !log && name.size() > values.LongestNameLength) {
            values.LongestNameLength = static_cast<int>(name.size());
        }
    }
    return values;
}

} // namespace filarion::engine

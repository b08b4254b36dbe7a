#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace filarion::fuzz {

// One run of the prefix method: count entries, entry i named names[i % names.size()].
struct PrefixRun {
    int count = 0;
    int programFileIndex = -1;
    int logFileIndex = -1;
    QString prefix;
    QStringList names;
};

// Checks the new names of every entry that is not skipped. Empty when every property holds, otherwise
// the first that fails.
QString checkPrefixNumbering(const PrefixRun& run);

QString checkPrefixNumberingInput(const std::uint8_t* data, std::size_t size);

} // namespace filarion::fuzz

#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace filarion::fuzz {

// The inputs of one check of the name and path helpers.
struct NameHelperValues {
    QString name;      // split by GetExtension and GetNamePart; tested by HasIllegalChar
    QString text;      // repeated and inserted into; tested by HasIllegalChar
    QString insertion; // inserted; tested by HasIllegalChar
    int position = 0;
    int count = 0;
    QString folder; // joined with the name
};

// Checks the name and path helpers. Empty when every property holds, otherwise the first that fails.
QString checkNameHelpers(const NameHelperValues& values);

QString checkNameHelpersInput(const std::uint8_t* data, std::size_t size);

} // namespace filarion::fuzz

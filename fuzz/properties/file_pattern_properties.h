#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace filarion::fuzz {

// Checks the file-name pattern matcher for one pattern text and one name; letterCaseSeed chooses the
// letter case of every character of the name's variants. The result is empty when every property holds,
// otherwise it tells the first that fails.
QString checkFilePattern(const QString& pattern, const QString& name, unsigned letterCaseSeed);

// The same for the values read from a fuzzer's bytes.
QString checkFilePatternInput(const std::uint8_t* data, std::size_t size);

} // namespace filarion::fuzz

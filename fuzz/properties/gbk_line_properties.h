#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace filarion::fuzz {

// Checks the GBK line encoder: one encoder appends the lines first and then second to a buffer that
// already holds before. Empty when every property holds, otherwise the first that fails.
QString checkGbkLines(const QByteArray& before, const QString& first, const QString& second);

QString checkGbkLinesInput(const std::uint8_t* data, std::size_t size);

} // namespace filarion::fuzz

#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace filarion::fuzz {

// Reads typed values from the bytes a fuzzer hands over, front to back. Past the end every byte reads
// as 0 and every text stops, so any input, the empty one too, gives a complete set of values.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_next >= m_size; }
    std::uint8_t byte() { return atEnd() ? 0 : m_data[m_next++]; }

    // A value in low..high (low <= high), from as few bytes as the range needs.
    long long number(long long low, long long high);

    // A text of at most maxLength UTF-16 code units: its length, then one character per byte. Plain
    // bytes are ASCII (wildcards, dots and separators included); the rest pick characters that have
    // tripped up case folding, GBK or digit tests, or any code unit at all (lone surrogates too).
    QString text(qsizetype maxLength);

    // A text made mostly of decimal digits and signs, now and then another character.
    QString integerText(qsizetype maxLength);

private:
    // Appends the character selected by the byte; false when it would not fit in maxLength.
    bool appendCharacter(QString& out, std::uint8_t selector, qsizetype maxLength);

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_next = 0;
};

} // namespace filarion::fuzz

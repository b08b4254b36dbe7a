#include "fuzz_input.h"

#include <array>

namespace filarion::fuzz {

namespace {

// Characters that break naive assumptions: case mappings that change the letter or the length, GBK
// double-byte characters whose trail byte is an ASCII code, characters GBK cannot hold or that an
// encoder may drop, digits that are not ASCII, and the halves of a surrogate pair on their own.
constexpr std::array<char32_t, 64> kTrickyCharacters = {
    0x00DF, 0x1E9E, 0x0131, 0x0130,  0x212A,  0x017F,  0x03A3,  0x03C3,  0x03C2,  0x01C4, 0x01C5, 0x01C6, 0x00E9,
    0x00C9, 0x4E2D, 0x6587, 0x4EF6,  0x8868,  0x4E57,  0x50DC,  0xFF10,  0xFF19,  0xFF0B, 0xFF0D, 0xFF0A, 0xFF1F,
    0xFF1B, 0xFF0E, 0x3002, 0x20AC,  0x0080,  0x00B7,  0x30FB,  0x200B,  0x00AD,  0xFEFF, 0x200E, 0x3164, 0xFFFD,
    0xE000, 0xD83D, 0xDE00, 0x1F600, 0x10400, 0x10428, 0x20000, 0xE0001, 0x1D173, 0x13A0, 0xAB70, 0xFB00, 0x0660,
    0x0663, 0x00B2, 0x2028, 0x0000,  0x00A0,  0x3000,  0xAC00,  0x0627,  0x1E9B,  0x0345, 0x03B9, 0x2126};

} // namespace

long long FuzzInput::number(long long low, long long high) {
    const unsigned long long span = static_cast<unsigned long long>(high - low) + 1;
    unsigned long long value = 0;
    for (unsigned long long reach = 1; reach < span && reach != 0; reach <<= 8) {
        value = (value << 8) | byte();
    }
    return low + static_cast<long long>(span == 0 ? value : value % span);
}

bool FuzzInput::appendCharacter(QString& out, std::uint8_t selector, qsizetype maxLength) {
    char32_t code = selector;
    if (selector >= 0xC0) {
        code = static_cast<char32_t>(byte()) << 8;
        code |= byte();
    } else if (selector >= 0x80) {
        code = kTrickyCharacters[selector - 0x80];
    }
    const qsizetype units = code > 0xFFFF ? 2 : 1;
    if (out.size() + units > maxLength) {
        return false;
    }
    if (units == 2) {
        out.append(QChar::highSurrogate(code)).append(QChar::lowSurrogate(code));
    } else {
        out.append(QChar(static_cast<char16_t>(code)));
    }
    return true;
}

QString FuzzInput::text(qsizetype maxLength) {
    const qsizetype length = number(0, maxLength);
    QString out;
    while (out.size() < length && !atEnd()) {
        if (!appendCharacter(out, byte(), length)) {
            break;
        }
    }
    return out;
}

QString FuzzInput::integerText(qsizetype maxLength) {
    static constexpr char16_t kDigitsAndSigns[] = u"0123456789+-";
    const qsizetype length = number(0, maxLength);
    QString out;
    while (out.size() < length && !atEnd()) {
        const std::uint8_t selector = byte();
        if (selector < 0xE0) {
            out.append(QChar(kDigitsAndSigns[selector % 12]));
        } else if (!appendCharacter(out, byte(), length)) {
            break;
        }
    }
    return out;
}

} // namespace filarion::fuzz

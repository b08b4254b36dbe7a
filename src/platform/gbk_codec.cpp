#include "platform/gbk_codec.h"

namespace filarion::platform {

namespace {

QStringEncoder makeGbkEncoder() {
    // Stateless: nothing of one text (a lone high surrogate at its end) carries over into the next.
    return QStringEncoder("GBK", QStringConverter::Flag::Stateless);
}

// The characters ICU's GBK converter leaves out instead of writing '?': the default-ignorable code points,
// none of which GBK holds.
bool isLeftOutByConverter(char32_t c) {
    return c == 0x00AD || c == 0x034F || c == 0x061C || (c >= 0x115F && c <= 0x1160) || (c >= 0x17B4 && c <= 0x17B5) ||
           (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFA0 ||
           (c >= 0xFFF0 && c <= 0xFFF8) || (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A) ||
           (c >= 0xE0000 && c <= 0xE0FFF);
}

// The number of code units of the character at i; negative when the converter would not write it as
// '?' although GBK cannot hold it (a lone surrogate, a left-out character).
qsizetype characterAt(QStringView text, qsizetype i) {
    const QChar c = text[i];
    if (c.unicode() < 0x00AD) {
        return 1;
    }
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        return isLeftOutByConverter(QChar::surrogateToUcs4(c, text[i + 1])) ? -2 : 2;
    }
    return c.isSurrogate() || isLeftOutByConverter(c.unicode()) ? -1 : 1;
}

} // namespace

bool gbkCodecAvailable() {
    return makeGbkEncoder().isValid();
}

GbkEncoder::GbkEncoder() : m_encoder(makeGbkEncoder()) {}

void GbkEncoder::append(QStringView text, QByteArray& out) {
    // ASCII is the same bytes in GBK: most lines need no converter at all.
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* bytes = out.data() + start;
    const char16_t* units16 = text.utf16();
    qsizetype ascii = 0;
    while (ascii < text.size() && units16[ascii] < 0x80) {
        bytes[ascii] = static_cast<char>(units16[ascii]);
        ++ascii;
    }
    if (ascii == text.size()) {
        return;
    }
    out.resize(start);
    qsizetype i = 0;
    qsizetype units = 1;
    while (i < text.size() && (units = characterAt(text, i)) > 0) {
        i += units;
    }
    if (i == text.size()) {
        appendConverted(text, out);
        return;
    }
    // Rare: such a character becomes '?' here, as every character GBK cannot hold.
    QString substituted;
    substituted.reserve(text.size());
    substituted.append(text.left(i));
    while (i < text.size()) {
        units = characterAt(text, i);
        if (units < 0) {
            substituted.append(u'?');
            i -= units;
        } else {
            substituted.append(text.mid(i, units));
            i += units;
        }
    }
    appendConverted(substituted, out);
}

void GbkEncoder::appendConverted(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    out.resize(start + m_encoder.requiredSpace(text.size()));
    char* end = m_encoder.appendToBuffer(out.data() + start, text);
    out.resize(end - out.constData());
}

void GbkEncoder::appendRecord(QStringView text, QByteArray& out) {
    const qsizetype start = out.size();
    // ASCII, the usual line, is copied and checked for line breaks in one pass.
    out.resize(start + text.size() + 2);
    char* bytes = out.data() + start;
    const char16_t* units = text.utf16();
    qsizetype ascii = 0;
    for (; ascii < text.size() && units[ascii] < 0x80; ++ascii) {
        const auto c = static_cast<char>(units[ascii]);
        bytes[ascii] = c == '\r' || c == '\n' ? '?' : c;
    }
    if (ascii == text.size()) {
        bytes[ascii] = '\r';
        bytes[ascii + 1] = '\n';
        return;
    }
    out.resize(start);
    append(text, out);
    // CR and LF never occur inside a GBK double-byte character (trail bytes start at 0x40).
    for (qsizetype i = start; i < out.size(); ++i) {
        if (out[i] == '\r' || out[i] == '\n') {
            out[i] = '?';
        }
    }
    out.append("\r\n", 2);
}

QByteArray GbkEncoder::encode(QStringView text) {
    QByteArray out;
    append(text, out);
    return out;
}

} // namespace filarion::platform

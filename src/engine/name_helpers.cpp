#include "engine/name_helpers.h"

#include "platform/gbk_codec.h"

#include <QByteArray>
#include <QDir>
#include <algorithm>
#include <array>

namespace filarion::engine {

QString RepeatString(QStringView text, int count) {
    QString repeated;
    if (count <= 0 || text.isEmpty()) {
        return repeated;
    }
    repeated.reserve(text.size() * count);
    for (int k = 0; k < count; ++k) {
        repeated.append(text);
    }
    return repeated;
}

bool HasIllegalChar(QStringView text) {
    if (text.isEmpty()) {
        return false;
    }
    // Each character is judged by its GBK code: a double-byte character (lead byte 81 to FE) is skipped
    // whole, as its trail byte may equal an ASCII code; a character GBK cannot hold arrives as '?'. The
    // converter also writes two characters as one byte, 80 and FF, which lead nothing.
    thread_local platform::GbkEncoder encoder;
    const QByteArray bytes = encoder.encode(text);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x81 && byte <= 0xFE) {
            ++i;
            continue;
        }
        switch (byte) {
        case '\0': // a file name ends at it: the name would be cut short on disk
        case '"':
        case '*':
        case '/':
        case ':':
        case '<':
        case '>':
        case '?':
        case '\\':
        case '|':
            return true;
        default:
            break;
        }
    }
    return false;
}

QStringView GetExtension(QStringView name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QStringView() : name.mid(dot);
}

QStringView GetNamePart(QStringView name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString JoinPath(const QString& folder, const QString& name) {
    const QChar separator = QDir::separator();
    if (!folder.isEmpty() && folder.back() == separator) {
        return folder + name;
    }
    return folder + separator + name;
}

QString InsertString(QStringView text, QStringView insertion, int position) {
    const qsizetype at = std::clamp<qsizetype>(position, 0, text.size());
    QString result;
    result.reserve(text.size() + insertion.size());
    result.append(text.left(at)).append(insertion).append(text.mid(at));
    return result;
}

void appendDecimal(QString& out, long long value) {
    std::array<char16_t, 24> digits{};
    std::size_t start = digits.size();
    unsigned long long rest = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    do {
        digits[--start] = static_cast<char16_t>(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) {
        digits[--start] = u'-';
    }
    out.append(QStringView(digits.data() + start, static_cast<qsizetype>(digits.size() - start)));
}

} // namespace filarion::engine

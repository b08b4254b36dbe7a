#include "engine/name_helpers.h"

#include "platform/gbk_text.h"

#include <QByteArray>
#include <QDir>

namespace filarion::engine {

QString RepeatString(const QString& text, int count) {
    if (count <= 0 || text.isEmpty()) {
        return {};
    }
    return text.repeated(count);
}

bool HasIllegalChar(QStringView text) {
    if (text.isEmpty()) {
        return false;
    }
    // Each character is judged by its GBK code: a double-byte character is skipped whole (its
    // trail byte may equal an ASCII code), and a character GBK cannot hold arrives as '?'.
    thread_local platform::GbkEncoder encoder;
    const QByteArray bytes = encoder.encode(text);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x81) {
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

QString GetExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString GetNamePart(const QString& name) {
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

QString InsertString(const QString& text, const QString& insertion, int position) {
    if (position <= 0) {
        return insertion + text;
    }
    if (position >= text.size()) {
        return text + insertion;
    }
    QString result;
    result.reserve(text.size() + insertion.size());
    result.append(QStringView(text).left(position)).append(insertion).append(QStringView(text).mid(position));
    return result;
}

} // namespace filarion::engine

#include "platform/program_info.h"

#include <QFile>
#include <climits>
#include <unistd.h>

namespace filarion::platform {

QString programPath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0) {
        return {};
    }
    return QFile::decodeName(QByteArray(buffer, static_cast<qsizetype>(length)));
}

QString programFolder() {
    const QString path = programPath();
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) {
        return {};
    }
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString programBaseName() {
    const QString path = programPath();
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

} // namespace filarion::platform

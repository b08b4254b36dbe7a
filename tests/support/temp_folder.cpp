#include "support/temp_folder.h"

#include "platform/gbk_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

namespace filarion::test {

TempFolder::TempFolder() : m_path(m_dir.path()) {
    if (!m_dir.isValid()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
}

TempFolder::TempFolder(const QString& parent) : m_dir(parent + QStringLiteral("/trial-XXXXXX")), m_path(m_dir.path()) {
    if (!m_dir.isValid()) {
        throw std::runtime_error("cannot create a temporary folder in " + parent.toStdString());
    }
}

QString TempFolder::filePath(const QString& name) const {
    return m_path + u'/' + name;
}

void TempFolder::touch(const QString& name) const {
    write(name, name.toUtf8());
}

void TempFolder::write(const QString& name, const QByteArray& bytes) const {
    QFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write test file " + name.toStdString());
    }
}

void TempFolder::makeFolder(const QString& name) const {
    if (!QDir(m_path).mkpath(name)) {
        throw std::runtime_error("cannot create test folder " + name.toStdString());
    }
}

QByteArray TempFolder::read(const QString& name) const {
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

bool TempFolder::exists(const QString& name) const {
    return QFileInfo::exists(filePath(name)) || QFileInfo(filePath(name)).isSymLink();
}

QStringList TempFolder::entries() const {
    QStringList names = QDir(m_path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray gbkLines(const QStringList& lines) {
    platform::GbkEncoder encoder;
    QByteArray out;
    for (const QString& line : lines) {
        encoder.appendRecord(line, out);
    }
    return out;
}

} // namespace filarion::test

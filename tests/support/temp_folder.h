#pragma once

#include "support/printers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace filarion::test {

// A real temporary folder for one test, removed afterwards.
class TempFolder {
public:
    TempFolder();
    // A temporary folder inside the given one (a folder on another file system).
    explicit TempFolder(const QString& parent);

    const QString& path() const { return m_path; }
    QString filePath(const QString& name) const;

    // Creates (or replaces) a file with the given bytes; by default its own name, so contents tell files apart.
    void touch(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    void makeFolder(const QString& name) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

    // Every entry name in the folder, sorted by code point.
    QStringList entries() const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// The GBK bytes of the lines, each followed by CR LF.
QByteArray gbkLines(const QStringList& lines);

} // namespace filarion::test

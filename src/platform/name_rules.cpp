#include "platform/name_rules.h"

#include "platform/folder_handle.h"

#include <QFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>

namespace filarion::platform {

namespace {

// Every file system takes a name of this many bytes, if its own limit is not lower; exFAT and FAT take longer
// ones as long as they are at most 255 UTF-16 units.
constexpr qsizetype kNameBytesEverywhere = 255;

QString upperEachUnit(QString name) {
    for (QChar& unit : name) {
        unit = QChar(static_cast<char16_t>(QChar::toUpper(unit.unicode())));
    }
    return name;
}

QString foldedAs(NameCase nameCase, QStringView name) {
    switch (nameCase) {
    case NameCase::Exact:
        break;
    case NameCase::Upper:
        return upperEachUnit(name.toString());
    case NameCase::CaseFolded:
        return name.toString().normalized(QString::NormalizationForm_D).toCaseFolded();
    }
    return name.toString();
}

// encodeEntryName, with a shortcut for a name of ASCII only, whose bytes are its units (written into the
// buffer's own room: no allocation once it is large enough).
bool encodeName(QStringView name, QByteArray& bytes) {
    const qsizetype size = name.size();
    if (size == 0) {
        return false;
    }
    bytes.resize(size);
    char* out = bytes.data();
    const char16_t* in = name.utf16();
    for (qsizetype i = 0; i < size; ++i) {
        if (in[i] >= 0x80) {
            std::optional<QByteArray> encoded = encodeEntryName(name.toString());
            bytes = encoded.value_or(QByteArray());
            return encoded.has_value();
        }
        if (in[i] == u'\0' || in[i] == u'/') {
            return false;
        }
        out[i] = static_cast<char>(in[i]);
    }
    return true;
}

} // namespace

void NameRules::read(int heldFolder, int readableFolder) {
    m_case = NameCase::Exact;
    m_folder.reset(::fcntl(heldFolder, F_DUPFD_CLOEXEC, 0));
    struct statfs fs {};
    const bool typed = ::fstatfs(heldFolder, &fs) == 0;
    m_longestName = typed && fs.f_namelen > 0 ? static_cast<qsizetype>(fs.f_namelen) : kNameBytesEverywhere;
    if (typed && (fs.f_type == MSDOS_SUPER_MAGIC || fs.f_type == EXFAT_SUPER_MAGIC)) {
        m_case = NameCase::Upper;
    }
    int flags = 0;
    if (::ioctl(readableFolder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0) {
        m_case = NameCase::CaseFolded;
    }
}

bool NameRules::keyOf(QStringView name, QByteArray& key) const {
    if (!encodeName(name, key)) {
        return false;
    }
    foldKey(name, key);
    return true;
}

bool NameRules::storableKeyOf(QStringView name, QByteArray& key) const {
    if (!encodeName(name, key) || !fits(key)) {
        return false;
    }
    foldKey(name, key);
    return true;
}

void NameRules::foldKey(QStringView name, QByteArray& bytes) const {
    if (m_case != NameCase::Exact) {
        bytes = QFile::encodeName(foldedAs(m_case, name));
    }
}

QByteArray NameRules::keyOfBytes(const QByteArray& bytes) const {
    const QString name = QFile::decodeName(bytes);
    return QFile::encodeName(name) == bytes ? QFile::encodeName(foldedAs(m_case, name)) : bytes;
}

bool NameRules::answersLookUp(const QByteArray& bytes) const {
    struct stat st {};
    return ::fstatat(m_folder.get(), bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Beyond what every file system takes, the folder is asked by a look-up, which fails with ENAMETOOLONG exactly
// where the rename would.
bool NameRules::fits(const QByteArray& bytes) const {
    if (bytes.size() <= std::min(m_longestName, kNameBytesEverywhere) || !m_folder.isOpen()) {
        return bytes.size() <= m_longestName;
    }
    struct stat st {};
    if (::fstatat(m_folder.get(), bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno == ENOENT) {
        return true;
    }
    return errno != ENAMETOOLONG && bytes.size() <= m_longestName;
}

} // namespace filarion::platform

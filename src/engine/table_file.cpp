#include "engine/table_file.h"

#include "engine/texts.h"
#include "platform/folder_handle.h"
#include "platform/gbk_save_file.h"
#include "platform/whole_file.h"

#include <QFileInfo>
#include <QHashFunctions>
#include <QStringDecoder>
#include <bit>

namespace filarion::engine {

namespace {

constexpr std::uint32_t kFree = UINT32_MAX;
// A table of a million rows of long names stays far below this.
constexpr qsizetype kLargestTableFile = qsizetype(1) << 30;

QString message(const char16_t* text, qsizetype number) {
    return QString::fromUtf16(text).arg(number);
}

} // namespace

NameIndex::NameIndex(const NameList& names) : m_names(names) {
    m_slots.assign(std::bit_ceil(std::size_t(2 * names.size() + 2)), kFree);
    const std::size_t mask = m_slots.size() - 1;
    for (qsizetype i = 0; i < names.size(); ++i) {
        std::size_t slot = qHash(names.at(i), 0) & mask;
        while (m_slots[slot] != kFree && names.at(m_slots[slot]) != names.at(i)) {
            slot = (slot + 1) & mask;
        }
        if (m_slots[slot] == kFree) {
            m_slots[slot] = static_cast<std::uint32_t>(i); // a repeated name keeps its first row
        }
    }
}

qsizetype NameIndex::find(QStringView name) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = qHash(name, 0) & mask; m_slots[slot] != kFree; slot = (slot + 1) & mask) {
        if (m_names.at(m_slots[slot]) == name) {
            return m_slots[slot];
        }
    }
    return -1;
}

QString decodeTableText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.sliced(3));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder gbk("GBK");
    return gbk.decode(bytes);
}

std::optional<QString> takeTableText(QStringView text, const NameList& oldNames, NameList& newNames) {
    const qsizetype rows = oldNames.size();
    const bool twoColumns = text.contains(u'\t');
    // Per row: the line that names it, where one does; the new names are put together only once all is well.
    std::vector<qsizetype> lineOf(static_cast<std::size_t>(rows), -1);
    std::vector<QStringView> given(static_cast<std::size_t>(rows));
    std::optional<QString> refusal;
    if (twoColumns) {
        const NameIndex index(oldNames);
        forEachLine(text, [&](QStringView line, qsizetype number) {
            const qsizetype tab = line.indexOf(u'\t');
            if (line.isEmpty()) {
                return true;
            }
            if (tab < 0) {
                refusal = message(texts::kTableMixed, number);
                return false;
            }
            const qsizetype row = index.find(line.first(tab));
            if (row < 0) {
                refusal = message(texts::kTableNoRow, number);
                return false;
            }
            if (lineOf[std::size_t(row)] >= 0) {
                refusal = message(texts::kTableTwice, number);
                return false;
            }
            lineOf[std::size_t(row)] = number;
            given[std::size_t(row)] = line.sliced(tab + 1);
            return true;
        });
    } else {
        qsizetype lines = 0;
        forEachLine(text, [&](QStringView line, qsizetype number) {
            if (number <= rows) {
                lineOf[std::size_t(number - 1)] = number;
                given[std::size_t(number - 1)] = line;
            }
            lines = number;
            return true;
        });
        if (lines != rows) {
            refusal = QString::fromUtf16(texts::kTableLineCount).arg(lines).arg(rows);
        }
    }
    if (refusal) {
        return refusal;
    }
    NameList taken;
    taken.reserve(rows, newNames.text().size() + text.size());
    for (qsizetype i = 0; i < rows; ++i) {
        taken.append(lineOf[std::size_t(i)] >= 0 ? given[std::size_t(i)]
                     : i < newNames.size()       ? newNames.at(i)
                                                 : oldNames.at(i));
    }
    newNames = std::move(taken);
    return std::nullopt;
}

std::optional<QString> importTableFile(const QString& path, const NameList& oldNames, NameList& newNames) {
    QByteArray bytes;
    if (platform::readWholeFile(path, kLargestTableFile, bytes)) {
        return QString::fromUtf16(texts::kTableUnreadable);
    }
    return takeTableText(decodeTableText(bytes), oldNames, newNames);
}

std::optional<QString> exportTableFile(const QString& path, const NameList& oldNames, const NameList& newNames) {
    const QFileInfo info(path);
    platform::FolderHandle folder;
    platform::HeldFile existing;
    if (folder.open(info.absolutePath())) {
        return QString::fromUtf16(texts::kTableNotWritten);
    }
    // The desktop's file dialog asked before it gave the name of a file that is there.
    const bool replaces = existing.open(folder, info.fileName());
    platform::GbkSaveFile file(folder, info.fileName(), replaces ? &existing : nullptr);
    if (file.open()) {
        return QString::fromUtf16(texts::kTableNotWritten);
    }
    QString line;
    for (qsizetype i = 0; i < oldNames.size(); ++i) {
        line.clear();
        line.append(oldNames.at(i)).append(u'\t').append(i < newNames.size() ? newNames.at(i) : oldNames.at(i));
        file.writeLine(line);
    }
    if (file.commit()) {
        return QString::fromUtf16(texts::kTableNotWritten);
    }
    return std::nullopt;
}

std::optional<QString> readTableRequest(const QString& folder, const NameList& files, const QString& tablePath,
                                        RenameTable& table) {
    RenameTable read{folder, files, files};
    if (std::optional<QString> refusal = importTableFile(tablePath, read.OldNames, read.NewNames)) {
        return refusal;
    }
    table = std::move(read);
    return std::nullopt;
}

} // namespace filarion::engine

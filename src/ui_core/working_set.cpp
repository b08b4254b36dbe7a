#include "ui_core/working_set.h"

#include "platform/folder_listing.h"
#include "ui_core/file_pattern.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace filarion::ui {

namespace {

// The order of the file list: by the case-folded names, unit by unit, the exact names breaking ties
// so the order is total. The folded keys lie one after another in one buffer; a sort row carries the
// eight units that follow the prefix all keys share, packed into two integers, so most comparisons
// of a sort never touch the keys.
class FoldedOrder {
public:
    // Appends the folded key of the next name and returns it; valid until the next call.
    QStringView add(QStringView name) {
        const std::size_t start = m_keys.size();
        appendCaseFolded(name, m_keys);
        Row row;
        row.keyStart = static_cast<std::uint32_t>(start);
        row.keyLength = static_cast<std::uint32_t>(m_keys.size() - start);
        row.index = static_cast<std::uint32_t>(m_rows.size());
        m_rows.push_back(row);
        return key(row);
    }

    // Forgets the name added last.
    void dropLast() {
        m_keys.resize(m_rows.back().keyStart);
        m_rows.pop_back();
    }

    // Takes the names, given in the order they were added, and returns them in file list order.
    QStringList sorted(QStringList names) {
        const qsizetype shared = sharedPrefixLength();
        for (Row& row : m_rows) {
            row.head0 = packUnits(row, shared);
            row.head1 = packUnits(row, shared + kUnitsPerHead);
        }
        const qsizetype tailStart = shared + 2 * kUnitsPerHead;
        std::sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) {
            if (a.head0 != b.head0) {
                return a.head0 < b.head0;
            }
            if (a.head1 != b.head1) {
                return a.head1 < b.head1;
            }
            // Equal heads: both keys run past them, or both end at the same unit within them.
            const int byKey = tail(a, tailStart).compare(tail(b, tailStart));
            if (byKey != 0) {
                return byKey < 0;
            }
            return QStringView(names[a.index]).compare(QStringView(names[b.index])) < 0;
        });
        QStringList result;
        result.reserve(static_cast<qsizetype>(m_rows.size()));
        for (const Row& row : m_rows) {
            result.push_back(std::move(names[row.index]));
        }
        return result;
    }

private:
    static constexpr qsizetype kUnitsPerHead = 4;

    struct Row {
        std::uint64_t head0 = 0; // key units shared .. shared + 3, the first in the top bits; 0 past the end
        std::uint64_t head1 = 0; // the four units after those
        std::uint32_t keyStart = 0;
        std::uint32_t keyLength = 0;
        std::uint32_t index = 0; // of the name, in the order added
    };

    QStringView key(const Row& row) const {
        return QStringView(m_keys.data() + row.keyStart, static_cast<qsizetype>(row.keyLength));
    }

    QStringView tail(const Row& row, qsizetype from) const {
        const QStringView whole = key(row);
        return from < whole.size() ? whole.sliced(from) : QStringView();
    }

    // No file name holds the unit 0, so padding with it sorts a key before its longer extensions.
    std::uint64_t packUnits(const Row& row, qsizetype from) const {
        const QStringView whole = key(row);
        std::uint64_t packed = 0;
        for (qsizetype i = from; i < from + kUnitsPerHead; ++i) {
            packed = (packed << 16) | (i < whole.size() ? whole[i].unicode() : 0U);
        }
        return packed;
    }

    qsizetype sharedPrefixLength() const {
        if (m_rows.empty()) {
            return 0;
        }
        const QStringView first = key(m_rows.front());
        qsizetype shared = first.size();
        for (const Row& row : m_rows) {
            const QStringView other = key(row);
            const qsizetype limit = std::min(shared, other.size());
            qsizetype i = 0;
            while (i < limit && first[i] == other[i]) {
                ++i;
            }
            shared = i;
        }
        return shared;
    }

    std::u16string m_keys;
    std::vector<Row> m_rows;
};

} // namespace

void sortNames(QStringList& names) {
    FoldedOrder order;
    for (const QString& name : names) {
        order.add(name);
    }
    names = order.sorted(std::move(names));
}

std::error_code WorkingSet::refresh() {
    const FilePattern pattern(m_pattern);
    FoldedOrder order;
    QStringList names;
    const platform::ListFilter filesOnly{platform::EntryKind::File, false};
    const std::error_code error = platform::listFolder(m_folder, filesOnly, [&](platform::FolderEntry&& entry) {
        // The key folded for the sort is the name the pattern is tested on.
        if (!pattern.matchesFolded(order.add(entry.name))) {
            order.dropLast();
            return;
        }
        names.push_back(std::move(entry.name));
    });
    if (error) {
        m_names.clear();
        return error;
    }
    m_names = order.sorted(std::move(names));
    return {};
}

} // namespace filarion::ui

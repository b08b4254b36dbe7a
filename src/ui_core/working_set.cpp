#include "ui_core/working_set.h"

#include "platform/folder_listing.h"
#include "ui_core/file_pattern.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace filarion::ui_core {

namespace {

// The order of the file list: by the case-folded names, unit by unit, the exact names breaking ties
// so the order is total. A sort row carries the eight folded units that follow the prefix all keys
// share, packed into two integers, so most comparisons of a sort never fold a name; the others fold the
// two names again. No folded key is kept: a row is 24 bytes whatever the name.
// nameOf(k) gives name k (0 ..) as a QStringView.
template <typename NameOf> class FoldedOrder {
public:
    explicit FoldedOrder(NameOf nameOf) : m_nameOf(std::move(nameOf)) {}

    // Folds a name into a scratch key and returns it; valid until the next call.
    QStringView fold(QStringView name) {
        m_scratch.clear();
        appendCaseFolded(name, m_scratch);
        return QStringView(m_scratch.data(), static_cast<qsizetype>(m_scratch.size()));
    }

    // Takes the key last folded as that of the next name, for the prefix that all keys share.
    void keep() {
        if (m_kept++ == 0) {
            m_first = m_scratch;
            m_shared = m_first.size();
            return;
        }
        const std::size_t limit = std::min(m_shared, m_scratch.size());
        std::size_t i = 0;
        while (i < limit && m_first[i] == m_scratch[i]) {
            ++i;
        }
        m_shared = i;
    }

    // The kept names, 0 .. count - 1, in file list order.
    QList<std::uint32_t> sorted(std::uint32_t count) {
        std::vector<Row> rows(count);
        const auto shared = static_cast<qsizetype>(m_shared);
        for (std::uint32_t k = 0; k < count; ++k) {
            const QStringView name = m_nameOf(k);
            const QStringView key = fold(name);
            rows[k] = {packUnits(key, shared), packUnits(key, shared + kUnitsPerHead), k, isAscii(name)};
        }
        const qsizetype tailStart = shared + 2 * kUnitsPerHead;
        std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
            if (a.head0 != b.head0) {
                return a.head0 < b.head0;
            }
            if (a.head1 != b.head1) {
                return a.head1 < b.head1;
            }
            // Equal heads: both keys run past them, or both end at the same unit within them.
            const QStringView nameA = m_nameOf(a.index);
            const QStringView nameB = m_nameOf(b.index);
            if (a.ascii && b.ascii) {
                // An ASCII name is its key but for the letters' case, unit for unit: no folding needed.
                const int byKey = compareAsciiFolded(nameA, nameB, tailStart);
                return byKey != 0 ? byKey < 0 : nameA.compare(nameB) < 0;
            }
            m_tailA.clear();
            appendCaseFolded(nameA, m_tailA);
            m_tailB.clear();
            appendCaseFolded(nameB, m_tailB);
            const int byKey = tail(m_tailA, tailStart).compare(tail(m_tailB, tailStart));
            if (byKey != 0) {
                return byKey < 0;
            }
            return nameA.compare(nameB) < 0;
        });
        QList<std::uint32_t> order;
        order.reserve(static_cast<qsizetype>(count));
        for (const Row& row : rows) {
            order.push_back(row.index);
        }
        return order;
    }

private:
    static constexpr qsizetype kUnitsPerHead = 4;

    struct Row {
        std::uint64_t head0 = 0; // key units shared .. shared + 3, the first in the top bits; 0 past the end
        std::uint64_t head1 = 0; // the four units after those
        std::uint32_t index = 0; // of the name
        bool ascii = false;      // the name is all ASCII
    };

    static bool isAscii(QStringView name) {
        return std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    }

    static char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c; }

    // The keys of two ASCII names compared from the unit at `from` on.
    static int compareAsciiFolded(QStringView a, QStringView b, qsizetype from) {
        for (qsizetype i = from;; ++i) {
            if (i >= a.size() || i >= b.size()) {
                return i < a.size() ? 1 : i < b.size() ? -1 : 0;
            }
            const char16_t x = lowerAscii(a[i].unicode());
            const char16_t y = lowerAscii(b[i].unicode());
            if (x != y) {
                return x < y ? -1 : 1;
            }
        }
    }

    static QStringView tail(const std::u16string& key, qsizetype from) {
        const QStringView whole(key.data(), static_cast<qsizetype>(key.size()));
        return from < whole.size() ? whole.sliced(from) : QStringView();
    }

    // No file name holds the unit 0, so padding with it sorts a key before its longer extensions.
    static std::uint64_t packUnits(QStringView key, qsizetype from) {
        std::uint64_t packed = 0;
        for (qsizetype i = from; i < from + kUnitsPerHead; ++i) {
            packed = (packed << 16) | (i < key.size() ? key[i].unicode() : 0U);
        }
        return packed;
    }

    NameOf m_nameOf;
    std::u16string m_scratch;
    std::u16string m_first;
    std::u16string m_tailA;
    std::u16string m_tailB;
    std::size_t m_shared = 0;
    std::size_t m_kept = 0;
};

template <typename NameOf> FoldedOrder<NameOf> foldedOrder(NameOf nameOf) {
    return FoldedOrder<NameOf>(std::move(nameOf));
}

} // namespace

void sortNames(QStringList& names) {
    auto order = foldedOrder([&names](std::uint32_t k) { return QStringView(names[static_cast<qsizetype>(k)]); });
    for (const QString& name : names) {
        (void)order.fold(name);
        order.keep();
    }
    const QList<std::uint32_t> sorted = order.sorted(static_cast<std::uint32_t>(names.size()));
    QStringList result;
    result.reserve(names.size());
    for (const std::uint32_t k : sorted) {
        result.push_back(std::move(names[static_cast<qsizetype>(k)]));
    }
    names = std::move(result);
}

QStringList WorkingSet::names() const {
    QStringList names;
    names.reserve(m_names.order.size());
    for (int i = 0; i < count(); ++i) {
        names.push_back(nameAt(i));
    }
    return names;
}

engine::NameList WorkingSet::nameList() {
    if (m_listed.isEmpty() && count() > 0) {
        engine::NameList names;
        names.reserve(count(), m_names.text.size());
        for (int i = 0; i < count(); ++i) {
            names.append(nameViewAt(i));
        }
        m_listed = std::move(names);
        m_names = {};
    }
    return m_listed;
}

int WorkingSet::indexOf(QStringView name) const {
    for (int i = 0; i < count(); ++i) {
        if (nameViewAt(i) == name) {
            return i;
        }
    }
    return -1;
}

void WorkingSet::clear() {
    m_names = {};
    m_listed = {};
}

std::error_code WorkingSet::take(FolderReading&& reading) {
    m_folder = reading.m_folder;
    m_pattern = reading.m_pattern.value_or(QString());
    m_names = std::move(reading.m_files);
    m_listed = {};
    return reading.m_error;
}

std::error_code WorkingSet::refresh() {
    // The set read before goes first: a new reading replaces it whole, or leaves it empty on an error.
    clear();
    return take(FolderReading(m_folder, m_pattern, false));
}

FolderReading::FolderReading(const QString& folder, const std::optional<QString>& pattern, bool withSubfolders)
    : m_folder(folder), m_pattern(pattern) {
    const std::optional<FilePattern> matcher =
        pattern ? std::optional<FilePattern>(std::in_place, *pattern) : std::optional<FilePattern>();
    WorkingSet::Names files;
    files.starts.push_back(0);
    auto order = foldedOrder([&files](std::uint32_t k) {
        const auto start = static_cast<qsizetype>(files.starts[k]);
        return QStringView(files.text).sliced(start, static_cast<qsizetype>(files.starts[k + 1]) - start);
    });
    QStringList subfolders;
    std::error_code tooMany;
    platform::ListFilter filter{platform::EntryKind::File, false, withSubfolders};
    if (!pattern) {
        filter.kind = platform::EntryKind::Folder;
    }
    m_error = platform::listFolder(folder, filter, [&](platform::FolderEntry&& entry) {
        if (entry.kind == platform::EntryKind::Folder) {
            if (withSubfolders) {
                subfolders.push_back(entry.name);
            }
            return;
        }
        // The key folded for the sort is the name the pattern is tested on.
        if (tooMany || !matcher->matchesFolded(order.fold(entry.name))) {
            return;
        }
        // Starts are 32 bits: no folder's names come near 4 G units.
        if (files.text.size() + entry.name.size() > static_cast<qsizetype>(UINT32_MAX)) {
            tooMany = std::make_error_code(std::errc::value_too_large);
            return;
        }
        order.keep();
        files.text.append(entry.name);
        files.starts.push_back(static_cast<std::uint32_t>(files.text.size()));
    });
    if (!m_error && tooMany) {
        m_error = tooMany;
    }
    if (m_error) {
        return;
    }
    files.order = order.sorted(static_cast<std::uint32_t>(files.starts.size() - 1));
    files.text.squeeze();
    files.starts.squeeze();
    m_files = std::move(files);
    sortNames(subfolders);
    m_subfolders = std::move(subfolders);
}

} // namespace filarion::ui_core

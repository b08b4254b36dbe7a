#include "engine/rename_table.h"
#include "engine/run_values.h"
#include "engine/texts.h"
#include "platform/gbk_codec.h"

#include <QHashFunctions>
#include <bit>

namespace filarion::engine {

namespace {

bool isIllegalUnit(char16_t unit) {
    switch (unit) {
    case u'"':
    case u'*':
    case u'/':
    case u':':
    case u'<':
    case u'>':
    case u'?':
    case u'\\':
    case u'|':
    case 0x7F:
        return true;
    default:
        return unit < 0x20;
    }
}

// The first check of a name of its own that fails, before any that compares it with other names.
TableRowState ownState(QStringView name, QStringView programName, platform::GbkEncoder& encoder, QByteArray& encoded) {
    if (name.isEmpty()) {
        return TableRowState::Empty;
    }
    bool ascii = true;
    for (const QChar c : name) {
        if (isIllegalUnit(c.unicode())) {
            return TableRowState::IllegalChar;
        }
        ascii = ascii && c.unicode() < 0x80;
    }
    if (!ascii) {
        // A character GBK cannot hold arrives as '?', which no character of the name is and no trail byte can be.
        encoded.clear();
        encoder.append(name, encoded);
        if (encoded.contains('?')) {
            return TableRowState::NotGbk;
        }
    }
    if (name.startsWith(u'.')) {
        return TableRowState::Hidden;
    }
    if (IsSkippedEntry(name, programName)) {
        return TableRowState::Reserved;
    }
    return TableRowState::Renamed;
}

std::size_t hashOf(QByteArrayView key) {
    return qHash(key, 0);
}

} // namespace

QString rowStateText(TableRowState state) {
    switch (state) {
    case TableRowState::Renamed:
        return QString::fromUtf16(texts::kRowRenamed);
    case TableRowState::Unchanged:
        return QString::fromUtf16(texts::kRowUnchanged);
    case TableRowState::Skipped:
        return QString::fromUtf16(texts::kRowSkipped);
    case TableRowState::Empty:
        return QString::fromUtf16(texts::kRowEmpty);
    case TableRowState::IllegalChar:
        return QString::fromUtf16(texts::kRowIllegalChar);
    case TableRowState::NotGbk:
        return QString::fromUtf16(texts::kRowNotGbk);
    case TableRowState::Hidden:
        return QString::fromUtf16(texts::kRowHidden);
    case TableRowState::Reserved:
        return QString::fromUtf16(texts::kRowReserved);
    case TableRowState::NotRenamed:
        return QString::fromUtf16(texts::kRowNotRenamed);
    case TableRowState::TooLong:
        return QString::fromUtf16(texts::kRowTooLong);
    case TableRowState::Duplicate:
        return QString::fromUtf16(texts::kRowDuplicate);
    case TableRowState::TakenOutside:
        return QString::fromUtf16(texts::kRowTakenOutside);
    case TableRowState::Missing:
        return QString::fromUtf16(texts::kRowMissing);
    }
    return {};
}

std::error_code TableChecker::take(const platform::FolderHandle& folder) {
    if (const std::error_code error = m_snapshot.take(folder)) {
        return error;
    }
    m_snapshot.addFile(QString::fromUtf16(texts::kLogFileName));
    return {};
}

void TableChecker::Keys::clear(qsizetype reserve) {
    bytes.clear();
    bytes.reserve(reserve);
    starts.assign(1, 0);
}

void TableChecker::Keys::index(std::vector<std::uint32_t>& repeats) {
    const std::size_t rows = starts.size() - 1;
    table.assign(std::bit_ceil(2 * rows + 2), kNone);
    const std::size_t mask = table.size() - 1;
    repeats.clear();
    for (std::size_t i = 0; i < rows; ++i) {
        const QByteArrayView key = at(i);
        if (key.isEmpty()) {
            continue;
        }
        for (std::size_t slot = hashOf(key) & mask;; slot = (slot + 1) & mask) {
            if (table[slot] == kNone) {
                table[slot] = static_cast<std::uint32_t>(i);
                break;
            }
            if (at(table[slot]) == key) {
                repeats.push_back(table[slot]);
                repeats.push_back(static_cast<std::uint32_t>(i));
                break;
            }
        }
    }
}

std::uint32_t TableChecker::Keys::find(QByteArrayView key) const {
    const std::size_t mask = table.size() - 1;
    for (std::size_t slot = hashOf(key) & mask; table[slot] != kNone; slot = (slot + 1) & mask) {
        if (at(table[slot]) == key) {
            return table[slot];
        }
    }
    return kNone;
}

namespace {
constexpr std::uint8_t kIsFile = 1;
constexpr std::uint8_t kRepeated = 2;
} // namespace

void TableChecker::checkOldNames(const NameList& oldNames) {
    const auto rows = static_cast<std::size_t>(oldNames.size());
    const platform::NameRules& rules = m_snapshot.rules();
    m_old.clear(oldNames.text().size() * 2);
    m_oldFile.assign(rows, 0);
    for (std::size_t i = 0; i < rows; ++i) {
        const QStringView name = oldNames.at(qsizetype(i));
        const bool keyed = rules.keyOf(name, m_key);
        m_old.add(keyed ? QByteArrayView(m_key) : QByteArrayView());
        m_oldFile[i] = keyed && m_snapshot.isFile(name) ? kIsFile : 0;
    }
    std::vector<std::uint32_t> repeats;
    m_old.index(repeats);
    for (std::size_t k = 1; k < repeats.size(); k += 2) {
        m_oldFile[repeats[k]] |= kRepeated;
    }
    m_checkedOld = oldNames;
}

qsizetype TableChecker::check(const RenameTable& table, QStringView programName, std::vector<TableRowState>& states) {
    const auto rows = static_cast<std::size_t>(table.OldNames.size());
    const platform::NameRules& rules = m_snapshot.rules();
    // The same list of old names shares its text and starts with the one checked last.
    if (m_checkedOld.size() != table.OldNames.size() ||
        m_checkedOld.text().constData() != table.OldNames.text().constData() ||
        m_checkedOld.starts().constData() != table.OldNames.starts().constData()) {
        checkOldNames(table.OldNames);
    }
    platform::GbkEncoder encoder;
    states.assign(rows, TableRowState::Renamed);
    m_new.clear(table.NewNames.text().size() * 2);
    for (std::size_t i = 0; i < rows; ++i) {
        const QStringView oldName = table.OldNames.at(qsizetype(i));
        const QStringView newName = i < std::size_t(table.NewNames.size()) ? table.NewNames.at(qsizetype(i)) : oldName;
        TableRowState& state = states[i];
        if (IsSkippedEntry(oldName, programName)) {
            state = newName == oldName ? TableRowState::Skipped : TableRowState::NotRenamed;
        } else if (newName == oldName) {
            state = TableRowState::Unchanged;
        } else {
            state = ownState(newName, programName, encoder, m_encoded);
        }
        if (state == TableRowState::Skipped || state == TableRowState::Unchanged) {
            m_new.add(m_old.at(i));
        } else if (state == TableRowState::Renamed && rules.storableKeyOf(newName, m_key)) {
            m_new.add(m_key);
        } else {
            state = state == TableRowState::Renamed ? TableRowState::TooLong : state;
            m_new.add({});
        }
        if ((m_oldFile[i] & kRepeated) != 0 && !isRowError(state)) {
            state = TableRowState::Missing;
        }
    }
    std::vector<std::uint32_t> repeats;
    m_new.index(repeats);
    for (const std::uint32_t row : repeats) {
        states[row] = TableRowState::Duplicate;
    }
    qsizetype errors = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        TableRowState& state = states[i];
        if (state == TableRowState::Renamed) {
            if (m_old.find(m_new.at(i)) == kNone && m_snapshot.contains(table.NewNames.at(qsizetype(i)))) {
                state = TableRowState::TakenOutside;
            } else if ((m_oldFile[i] & kIsFile) == 0) {
                state = TableRowState::Missing;
            }
        }
        errors += isRowError(state) ? 1 : 0;
    }
    return errors;
}

TablePlan TableChecker::plan(const RenameTable& table, const std::vector<TableRowState>& states) const {
    const std::size_t rows = states.size();
    constexpr int kNoRow = -1;
    // next[i]: the row whose file holds row i's new name now; pred[j]: the row that takes row j's name.
    std::vector<int> next(rows, kNoRow);
    std::vector<int> pred(rows, kNoRow);
    for (std::size_t i = 0; i < rows; ++i) {
        if (states[i] == TableRowState::Renamed) {
            const std::uint32_t j = m_old.find(m_new.at(i));
            if (j != kNone) {
                next[i] = static_cast<int>(j);
                pred[j] = static_cast<int>(i);
            }
        }
    }
    TablePlan plan;
    std::vector<char> done(rows, 0);
    const auto step = [&](QStringView from, QStringView to, int row) {
        plan.from.append(from);
        plan.to.append(to);
        plan.rows.push_back(row);
    };
    const auto rename = [&](int row) {
        done[std::size_t(row)] = 1;
        step(table.OldNames.at(row), table.NewNames.at(row), row);
    };
    // A chain ends at a row whose new name no row's file holds: it goes first, then the row that takes its
    // name, and so on back.
    for (std::size_t r = 0; r < rows; ++r) {
        if (states[r] == TableRowState::Renamed && next[r] == kNoRow) {
            for (int x = static_cast<int>(r); x != kNoRow && done[std::size_t(x)] == 0; x = pred[std::size_t(x)]) {
                rename(x);
            }
        }
    }
    // What is left are cycles: the first row of each steps aside to the temporary name, the others follow it
    // back round, and it takes its new name last.
    for (std::size_t r = 0; r < rows; ++r) {
        if (states[r] != TableRowState::Renamed || done[r] != 0) {
            continue;
        }
        if (plan.temporaryName.isEmpty()) {
            for (int n = 1; plan.temporaryName.isEmpty(); ++n) {
                const QString name = QString::fromUtf16(texts::kTemporaryName).arg(n);
                QByteArray key;
                if (m_snapshot.rules().keyOf(name, key) && !m_snapshot.contains(name) && m_old.find(key) == kNone &&
                    m_new.find(key) == kNone) {
                    plan.temporaryName = name;
                }
            }
        }
        const int row = static_cast<int>(r);
        done[r] = 1;
        step(table.OldNames.at(row), plan.temporaryName, row);
        for (int x = pred[r]; x != row; x = pred[std::size_t(x)]) {
            rename(x);
        }
        step(plan.temporaryName, table.NewNames.at(row), row);
    }
    return plan;
}

} // namespace filarion::engine

#include "prefix_numbering_properties.h"

#include "engine/name_helpers.h"
#include "engine/prefix_method.h"
#include "fuzz_input.h"
#include "text_reference.h"

#include <algorithm>
#include <vector>

namespace filarion::fuzz {

using namespace Qt::StringLiterals;
using namespace engine;

namespace {

QString describeRun(const PrefixRun& run) {
    return u"count %1, program file %2, log %3, prefix "_s.arg(run.count)
               .arg(run.programFileIndex)
               .arg(run.logFileIndex) +
           describe(run.prefix);
}

// The new name written out from its definition: the number is the index less the recorded indexes
// below it, padded with zeros to the width of the largest number.
QString referenceName(const PrefixRun& run, int i, const QString& name) {
    const bool program = run.programFileIndex != -1;
    const bool log = run.logFileIndex != -1;
    const long long below = (program && run.programFileIndex < i ? 1 : 0) + (log && run.logFileIndex < i ? 1 : 0);
    const long long number = i - below;
    const long long largest = static_cast<long long>(run.count) - 1 - (program ? 1 : 0) - (log ? 1 : 0);
    const QString digits = QString::number(number);
    const qsizetype zeros = std::max<qsizetype>(0, QString::number(largest).size() - digits.size());
    return run.prefix + QString(zeros, u'0') + digits + GetExtension(name).toString();
}

} // namespace

QString checkPrefixNumbering(const PrefixRun& run) {
    // With two distinct recorded indexes (or fewer) the numbers of the renamed entries are 0..N, each once.
    const bool distinct = run.programFileIndex == -1 || run.programFileIndex != run.logFileIndex;
    const long long largest =
        static_cast<long long>(run.count) - 1 - (run.programFileIndex != -1 ? 1 : 0) - (run.logFileIndex != -1 ? 1 : 0);
    const qsizetype width = QString::number(largest).size();
    std::vector<bool> seen(static_cast<std::size_t>(std::max<long long>(largest + 1, 0)), false);
    long long renamed = 0;
    for (int i = 0; i < run.count; ++i) {
        if (i == run.programFileIndex || i == run.logFileIndex) {
            continue;
        }
        ++renamed;
        const QString& name = run.names[i % run.names.size()];
        const QString newName = prefixNewName(i, run.count, run.programFileIndex, run.logFileIndex, run.prefix, name);
        const QString expected = referenceName(run, i, name);
        if (newName != expected) {
            return u"entry %1 became "_s.arg(i) + describe(newName) + u" instead of "_s + describe(expected) + u" ("_s +
                   describeRun(run) + u")"_s;
        }
        if (!distinct) {
            continue;
        }
        const QStringView digits = QStringView(newName).mid(run.prefix.size(), width);
        bool ok = false;
        const long long number = digits.toLongLong(&ok);
        const bool allDigits =
            std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!ok || !allDigits || digits.size() != width || number < 0 || number > largest ||
            seen[static_cast<std::size_t>(number)]) {
            return u"entry %1 got the number "_s.arg(i) + describe(digits.toString()) +
                   u", not a new one of width %1 within 0..%2 ("_s.arg(width).arg(largest) + describeRun(run) + u")"_s;
        }
        seen[static_cast<std::size_t>(number)] = true;
    }
    if (distinct && renamed != largest + 1) {
        return u"%1 entries renamed, but the numbers run to %2 ("_s.arg(renamed).arg(largest) + describeRun(run) +
               u")"_s;
    }
    return {};
}

QString checkPrefixNumberingInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    PrefixRun run;
    const std::uint8_t shape = input.byte();
    // Mostly short runs, so that many run; now and then one wide enough for four- and five-digit numbers.
    if (shape % 128 == 0) {
        run.count = static_cast<int>(input.number(1, 12000));
    } else if (shape % 16 == 0) {
        run.count = static_cast<int>(input.number(1, 1200));
    } else {
        run.count = static_cast<int>(input.number(1, 130));
    }
    run.programFileIndex = static_cast<int>(input.number(-1, run.count - 1));
    run.logFileIndex = (shape >> 5) == 7 ? run.programFileIndex : static_cast<int>(input.number(-1, run.count - 1));
    run.prefix = input.text(16);
    for (auto names = input.number(1, 3); names > 0; --names) {
        run.names.append(input.text(24));
    }
    return checkPrefixNumbering(run);
}

} // namespace filarion::fuzz

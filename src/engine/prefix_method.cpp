#include "engine/prefix_method.h"

#include "engine/name_view.h"
#include "engine/rename_context.h"

#include <array>

namespace filarion::engine {

namespace {

// 64-bit on the way, so that no count or index, however large, overflows.
long long recordedBelow(long long i, int programFileIndex, int logFileIndex) {
    return (programFileIndex != -1 && programFileIndex < i ? 1 : 0) + (logFileIndex != -1 && logFileIndex < i ? 1 : 0);
}

long long recorded(int programFileIndex, int logFileIndex) {
    return (programFileIndex != -1 ? 1 : 0) + (logFileIndex != -1 ? 1 : 0);
}

void appendDecimal(QString& out, long long value) {
    std::array<char16_t, 24> digits{};
    std::size_t start = digits.size();
    unsigned long long rest = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    do {
        digits[--start] = static_cast<char16_t>(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) {
        digits[--start] = u'-';
    }
    out.append(QStringView(digits.data() + start, static_cast<qsizetype>(digits.size() - start)));
}

} // namespace

int PrefixSequenceNumber(int i, int programFileIndex, int logFileIndex) {
    return static_cast<int>(i - recordedBelow(i, programFileIndex, logFileIndex));
}

int PrefixLargestNumber(int count, int programFileIndex, int logFileIndex) {
    return static_cast<int>(static_cast<long long>(count) - 1 - recorded(programFileIndex, logFileIndex));
}

int DecimalWidth(long long value) {
    int width = value < 0 ? 2 : 1;
    for (unsigned long long rest = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value; rest >= 10;
         rest /= 10) {
        ++width;
    }
    return width;
}

QString PrefixNewName(int i, int count, int programFileIndex, int logFileIndex, QStringView prefix, QStringView name) {
    const long long number = i - recordedBelow(i, programFileIndex, logFileIndex);
    const long long largest = static_cast<long long>(count) - 1 - recorded(programFileIndex, logFileIndex);
    const int zeros = DecimalWidth(largest) - DecimalWidth(number);
    const QStringView extension = SplitName(name).extension;

    QString newName;
    newName.reserve(prefix.size() + (zeros > 0 ? zeros : 0) + DecimalWidth(number) + extension.size());
    newName.append(prefix);
    for (int z = 0; z < zeros; ++z) {
        newName.append(u'0');
    }
    appendDecimal(newName, number);
    newName.append(extension);
    return newName;
}

void RenameWithPrefix(RenameContext& run, int i, const QString& name) {
    const RunValues& values = run.values();
    run.ApplyRename(name, PrefixNewName(i, values.Count, values.ProgramFileIndex, values.LogFileIndex,
                                        run.request().PrefixText, name));
}

} // namespace filarion::engine

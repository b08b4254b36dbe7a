#include "engine/prefix_method.h"

#include "engine/name_helpers.h"

namespace filarion::engine {

namespace {

// 64-bit on the way, so that no count or index, however large, overflows.
long long recordedBelow(long long i, int programFileIndex, int logFileIndex) {
    return (programFileIndex != -1 && programFileIndex < i ? 1 : 0) + (logFileIndex != -1 && logFileIndex < i ? 1 : 0);
}

long long recorded(int programFileIndex, int logFileIndex) {
    return (programFileIndex != -1 ? 1 : 0) + (logFileIndex != -1 ? 1 : 0);
}

} // namespace

int prefixSequenceNumber(int i, int programFileIndex, int logFileIndex) {
    return static_cast<int>(i - recordedBelow(i, programFileIndex, logFileIndex));
}

int prefixLargestNumber(int count, int programFileIndex, int logFileIndex) {
    return static_cast<int>(static_cast<long long>(count) - 1 - recorded(programFileIndex, logFileIndex));
}

int decimalWidth(long long value) {
    int width = value < 0 ? 2 : 1;
    for (unsigned long long rest = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value; rest >= 10;
         rest /= 10) {
        ++width;
    }
    return width;
}

QString prefixNewName(int i, int count, int programFileIndex, int logFileIndex, QStringView prefix, QStringView name) {
    const int number = prefixSequenceNumber(i, programFileIndex, logFileIndex);
    const int zeros = decimalWidth(prefixLargestNumber(count, programFileIndex, logFileIndex)) - decimalWidth(number);
    const QStringView extension = GetExtension(name);

    QString newName;
    newName.reserve(prefix.size() + (zeros > 0 ? zeros : 0) + decimalWidth(number) + extension.size());
    newName.append(prefix);
    for (int z = 0; z < zeros; ++z) {
        newName.append(u'0');
    }
    appendDecimal(newName, number);
    newName.append(extension);
    return newName;
}

StepDecision RenameWithPrefix(const StepInput& input, int i, const QString& name) {
    const RunValues& values = input.values;
    return StepDecision::renameTo(
        prefixNewName(i, values.count, values.ProgramFileIndex, values.LogFileIndex, input.request.PrefixText, name));
}

} // namespace filarion::engine

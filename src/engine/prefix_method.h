#pragma once

#include "engine/rename_step.h"

#include <QString>
#include <QStringView>

namespace filarion::engine {

// The sequence number of entry i: i less each recorded index (not -1) that lies below i, each counted
// on its own, so the program's file and the rename log leave no gap.
int prefixSequenceNumber(int i, int programFileIndex, int logFileIndex);

// The largest sequence number of a run over count entries: count - 1 less the recorded indexes.
int prefixLargestNumber(int count, int programFileIndex, int logFileIndex);

// The number of characters of the value written in plain decimal, a minus sign included.
int decimalWidth(long long value);

// The prefix method's new name of entry i: the prefix, zeros that bring the sequence number to the width
// of the largest number (none when it is already as wide or wider), the number in plain decimal (with its
// sign when negative), then the extension of name.
QString prefixNewName(int i, int count, int programFileIndex, int logFileIndex, QStringView prefix, QStringView name);

// The prefix method's step for entry i: the entry is always renamed.
StepDecision RenameWithPrefix(const StepInput& input, int i, const QString& name);

} // namespace filarion::engine

#pragma once

#include <QString>
#include <QStringView>

namespace filarion::engine {

// The text written count times in a row; empty for a count of 0 or less.
QString RepeatString(QStringView text, int count);

// True when the text holds a character that file names may not hold: one of " * / : < > ? \ |,
// or a character that GBK cannot represent (it would be written as '?').
bool HasIllegalChar(QStringView text);

// The text from the last dot of the name to its end, dot included; empty when there is no dot. A view of
// the name: the per-file steps of a run split every name and must not allocate for it.
QStringView GetExtension(QStringView name);

// The name without its extension, so that GetNamePart + GetExtension gives the name back. A view of the name.
QStringView GetNamePart(QStringView name);

// The folder, one separator, and the name; a folder that already ends in a separator gets none.
QString JoinPath(const QString& folder, const QString& name);

// The insertion after the first position characters of the text, the position clamped to the text.
QString InsertString(QStringView text, QStringView insertion, int position);

// Appends the value in plain decimal (a minus sign when negative, no blanks or separators) without
// allocating: numbers in names and list lines.
void appendDecimal(QString& out, long long value);

} // namespace filarion::engine

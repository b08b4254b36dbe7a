#pragma once

#include <QString>

namespace filarion::engine {

// The text written count times in a row; empty for a count of 0 or less.
QString RepeatString(const QString& text, int count);

// True when the text holds a character that file names may not hold: one of " * / : < > ? \ |,
// or a character that GBK cannot represent (it would be written as '?').
bool HasIllegalChar(QStringView text);

// The text from the last dot of the name to its end, dot included; empty when there is no dot.
QString GetExtension(const QString& name);

// The name without its extension, so that GetNamePart + GetExtension gives the name back.
QString GetNamePart(const QString& name);

// The folder, one separator, and the name; a folder that already ends in a separator gets none.
QString JoinPath(const QString& folder, const QString& name);

// The insertion after the first position characters of the text, the position clamped to the text.
QString InsertString(const QString& text, const QString& insertion, int position);

} // namespace filarion::engine

#pragma once

#include <QString>
#include <QStringView>

namespace filarion::engine {

class RenameContext;

// The insert method's new name: insertText put into the name part of name after its first position
// characters (at the start for a position of 0 or less, at the end for one of the name part's length or
// more), then the extension unchanged. The same as InsertString(GetNamePart(name), insertText, position)
// followed by GetExtension(name).
QString insertNewName(QStringView name, QStringView insertText, int position);

// The insert method's step for entry i: nothing when the position lies outside -32768..32767; otherwise
// the new name goes to ApplyRename, even when it equals the old one.
void RenameWithInsert(RenameContext& run, int i, const QString& name);

} // namespace filarion::engine

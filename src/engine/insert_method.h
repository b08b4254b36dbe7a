#pragma once

#include "engine/rename_step.h"

#include <QString>
#include <QStringView>

namespace filarion::engine {

// The insert method's new name: insertText put into the name part of name after its first position
// characters (at the start for a position of 0 or less, at the end for one of the name part's length or
// more), then the extension unchanged. The same as InsertString(GetNamePart(name), insertText, position)
// followed by GetExtension(name).
QString insertNewName(QStringView name, QStringView insertText, int position);

// The insert method's step for entry i: nothing when the position lies outside -32768..32767; otherwise
// the entry is renamed, even when the new name equals the old one.
StepDecision RenameWithInsert(const StepInput& input, int i, const QString& name);

} // namespace filarion::engine

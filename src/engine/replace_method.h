#pragma once

#include "engine/rename_step.h"

#include <QString>
#include <QStringView>

namespace filarion::engine {

// The replace method's new name: in the name part of name, every occurrence of findText, letter case
// ignored, is replaced by replaceText as typed, from left to right, without overlaps and without searching
// the inserted text again; the extension follows unchanged and is never searched. An empty findText
// finds nothing. The new name part is empty exactly when the result is as long as the extension.
QString replaceInNamePart(QStringView name, QStringView findText, QStringView replaceText);

// The replace method's step for entry i: an empty new name part is refused with a message and the
// illegal line; a new name that equals the old one, letter case ignored, leaves no trace; any other
// is renamed.
StepDecision RenameWithReplace(const StepInput& input, int i, const QString& name);

} // namespace filarion::engine

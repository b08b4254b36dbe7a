#pragma once

#include "engine/rename_step.h"

#include <QString>
#include <QStringView>

namespace filarion::engine {

// The fill method's new name: fillText repeated as often as name falls short of longestNameLength, then
// the whole name, extension included; name itself when it is not shorter.
QString fillNewName(QStringView fillText, int longestNameLength, QStringView name);

// The fill method's step for entry i: a new name that equals the old one, letter case ignored, leaves no
// trace; any other is renamed.
StepDecision RenameWithFill(const StepInput& input, int i, const QString& name);

} // namespace filarion::engine

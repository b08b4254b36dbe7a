#pragma once

#include <QString>
#include <QStringView>

namespace filarion::engine {

class RenameContext;

// The fill method's new name: fillText repeated as often as name falls short of longestNameLength, then
// the whole name, extension included; name itself when it is not shorter.
QString fillNewName(QStringView fillText, int longestNameLength, QStringView name);

// The fill method's step for entry i: a new name that equals the old one, letter case ignored, leaves no
// trace; any other goes to ApplyRename.
void RenameWithFill(RenameContext& run, int i, const QString& name);

} // namespace filarion::engine

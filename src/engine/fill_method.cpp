#include "engine/fill_method.h"

#include "engine/name_helpers.h"
#include "engine/rename_context.h"

namespace filarion::engine {

QString fillNewName(QStringView fillText, int longestNameLength, QStringView name) {
    QString newName = RepeatString(fillText, static_cast<int>(longestNameLength - name.size()));
    newName.append(name);
    return newName;
}

void RenameWithFill(RenameContext& run, int /*i*/, const QString& name) {
    const QString newName = fillNewName(run.request().FillText, run.values().LongestNameLength, name);
    if (newName.compare(name, Qt::CaseInsensitive) == 0) {
        return;
    }
    run.ApplyRename(name, newName);
}

} // namespace filarion::engine

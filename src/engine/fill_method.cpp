#include "engine/fill_method.h"

#include "engine/rename_context.h"

namespace filarion::engine {

QString FillNewName(QStringView fillText, int longestNameLength, QStringView name) {
    const qsizetype missing = longestNameLength - name.size();
    QString newName;
    newName.reserve(name.size() + (missing > 0 ? missing * fillText.size() : 0));
    for (qsizetype k = 0; k < missing; ++k) {
        newName.append(fillText);
    }
    newName.append(name);
    return newName;
}

void RenameWithFill(RenameContext& run, int /*i*/, const QString& name) {
    const QString newName = FillNewName(run.request().FillText, run.values().LongestNameLength, name);
    if (newName.compare(name, Qt::CaseInsensitive) == 0) {
        return;
    }
    run.ApplyRename(name, newName);
}

} // namespace filarion::engine

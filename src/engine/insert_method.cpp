#include "engine/insert_method.h"

#include "engine/name_view.h"
#include "engine/rename_context.h"
#include "engine/rename_request.h"

#include <algorithm>

namespace filarion::engine {

QString InsertNewName(QStringView name, QStringView insertText, int position) {
    const NameView split = SplitName(name);
    const qsizetype at = std::clamp<qsizetype>(position, 0, split.namePart.size());
    QString newName;
    newName.reserve(name.size() + insertText.size());
    newName.append(split.namePart.left(at)).append(insertText).append(split.namePart.mid(at)).append(split.extension);
    return newName;
}

void RenameWithInsert(RenameContext& run, int /*i*/, const QString& name) {
    const RenameRequest& request = run.request();
    const std::optional<int> position = ParseInsertPosition(request.PositionText);
    if (!position) {
        return;
    }
    run.ApplyRename(name, InsertNewName(name, request.InsertText, *position));
}

} // namespace filarion::engine

#include "engine/insert_method.h"

#include "engine/name_helpers.h"
#include "engine/rename_context.h"
#include "engine/rename_request.h"

namespace filarion::engine {

QString insertNewName(QStringView name, QStringView insertText, int position) {
    QString newName = InsertString(GetNamePart(name), insertText, position);
    newName.append(GetExtension(name));
    return newName;
}

void RenameWithInsert(RenameContext& run, int /*i*/, const QString& name) {
    const RenameRequest& request = run.request();
    const std::optional<int> position = parseInsertPosition(request.PositionText);
    if (!position) {
        return;
    }
    run.ApplyRename(name, insertNewName(name, request.InsertText, *position));
}

} // namespace filarion::engine

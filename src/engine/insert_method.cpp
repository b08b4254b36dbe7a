#include "engine/insert_method.h"

#include "engine/name_helpers.h"
#include "engine/rename_request.h"

namespace filarion::engine {

QString insertNewName(QStringView name, QStringView insertText, int position) {
    QString newName = InsertString(GetNamePart(name), insertText, position);
    newName.append(GetExtension(name));
    return newName;
}

StepDecision RenameWithInsert(const StepInput& input, int /*i*/, const QString& name) {
    const std::optional<int> position = parseInsertPosition(input.request.PositionText);
    if (!position) {
        return StepDecision::leave();
    }
    return StepDecision::renameTo(insertNewName(name, input.request.InsertText, *position));
}

} // namespace filarion::engine

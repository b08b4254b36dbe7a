#include "engine/fill_method.h"

#include "engine/name_helpers.h"

namespace filarion::engine {

QString fillNewName(QStringView fillText, int longestNameLength, QStringView name) {
    QString newName = RepeatString(fillText, static_cast<int>(longestNameLength - name.size()));
    newName.append(name);
    return newName;
}

StepDecision RenameWithFill(const StepInput& input, int /*i*/, const QString& name) {
    QString newName = fillNewName(input.request.FillText, input.values.LongestNameLength, name);
    if (newName.compare(name, Qt::CaseInsensitive) == 0) {
        return StepDecision::leave();
    }
    return StepDecision::renameTo(std::move(newName));
}

} // namespace filarion::engine

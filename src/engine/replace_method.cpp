#include "engine/replace_method.h"

#include "engine/name_helpers.h"

namespace filarion::engine {

QString replaceInNamePart(QStringView name, QStringView findText, QStringView replaceText) {
    const QStringView part = GetNamePart(name);
    qsizetype at = findText.isEmpty() ? -1 : part.indexOf(findText, 0, Qt::CaseInsensitive);
    if (at < 0) {
        return name.toString();
    }
    QString result;
    result.reserve(name.size() + replaceText.size());
    qsizetype from = 0;
    while (at >= 0) {
        result.append(part.mid(from, at - from)).append(replaceText);
        from = at + findText.size();
        at = part.indexOf(findText, from, Qt::CaseInsensitive);
    }
    result.append(part.mid(from)).append(GetExtension(name));
    return result;
}

StepDecision RenameWithReplace(const StepInput& input, int /*i*/, const QString& name) {
    QString newName = replaceInNamePart(name, input.request.FindText, input.request.ReplaceText);
    const QStringView extension = GetExtension(name);
    if (newName.size() == extension.size()) {
        return StepDecision::refuseEmptyName(extension);
    }
    if (newName.compare(name, Qt::CaseInsensitive) == 0) {
        return StepDecision::leave();
    }
    return StepDecision::renameTo(std::move(newName));
}

} // namespace filarion::engine

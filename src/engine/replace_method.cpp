#include "engine/replace_method.h"

#include "engine/name_view.h"
#include "engine/rename_context.h"

namespace filarion::engine {

QString ReplaceInNamePart(QStringView name, QStringView findText, QStringView replaceText) {
    const NameView split = SplitName(name);
    const QStringView part = split.namePart;
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
    result.append(part.mid(from)).append(split.extension);
    return result;
}

void RenameWithReplace(RenameContext& run, int /*i*/, const QString& name) {
    const RenameRequest& request = run.request();
    const QString newName = ReplaceInNamePart(name, request.FindText, request.ReplaceText);
    const QStringView extension = SplitName(name).extension;
    if (newName.size() == extension.size()) {
        run.RefuseEmptyName(name, extension);
        return;
    }
    if (newName.compare(name, Qt::CaseInsensitive) == 0) {
        return;
    }
    run.ApplyRename(name, newName);
}

} // namespace filarion::engine

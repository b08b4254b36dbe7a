#pragma once

#include <QStringView>

namespace filarion::engine {

// A name split at its last dot without copying: the same split as GetNamePart and GetExtension, for the
// per-file steps of a run, which must not allocate for it.
struct NameView {
    QStringView namePart;
    QStringView extension; // the last dot and what follows; empty when the name has no dot
};

inline NameView SplitName(QStringView name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) {
        return {name, {}};
    }
    return {name.left(dot), name.mid(dot)};
}

} // namespace filarion::engine

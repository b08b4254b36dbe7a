#pragma once

#include "ui/twips.h"

#include <QLabel>
#include <QRadioButton>
#include <QString>
#include <QWidget>
#include <algorithm>

namespace filarion::ui {

// A control of the window, created in its parent under its control name, which the tests find it by.
template <typename T> T* make(QWidget* parent, const QString& name) {
    auto* control = new T(parent);
    control->setObjectName(name);
    return control;
}

inline void place(QWidget* control, const TwipsScale& scale, const TwipsRect& twips) {
    control->setGeometry(scale.rect(twips));
}

// Option buttons keep their row but grow to their caption, so that no caption is cut off; labels size
// themselves to their caption. Both stay centred on their row of the layout.
inline void placeCaption(QWidget* control, const TwipsScale& scale, const TwipsRect& twips) {
    const QRect row = scale.rect(twips);
    const QSize hint = control->sizeHint();
    const bool label = qobject_cast<QLabel*>(control) != nullptr;
    const int width = label ? hint.width() : std::max(row.width(), hint.width());
    const int height = label ? hint.height() : std::max(row.height(), hint.height());
    control->setGeometry(row.left(), row.top() + (row.height() - height) / 2, width, height);
}

// Of an option group only the set button takes the focus from the Tab key; a click still focuses any.
inline void focusOnlyWhenSet(QRadioButton* option) {
    option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    QObject::connect(option, &QRadioButton::toggled, option,
                     [option](bool checked) { option->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus); });
}

} // namespace filarion::ui

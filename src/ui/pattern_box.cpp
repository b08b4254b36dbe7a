#include "ui/pattern_box.h"

#include "ui_core/texts.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QTimer>

namespace filarion::ui {

PatternBox::PatternBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("comPostfix"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Every typed character is a pattern of its own; completing it would skip the texts in between.
    setCompleter(nullptr);
    for (const char16_t* item : ui_core::texts::kPatternItems) {
        addItem(QString::fromUtf16(item));
    }
    setCurrentIndex(findText(QString::fromUtf16(ui_core::texts::kStartPattern)));
    connect(this, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!m_choosingFromList) {
            emit textChangedHere(text);
        }
    });
    connect(this, &QComboBox::textActivated, this, [this](const QString& chosen) {
        if (m_choosingFromList) {
            m_choosingFromList = false;
            emit entryChosen(chosen);
        }
    });
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
}

// The open list takes a release of the mouse on an entry, or Enter, as the choice of that entry and raises the
// combo box's activation while it handles the event. The note is dropped once the event loop comes round
// again, in case no entry was chosen.
bool PatternBox::eventFilter(QObject* watched, QEvent* event) {
    const bool choosing =
        event->type() == QEvent::MouseButtonRelease ||
        (event->type() == QEvent::ShortcutOverride && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                                       static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter));
    if (choosing && view()->isVisible() && !m_choosingFromList) {
        m_choosingFromList = true;
        QTimer::singleShot(0, this, [this] { m_choosingFromList = false; });
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace filarion::ui

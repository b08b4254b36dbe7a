#pragma once

#include <QComboBox>

namespace filarion::ui {

// The pattern box comPostfix: an editable combo box over the patterns of its list, starting at "*.JPG". Its
// text is read when it changes (typed, or another entry taken with the arrow keys or the wheel) and when an
// entry is chosen from the open list, even the one it shows. Leaving the box makes the combo box choose the
// entry equal to the typed text and raise its activation too; that is no choice.
class PatternBox : public QComboBox {
    Q_OBJECT

public:
    explicit PatternBox(QWidget* parent);

signals:
    // The text changed other than by a choice from the open list.
    void textChangedHere(const QString& text);
    // An entry was chosen from the open list.
    void entryChosen(const QString& text);

protected:
    // The choices in the open list.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_choosingFromList = false; // the open list is handling a choice
};

} // namespace filarion::ui

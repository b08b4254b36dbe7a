#pragma once

#include "ui/twips.h"
#include "ui_core/commands.h"

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace filarion::ui {

// The list frame frmBill: the list's name (labName, txtName) and its name form (optPostfix, optNo), placed in
// twips inside the frame.
class ListFrame : public QGroupBox {
    Q_OBJECT

public:
    ListFrame(const TwipsScale& scale, QWidget* parent);

    // The list's name and name form, as the list export takes them.
    void readInto(ui_core::CommandInputs& inputs) const;
    // The focus goes into the name field.
    void focusName();
    // What a screen reader says for the frame and the name field; the rest is named by its caption.
    void setAccessibleNames();

private:
    QLabel* m_labName = nullptr;
    QLineEdit* m_txtName = nullptr;
    QRadioButton* m_optPostfix = nullptr;
    QRadioButton* m_optNo = nullptr;
};

} // namespace filarion::ui

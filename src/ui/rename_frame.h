#pragma once

#include "ui/twips.h"
#include "ui_core/commands.h"
#include "ui_core/method_coupling.h"

#include <QGroupBox>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace filarion::ui {

// The rename frame frmRename: the four method options (optReplace, optPrefix, optFill, optInsert), their six
// fields (txtReplaceS, txtReplaceT, txtPrefix, txtFill, txtPosition, txtInsert) and the two labels of the
// insert row (lblPosition, lblInsert), placed in twips inside the frame, and the coupling of options and
// fields (MethodCoupling): choosing an option puts the focus into its first field, entering a field selects
// its option. The window places the frame and orders the focus across both frames.
class RenameFrame : public QGroupBox {
    Q_OBJECT

public:
    RenameFrame(const TwipsScale& scale, QWidget* parent);

    // The selected method and the six field texts, as a command takes them.
    void readInto(ui_core::CommandInputs& inputs) const;

    QRadioButton* optionOf(engine::RenameMethod method) const;
    QLineEdit* fieldOf(ui_core::MethodField field) const;
    QLabel* positionLabel() const { return m_lblPosition; }
    QLabel* insertLabel() const { return m_lblInsert; }

    // What a screen reader says for the frame and its fields; the options and labels are named by their caption.
    void setAccessibleNames();

protected:
    // The fields' GotFocus handlers.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectMethod(engine::RenameMethod method);
    void enterMethodField(ui_core::MethodField field);
    void showMethod(std::optional<ui_core::MethodField> focusTarget);

    ui_core::MethodCoupling m_coupling;
    QRadioButton* m_optReplace = nullptr;
    QRadioButton* m_optPrefix = nullptr;
    QRadioButton* m_optFill = nullptr;
    QRadioButton* m_optInsert = nullptr;
    QLineEdit* m_txtReplaceS = nullptr;
    QLineEdit* m_txtReplaceT = nullptr;
    QLineEdit* m_txtPrefix = nullptr;
    QLineEdit* m_txtFill = nullptr;
    QLineEdit* m_txtInsert = nullptr;
    QLineEdit* m_txtPosition = nullptr;
    QLabel* m_lblPosition = nullptr;
    QLabel* m_lblInsert = nullptr;
};

} // namespace filarion::ui

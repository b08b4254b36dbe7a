#include "ui/list_frame.h"

#include "ui/controls.h"
#include "ui_core/texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace filarion::ui {

namespace {

using namespace Qt::StringLiterals;

// The layout in twips, relative to the frame.
namespace layout {
constexpr TwipsRect kLabName{120, 390, 1260, 195};
constexpr TwipsRect kTxtName{1320, 360, 915, 285};
constexpr TwipsRect kOptPostfix{60, 1170, 2055, 255};
constexpr TwipsRect kOptNo{60, 1920, 2175, 195};
} // namespace layout

} // namespace

ListFrame::ListFrame(const TwipsScale& scale, QWidget* parent) : QGroupBox(parent) {
    setObjectName(u"frmBill"_s);
    m_labName = make<QLabel>(this, u"labName"_s);
    m_labName->setText(QString::fromUtf16(ui_core::texts::kLabName));
    placeCaption(m_labName, scale, layout::kLabName);
    m_txtName = make<QLineEdit>(this, u"txtName"_s);
    place(m_txtName, scale, layout::kTxtName);
    m_optPostfix = make<QRadioButton>(this, u"optPostfix"_s);
    m_optPostfix->setText(QString::fromUtf16(ui_core::texts::kOptPostfix));
    placeCaption(m_optPostfix, scale, layout::kOptPostfix);
    m_optNo = make<QRadioButton>(this, u"optNo"_s);
    m_optNo->setText(QString::fromUtf16(ui_core::texts::kOptNo));
    placeCaption(m_optNo, scale, layout::kOptNo);
    m_optPostfix->setChecked(true);
    // The frame and its label hold their places but never take the focus.
    setFocusPolicy(Qt::NoFocus);
    m_labName->setFocusPolicy(Qt::NoFocus);
    focusOnlyWhenSet(m_optPostfix);
    focusOnlyWhenSet(m_optNo);
}

void ListFrame::readInto(ui_core::CommandInputs& inputs) const {
    inputs.listName = m_txtName->text();
    inputs.nameForm = m_optNo->isChecked() ? listing::NameForm::WithoutExtension : listing::NameForm::WithExtension;
}

void ListFrame::focusName() {
    m_txtName->setFocus(Qt::OtherFocusReason);
}

void ListFrame::setAccessibleNames() {
    setAccessibleName(QString::fromUtf16(ui_core::texts::kNameListFrame));
    m_txtName->setAccessibleName(QString::fromUtf16(ui_core::texts::kNameListName));
}

} // namespace filarion::ui

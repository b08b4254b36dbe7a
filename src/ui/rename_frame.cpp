#include "ui/rename_frame.h"

#include "ui/controls.h"
#include "ui_core/texts.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <initializer_list>

namespace filarion::ui {

namespace {

using namespace Qt::StringLiterals;

// The layout in twips, relative to the frame.
namespace layout {
constexpr TwipsRect kOptReplace{120, 240, 2100, 195};
constexpr TwipsRect kTxtReplaceS{120, 600, 1035, 285};
constexpr TwipsRect kTxtReplaceT{1200, 600, 1035, 285};
constexpr TwipsRect kOptPrefix{120, 960, 2100, 195};
constexpr TwipsRect kTxtPrefix{120, 1320, 2115, 285};
constexpr TwipsRect kOptFill{120, 1680, 2100, 195};
constexpr TwipsRect kTxtFill{120, 2040, 2115, 285};
constexpr TwipsRect kOptInsert{120, 2430, 2100, 195};
constexpr TwipsRect kLblPosition{120, 2820, 180, 195};
constexpr TwipsRect kTxtPosition{330, 2790, 315, 285};
constexpr TwipsRect kLblInsert{690, 2820, 900, 195};
constexpr TwipsRect kTxtInsert{1560, 2790, 675, 285};
} // namespace layout

} // namespace

RenameFrame::RenameFrame(const TwipsScale& scale, QWidget* parent) : QGroupBox(parent) {
    setObjectName(u"frmRename"_s);
    const auto option = [this, &scale](const QString& name, const char16_t* caption, const TwipsRect& twips) {
        auto* button = make<QRadioButton>(this, name);
        button->setText(QString::fromUtf16(caption));
        placeCaption(button, scale, twips);
        return button;
    };
    const auto field = [this, &scale](const QString& name, const TwipsRect& twips) {
        auto* box = make<QLineEdit>(this, name);
        place(box, scale, twips);
        box->installEventFilter(this);
        return box;
    };
    const auto label = [this, &scale](const QString& name, const char16_t* caption, const TwipsRect& twips) {
        auto* shown = make<QLabel>(this, name);
        shown->setText(QString::fromUtf16(caption));
        placeCaption(shown, scale, twips);
        return shown;
    };
    m_optReplace = option(u"optReplace"_s, ui_core::texts::kOptReplace, layout::kOptReplace);
    m_txtReplaceS = field(u"txtReplaceS"_s, layout::kTxtReplaceS);
    m_txtReplaceT = field(u"txtReplaceT"_s, layout::kTxtReplaceT);
    m_optPrefix = option(u"optPrefix"_s, ui_core::texts::kOptPrefix, layout::kOptPrefix);
    m_txtPrefix = field(u"txtPrefix"_s, layout::kTxtPrefix);
    m_optFill = option(u"optFill"_s, ui_core::texts::kOptFill, layout::kOptFill);
    m_txtFill = field(u"txtFill"_s, layout::kTxtFill);
    m_optInsert = option(u"optInsert"_s, ui_core::texts::kOptInsert, layout::kOptInsert);
    m_lblPosition = label(u"lblPosition"_s, ui_core::texts::kLblPosition, layout::kLblPosition);
    m_txtPosition = field(u"txtPosition"_s, layout::kTxtPosition);
    m_lblInsert = label(u"lblInsert"_s, ui_core::texts::kLblInsert, layout::kLblInsert);
    m_txtInsert = field(u"txtInsert"_s, layout::kTxtInsert);
    // The insert row is tight: a caption wider than its place would run under the text box, so it is
    // centred between the two boxes instead.
    const int gapLeft = m_txtPosition->geometry().right() + 1;
    if (m_lblInsert->geometry().right() >= m_txtInsert->x()) {
        const int room = m_txtInsert->x() - gapLeft;
        m_lblInsert->move(gapLeft + std::max(0, room - m_lblInsert->width()) / 2, m_lblInsert->y());
    }
    m_optReplace->setChecked(true);
    // The frame and its labels hold their places but never take the focus.
    for (QWidget* passive : std::initializer_list<QWidget*>{this, m_lblPosition, m_lblInsert}) {
        passive->setFocusPolicy(Qt::NoFocus);
    }
    for (const engine::RenameMethod method : {engine::RenameMethod::Replace, engine::RenameMethod::Prefix,
                                              engine::RenameMethod::Fill, engine::RenameMethod::Insert}) {
        focusOnlyWhenSet(optionOf(method));
        connect(optionOf(method), &QRadioButton::toggled, this, [this, method](bool checked) {
            if (checked) {
                selectMethod(method);
            }
        });
    }
}

void RenameFrame::readInto(ui_core::CommandInputs& inputs) const {
    inputs.method = m_coupling.method();
    inputs.findText = m_txtReplaceS->text();
    inputs.replaceText = m_txtReplaceT->text();
    inputs.prefixText = m_txtPrefix->text();
    inputs.fillText = m_txtFill->text();
    inputs.insertText = m_txtInsert->text();
    inputs.positionText = m_txtPosition->text();
}

void RenameFrame::selectMethod(engine::RenameMethod method) {
    showMethod(m_coupling.selectOption(method));
}

void RenameFrame::enterMethodField(ui_core::MethodField field) {
    showMethod(m_coupling.enterField(field));
}

// Shows the coupling's method in the option group and moves the focus where the coupling sends it.
void RenameFrame::showMethod(std::optional<ui_core::MethodField> focusTarget) {
    // Setting the option raises its click handler, which finds the coupling's method already selected.
    optionOf(m_coupling.method())->setChecked(true);
    if (focusTarget) {
        fieldOf(*focusTarget)->setFocus(Qt::OtherFocusReason);
    }
}

QRadioButton* RenameFrame::optionOf(engine::RenameMethod method) const {
    switch (method) {
    case engine::RenameMethod::Replace:
        return m_optReplace;
    case engine::RenameMethod::Prefix:
        return m_optPrefix;
    case engine::RenameMethod::Fill:
        return m_optFill;
    case engine::RenameMethod::Insert:
        return m_optInsert;
    }
    return m_optReplace;
}

QLineEdit* RenameFrame::fieldOf(ui_core::MethodField field) const {
    switch (field) {
    case ui_core::MethodField::ReplaceS:
        return m_txtReplaceS;
    case ui_core::MethodField::ReplaceT:
        return m_txtReplaceT;
    case ui_core::MethodField::Prefix:
        return m_txtPrefix;
    case ui_core::MethodField::Fill:
        return m_txtFill;
    case ui_core::MethodField::Insert:
        return m_txtInsert;
    case ui_core::MethodField::Position:
        return m_txtPosition;
    }
    return m_txtReplaceS;
}

void RenameFrame::setAccessibleNames() {
    const std::pair<QWidget*, const char16_t*> names[] = {
        {this, ui_core::texts::kNameRenameFrame},       {m_txtReplaceS, ui_core::texts::kNameReplaceS},
        {m_txtReplaceT, ui_core::texts::kNameReplaceT}, {m_txtPrefix, ui_core::texts::kNamePrefix},
        {m_txtFill, ui_core::texts::kNameFill},         {m_txtPosition, ui_core::texts::kNamePosition},
        {m_txtInsert, ui_core::texts::kNameInsert},
    };
    for (const auto& [control, name] : names) {
        control->setAccessibleName(QString::fromUtf16(name));
    }
}

// Getting the focus back because the window was activated again is no entering of the field.
bool RenameFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (const ui_core::MethodField field :
                 {ui_core::MethodField::ReplaceS, ui_core::MethodField::ReplaceT, ui_core::MethodField::Prefix,
                  ui_core::MethodField::Fill, ui_core::MethodField::Insert, ui_core::MethodField::Position}) {
                if (watched == fieldOf(field)) {
                    enterMethodField(field);
                    break;
                }
            }
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

} // namespace filarion::ui

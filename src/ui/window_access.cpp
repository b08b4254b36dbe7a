// The main window for the keyboard and for screen readers: the focus order and what each control is called.
#include "ui/folder_list.h"
#include "ui/list_frame.h"
#include "ui/main_window.h"
#include "ui/pattern_box.h"
#include "ui/rename_frame.h"
#include "ui_core/texts.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <iterator>

namespace filarion::ui {

namespace {

QString text(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

// Qt presents a top-level widget that is neither a main window nor a dialog as a client area (AT-SPI:
// "filler"); a screen reader should meet the main window as a window ("frame").
QAccessibleInterface* mainWindowAccessible(const QString& /*className*/, QObject* object) {
    auto* window = qobject_cast<frmMain*>(object);
    return window != nullptr ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

} // namespace

void frmMain::presentAsWindow() {
    static const bool installed = [] {
        QAccessible::installFactory(mainWindowAccessible);
        return true;
    }();
    (void)installed;
}

// Tab follows the layout's focus order, by tab index: the command button, the folder and file lists, the pattern
// box, the exit button, the drive list, the help box, then the tabs and the frames' controls. Frames, labels
// and the progress bar keep their places but never take the focus; of an option group only the set button
// does, and the hidden frame's controls are passed over.
void frmMain::setFocusOrder() {
    m_proCourse->setFocusPolicy(Qt::NoFocus);
    const char16_t* const order[] = {
        u"cmdTrim",    u"dirTrim",     u"filTrim",   u"comPostfix",  u"cmdExit",     u"driTrim",    u"txtHelp",
        u"proCourse",  u"TabFunction", u"frmRename", u"txtReplaceT", u"txtReplaceS", u"optFill",    u"optPrefix",
        u"optReplace", u"txtFill",     u"txtPrefix", u"frmBill",     u"optNo",       u"optPostfix", u"txtName",
        u"labName",    u"txtInsert",   u"optInsert", u"txtPosition", u"lblPosition", u"lblInsert"};
    const auto named = [this](const char16_t* name) { return findChild<QWidget*>(QString::fromUtf16(name)); };
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(named(order[i - 1]), named(order[i]));
    }
}

// What a screen reader says for each control. Fields and lists are named after what they hold or the caption
// of their option or label; controls with a caption of their own (options, labels, tabs) are named by it.
// The command buttons are named by their caption without the access key, which the screen reader reports
// apart; the command button's caption follows the tab, and so does its name. Over AT-SPI Qt gives a combo
// box its current text as its name, so the two combo boxes also carry what they are as their description,
// and their drop-down lists and the pattern's text field are named.
void frmMain::setAccessibleNames() {
    const std::pair<QWidget*, const char16_t*> names[] = {
        {m_driTrim, ui_core::texts::kNameDrives},
        {m_driTrim->view(), ui_core::texts::kNameDrives},
        {m_dirTrim, ui_core::texts::kNameFolders},
        {m_filTrim, ui_core::texts::kNameFiles},
        {m_comPostfix, ui_core::texts::kNamePattern},
        {m_comPostfix->view(), ui_core::texts::kNamePattern},
        {m_comPostfix->lineEdit(), ui_core::texts::kNamePattern},
        {m_tabFunction, ui_core::texts::kNameFunctions},
        {m_txtHelp, ui_core::texts::kNameHelp},
        {m_txtHelp->verticalScrollBar(), ui_core::texts::kNameHelpScrollBar},
        {m_proCourse, ui_core::texts::kNameProgress},
    };
    for (const auto& [control, name] : names) {
        control->setAccessibleName(text(name));
    }
    m_frmRename->setAccessibleNames();
    m_frmBill->setAccessibleNames();
    m_driTrim->setAccessibleDescription(text(ui_core::texts::kNameDrives));
    m_comPostfix->setAccessibleDescription(text(ui_core::texts::kNamePattern));
    const auto nameByCaption = [](QPushButton* button) {
        QString caption = button->text();
        const qsizetype key = caption.lastIndexOf(u'&');
        if (key >= 0 && key == caption.size() - 2) {
            caption.truncate(key);
        }
        button->setAccessibleName(caption.remove(u'&'));
    };
    nameByCaption(m_cmdTrim);
    nameByCaption(m_cmdExit);
    connect(m_tabFunction, &QTabWidget::currentChanged, this, [this, nameByCaption] { nameByCaption(m_cmdTrim); });
}

} // namespace filarion::ui

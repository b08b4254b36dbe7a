#include "ui/main_window.h"

#include "platform/program_info.h"
#include "platform/volumes.h"
#include "ui/controls.h"
#include "ui/file_list_menu.h"
#include "ui/folder_list.h"
#include "ui/list_frame.h"
#include "ui/pattern_box.h"
#include "ui/preview_dialog.h"
#include "ui/rename_frame.h"
#include "ui/window_layout.h"
#include "ui/window_services.h"
#include "ui_core/texts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <chrono>
#include <initializer_list>

// The icon lives in the library's resources, which a static library only links when they are asked for.
static void initResources() {
    Q_INIT_RESOURCE(ui_resources);
}

namespace filarion::ui {

namespace {

using namespace Qt::StringLiterals;

QString text(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

// A CJK-capable sans serif; the first family that is installed wins.
QFont sansSerif(qreal points) {
    QFont font;
    font.setFamilies({u"WenQuanYi Micro Hei"_s, u"Noto Sans CJK SC"_s, u"Source Han Sans SC"_s, u"sans-serif"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

constexpr qreal kWindowPoints = 9.0;
// How long the first frame waits at most for the start folder's files: about what 100,000 names take to read.
constexpr std::chrono::milliseconds kStartFolderWait{250};
constexpr qreal kHelpPoints = 9.75;

// The help text as the box shows it: one line per line of the text, no empty line after the last.
QString helpText() {
    QString help = text(ui_core::texts::kHelpText);
    help.replace(u"\r\n"_s, u"\n"_s);
    help.chop(1);
    return help;
}

} // namespace

frmMain::frmMain(const ui_core::VolumeSource& volumes, WindowServices& services, const std::optional<QString>& given,
                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      // The session starts reading the start folder (the one given, else the working folder) on a thread of its
      // own while the window is built; its lists fill when it answers, and a folder that never answers holds up
      // nothing.
      m_scale(logicalDpiX(), logicalDpiY()), m_services(services), m_session(volumes, services, given) {
    setObjectName(u"frmMain"_s);
    presentAsWindow();
    initResources();
    setFont(windowFont());
    setWindowIcon(QIcon(u":/filarion/filarion_icon.xpm"_s));
    buildBrowser();
    buildFunctions();
    m_services.attach(*this, *m_proCourse, [this] { m_session.refreshFiles(); });
    setFocusOrder();
    connectHandlers();
    new FileListMenu(
        *m_filTrim, *this, [this] { previewRename(); }, [this] { m_session.undoLastRun(); });
    Form_Load();
    setAccessibleNames();
    m_cmdTrim->setFocus(Qt::OtherFocusReason);
}

frmMain::~frmMain() {
    m_services.detach();
}

QFont frmMain::windowFont() {
    return sansSerif(kWindowPoints);
}

void frmMain::place(QWidget* control, const TwipsRect& twips, TabBarShift shift) {
    control->setGeometry(shiftedRect(m_scale, twips, shift, m_tabBarExcess));
}

void frmMain::buildBrowser() {
    m_driTrim = make<QComboBox>(this, u"driTrim"_s);
    for (const platform::Volume& volume : m_session.volumes()) {
        const QString shown = volume.name.isEmpty() ? volume.rootPath : volume.rootPath + u" ["_s + volume.name + u']';
        m_driTrim->addItem(shown, volume.rootPath);
    }
    place(m_driTrim, layout::kDriTrim, TabBarShift::Stay);

    m_dirTrim = make<FolderList>(this, u"dirTrim"_s);
    place(m_dirTrim, layout::kDirTrim, TabBarShift::Stay);

    m_filTrim = make<QListView>(this, u"filTrim"_s);
    m_filTrim->setModel(&m_session.files());
    m_filTrim->setUniformItemSizes(true);
    m_filTrim->setSelectionMode(QAbstractItemView::SingleSelection);
    m_filTrim->setEditTriggers(QAbstractItemView::NoEditTriggers);
    place(m_filTrim, layout::kFilTrim, TabBarShift::Grow);
    m_dirTrim->takeFolderDrops(m_filTrim);

    m_comPostfix = new PatternBox(this);
    place(m_comPostfix, layout::kComPostfix, TabBarShift::Move);

    // The session reads every folder the folder list moves to.
    m_dirTrim->setOpener([this](const QString& folder) { return m_session.moveTo(folder); });
}

void frmMain::buildFunctions() {
    m_tabFunction = make<QTabWidget>(this, u"TabFunction"_s);
    m_tabFunction->addTab(new QWidget, text(ui_core::texts::kTabRename));
    m_tabFunction->addTab(new QWidget, text(ui_core::texts::kTabList));
    // A click on a tab takes the focus, so that the focus never stays in the frame that the switch hides.
    m_tabFunction->tabBar()->setFocusPolicy(Qt::StrongFocus);
    m_tabBarExcess = tabBarExcess(*m_tabFunction, m_scale);
    place(m_tabFunction, layout::kTabFunction, TabBarShift::Grow);

    m_frmRename = new RenameFrame(m_scale, this);
    m_frmBill = new ListFrame(m_scale, this);
    for (QGroupBox* frame : std::initializer_list<QGroupBox*>{m_frmRename, m_frmBill}) {
        // The frame is drawn over the tab strip's page, which must not show through.
        frame->setAutoFillBackground(true);
        place(frame, layout::kFrame, TabBarShift::Move);
    }

    m_cmdTrim = make<QPushButton>(this, u"cmdTrim"_s);
    m_cmdTrim->setText(text(ui_core::texts::kCaptionRename));
    place(m_cmdTrim, layout::kCmdTrim, TabBarShift::Move);
    m_cmdExit = make<QPushButton>(this, u"cmdExit"_s);
    m_cmdExit->setText(text(ui_core::texts::kCaptionExit));
    place(m_cmdExit, layout::kCmdExit, TabBarShift::Move);
    for (QPushButton* button : {m_cmdTrim, m_cmdExit}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    m_txtHelp = make<QPlainTextEdit>(this, u"txtHelp"_s);
    m_txtHelp->setFont(sansSerif(kHelpPoints));
    m_txtHelp->setPlainText(helpText());
    m_txtHelp->setReadOnly(true);
    m_txtHelp->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_txtHelp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtHelp->setTabChangesFocus(true);
    place(m_txtHelp, layout::kTxtHelp, TabBarShift::Grow);

    m_proCourse = make<QProgressBar>(this, u"proCourse"_s);
    m_proCourse->setRange(0, 100);
    m_proCourse->setValue(0);
    m_proCourse->setTextVisible(false);
    place(m_proCourse, layout::kProCourse, TabBarShift::Move);
}

void frmMain::connectHandlers() {
    connect(m_driTrim, &QComboBox::currentIndexChanged, this, [this] { driTrim_Change(); });
    connect(&m_session, &ui_core::Session::folderShown, m_dirTrim, &FolderList::show);
    connect(&m_session, &ui_core::Session::driveShown, this, &frmMain::selectDrive);
    connect(m_comPostfix, &PatternBox::textChangedHere, this, [this](const QString& text) {
        if (text != m_session.workingSet().patternText()) {
            comPostfix_Change(text);
        }
    });
    connect(m_comPostfix, &PatternBox::entryChosen, this, &frmMain::comPostfix_Change);
    connect(m_filTrim, &QAbstractItemView::clicked, this, [this] { filTrim_Click(); });
    connect(m_tabFunction, &QTabWidget::currentChanged, this, [this] { TabFunction_Click(); });
    connect(m_cmdTrim, &QPushButton::clicked, this, [this] { cmdTrim_Click(); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

// The start-up sequence, in the order the window's first picture depends on: the drive first (it sets the
// folder, which the pattern's first reading needs), then the caption, then the pattern read as if chosen
// from its list, then the fixed size and the places of the tab strip and both frames, then the tab.
void frmMain::Form_Load() {
    // Before the start-up sequence the folder list stands in the process's working folder and the drive list
    // on its drive. Nothing here touches that folder: its lists fill when it answers (startAnswered).
    m_dirTrim->show(m_session.folder(), {});
    selectDrive(m_session.driveOf(m_session.folder()));
    // While the start folder is still being read, the window draws itself once off screen, so that its first
    // frame finds the fonts' glyphs and the style's pictures made already. A folder that answers within a
    // moment is shown in the first frame; one that does not, when it answers.
    if (m_session.starting()) {
        (void)grab();
    }
    (void)m_session.settleStart(kStartFolderWait);
    // The drive of the program's own folder; choosing another drive runs the drive handling. A folder given on
    // the command line keeps its own drive: the drive handling would move the window away from it.
    const QString programDrive = m_session.driveOf(platform::programFolder());
    if (!programDrive.isEmpty() && !m_session.folderGiven()) {
        m_driTrim->setCurrentIndex(m_driTrim->findData(programDrive));
    }
    setWindowTitle(text(ui_core::texts::kAppTitle));
    // The start folder is read under the pattern the box starts with.
    if (m_comPostfix->currentText() != m_session.workingSet().patternText()) {
        comPostfix_Change(m_comPostfix->currentText());
    }
    setFixedSize(shiftedRect(m_scale, layout::kClient, TabBarShift::Grow, m_tabBarExcess).size());
    place(m_tabFunction, layout::kTabFunction, TabBarShift::Grow);
    place(m_frmRename, layout::kFrame, TabBarShift::Move);
    place(m_frmBill, layout::kFrame, TabBarShift::Move);
    TabFunction_Click();
}

void frmMain::driTrim_Change() {
    m_session.chooseDrive(m_driTrim->currentData().toString());
}

void frmMain::comPostfix_Change(const QString& text) {
    m_session.setPattern(text);
}

// Re-reads the folder; the entry that was clicked stays selected when it is still listed.
void frmMain::filTrim_Click() {
    const QModelIndex clicked = m_filTrim->currentIndex();
    const int row = m_session.reread(clicked.isValid() ? clicked.row() : -1);
    if (row >= 0) {
        m_filTrim->setCurrentIndex(m_session.files().index(row));
    }
}

void frmMain::TabFunction_Click() {
    const bool renameTab = m_tabFunction->currentIndex() == 0;
    QGroupBox* hidden = renameTab ? static_cast<QGroupBox*>(m_frmBill) : m_frmRename;
    // A focus left in the frame that goes away would wander into a field of the other frame and select
    // its method; the tab strip holds it instead.
    if (QWidget* focus = focusWidget(); focus != nullptr && hidden->isAncestorOf(focus)) {
        m_tabFunction->setFocus(Qt::TabFocusReason);
    }
    m_frmRename->setVisible(renameTab);
    m_frmBill->setVisible(!renameTab);
    if (renameTab) {
        m_cmdTrim->setText(text(ui_core::texts::kCaptionRename));
    } else {
        m_cmdTrim->setText(text(ui_core::texts::kCaptionList));
        m_frmBill->focusName();
    }
    m_tabFunction->lower();
}

void frmMain::cmdTrim_Click() {
    m_session.runButton(commandInputs());
}

void frmMain::cmdExit_Click() {
    close();
}

ui_core::CommandInputs frmMain::commandInputs() const {
    ui_core::CommandInputs inputs;
    inputs.caption = m_cmdTrim->text();
    m_frmRename->readInto(inputs);
    m_frmBill->readInto(inputs);
    inputs.patternText = m_comPostfix->currentText();
    return inputs;
}

// The dialog over the computed rows; it is modal, so nothing changes the window while it is open.
void frmMain::previewRename() {
    m_session.previewRename(commandInputs(), [this](engine::RenamePreview preview) {
        PreviewDialog dialog(std::move(preview), this, m_session.folder(), engine::defaultRunEnvironment().programName);
        ui_core::PreviewChoice choice(dialog.exec() == QDialog::Accepted);
        choice.table = dialog.table();
        return choice;
    });
}

void frmMain::selectDrive(const QString& root) {
    const int index = m_driTrim->findData(root);
    if (index >= 0) {
        const QSignalBlocker quiet(m_driTrim);
        m_driTrim->setCurrentIndex(index);
    }
}

// While a command runs the window stays: closing it would pull the window from under the command.
void frmMain::closeEvent(QCloseEvent* event) {
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace filarion::ui

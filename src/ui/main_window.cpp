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
#include "ui/window_services.h"
#include "ui_core/command_line.h"
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
#include <iterator>

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

// The layout in twips, relative to the client area.
namespace layout {
constexpr TwipsRect kClient{0, 0, 7455, 5010};
constexpr TwipsRect kDriTrim{120, 120, 2175, 315};
constexpr TwipsRect kDirTrim{120, 480, 2115, 1215};
constexpr TwipsRect kFilTrim{120, 1740, 2115, 2430};
constexpr TwipsRect kComPostfix{120, 4320, 2115, 315};
constexpr TwipsRect kTabFunction{2325, 90, 2535, 3630};
constexpr TwipsRect kFrame{2400, 420, 2370, 3195};
constexpr TwipsRect kCmdTrim{2520, 3840, 2145, 345};
constexpr TwipsRect kCmdExit{3630, 4260, 1035, 345};
constexpr TwipsRect kTxtHelp{4920, 120, 2415, 4470};
constexpr TwipsRect kProCourse{120, 4680, 7215, 210};
} // namespace layout

// A CJK-capable sans serif; the first family that is installed wins.
QFont sansSerif(qreal points) {
    QFont font;
    font.setFamilies({u"WenQuanYi Micro Hei"_s, u"Noto Sans CJK SC"_s, u"Source Han Sans SC"_s, u"sans-serif"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

constexpr qreal kWindowPoints = 9.0;
constexpr qreal kHelpPoints = 9.75;

// The help text as the box shows it: one line per line of the text, no empty line after the last.
QString helpText() {
    QString help = text(ui_core::texts::kHelpText);
    help.replace(u"\r\n"_s, u"\n"_s);
    help.chop(1);
    return help;
}

} // namespace

frmMain::frmMain(const ui_core::VolumeSource& volumes, WindowServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_scale(logicalDpiX(), logicalDpiY()), m_drives(volumes), m_services(services), m_commands(services) {
    // The start folder is read while the window is built: the first frame waits for the reading only where
    // the building took less time.
    m_startReading = std::async(std::launch::async, [folder = FolderListModel::cleanFolder(platform::workingFolder()),
                                                     pattern = QString::fromUtf16(ui_core::texts::kStartPattern)] {
        return ui_core::FolderReading(folder, pattern, true);
    });
    setObjectName(u"frmMain"_s);
    initResources();
    setFont(windowFont());
    setWindowIcon(QIcon(u":/filarion/filarion_icon.xpm"_s));
    buildBrowser();
    buildFunctions();
    m_services.attach(*this, *m_proCourse, [this] { m_files.refresh(); });
    setFocusOrder();
    connectHandlers();
    const auto undo = [this] { m_commands.undoLastRun(m_set.folder()); };
    new FileListMenu(
        *m_filTrim, *this, [this] { previewRename(); }, undo);
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

void frmMain::place(QWidget* control, const TwipsRect& twips) {
    ui::place(control, m_scale, twips);
}

void frmMain::buildBrowser() {
    m_driTrim = make<QComboBox>(this, u"driTrim"_s);
    for (const platform::Volume& volume : m_drives.volumes()) {
        const QString shown = volume.name.isEmpty() ? volume.rootPath : volume.rootPath + u" ["_s + volume.name + u']';
        m_driTrim->addItem(shown, volume.rootPath);
    }
    place(m_driTrim, layout::kDriTrim);

    m_dirTrim = make<FolderList>(this, u"dirTrim"_s);
    place(m_dirTrim, layout::kDirTrim);

    m_filTrim = make<QListView>(this, u"filTrim"_s);
    m_filTrim->setModel(&m_files);
    m_filTrim->setUniformItemSizes(true);
    m_filTrim->setSelectionMode(QAbstractItemView::SingleSelection);
    m_filTrim->setEditTriggers(QAbstractItemView::NoEditTriggers);
    place(m_filTrim, layout::kFilTrim);
    m_dirTrim->takeFolderDrops(m_filTrim);

    m_comPostfix = new PatternBox(this);
    place(m_comPostfix, layout::kComPostfix);

    // The file list reads a folder under the pattern the pattern box starts with.
    m_set.setPatternText(m_comPostfix->currentText());
    m_dirTrim->setReader([this](const QString& folder) { return readFolder(folder); });
}

// The folder list moves: one reading gives its subfolders and the file list's names. The names shown before
// are released first, so that two folders' names are never held at once; a folder that cannot be read
// leaves the file list on the folder it showed, read again.
std::optional<QStringList> frmMain::readFolder(const QString& folder) {
    ui_core::FolderReading reading;
    if (m_startReading.valid()) {
        reading = m_startReading.get();
    }
    if (reading.folder() != folder || reading.pattern() != m_set.patternText()) {
        reading = {};
        m_files.clear();
        reading = ui_core::FolderReading(folder, m_set.patternText(), true);
    }
    if (reading.error()) {
        m_files.refresh();
        return std::nullopt;
    }
    QStringList subfolders = reading.takeSubfolders();
    (void)m_files.show(std::move(reading));
    return subfolders;
}

void frmMain::buildFunctions() {
    m_tabFunction = make<QTabWidget>(this, u"TabFunction"_s);
    m_tabFunction->addTab(new QWidget, text(ui_core::texts::kTabRename));
    m_tabFunction->addTab(new QWidget, text(ui_core::texts::kTabList));
    // A click on a tab takes the focus, so that the focus never stays in the frame that the switch hides.
    m_tabFunction->tabBar()->setFocusPolicy(Qt::StrongFocus);
    place(m_tabFunction, layout::kTabFunction);

    m_frmRename = new RenameFrame(m_scale, this);
    m_frmBill = new ListFrame(m_scale, this);
    for (QGroupBox* frame : std::initializer_list<QGroupBox*>{m_frmRename, m_frmBill}) {
        // The frame is drawn over the tab strip's page, which must not show through.
        frame->setAutoFillBackground(true);
        place(frame, layout::kFrame);
    }

    m_cmdTrim = make<QPushButton>(this, u"cmdTrim"_s);
    m_cmdTrim->setText(text(ui_core::texts::kCaptionRename));
    place(m_cmdTrim, layout::kCmdTrim);
    m_cmdExit = make<QPushButton>(this, u"cmdExit"_s);
    m_cmdExit->setText(text(ui_core::texts::kCaptionExit));
    place(m_cmdExit, layout::kCmdExit);
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
    place(m_txtHelp, layout::kTxtHelp);

    m_proCourse = make<QProgressBar>(this, u"proCourse"_s);
    m_proCourse->setRange(0, 100);
    m_proCourse->setValue(0);
    m_proCourse->setTextVisible(false);
    place(m_proCourse, layout::kProCourse);
}

// The focus order of the layout, by control name. Frames, labels and the progress bar hold their places but
// never take the focus (the frames see to theirs).
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

void frmMain::connectHandlers() {
    connect(m_driTrim, &QComboBox::currentIndexChanged, this, [this] { driTrim_Change(); });
    connect(m_dirTrim, &FolderList::pathChanged, this, &frmMain::dirTrim_Change);
    connect(m_comPostfix, &PatternBox::textChangedHere, this, [this](const QString& text) {
        if (text != m_set.patternText()) {
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
    // on its drive; the file list holds that folder's files. Everything before this was built while the
    // folder was being read.
    // While the start folder is still being read, the window draws itself once off screen, so that its first
    // frame finds the fonts' glyphs and the style's pictures made already.
    if (m_startReading.valid() && m_startReading.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        (void)grab();
    }
    if (!m_dirTrim->setPath(platform::workingFolder())) {
        m_dirTrim->setPath(u"/"_s);
    }
    selectDrive(m_drives.driveOf(m_dirTrim->path()));
    // The drive of the program's own folder; choosing another drive runs the drive handling.
    const QString programDrive = m_drives.driveOf(platform::programFolder());
    if (!programDrive.isEmpty()) {
        m_driTrim->setCurrentIndex(m_driTrim->findData(programDrive));
    }
    setWindowTitle(text(ui_core::texts::kAppTitle));
    // The folder list's move has read the folder under the pattern the box starts with.
    if (m_comPostfix->currentText() != m_set.patternText()) {
        comPostfix_Change(m_comPostfix->currentText());
    }
    setFixedSize(m_scale.rect(layout::kClient).size());
    place(m_tabFunction, layout::kTabFunction);
    place(m_frmRename, layout::kFrame);
    place(m_frmBill, layout::kFrame);
    TabFunction_Click();
}

void frmMain::startIn(const QString& given) {
    const std::optional<QString> folder = ui_core::startFolderOf(given);
    if (!folder || !m_dirTrim->setPath(*folder)) {
        m_services.showMessage(text(ui_core::texts::kStartFolderFailed).arg(given));
    }
}

void frmMain::driTrim_Change() {
    const ui_core::DriveView view = m_drives.change(m_driTrim->currentData().toString(), m_dirTrim->path());
    if (view.folder != m_dirTrim->path() && !m_dirTrim->setPath(view.folder)) {
        // Readable a moment ago, gone now: the drive list goes back to the folder that is still shown.
        selectDrive(m_drives.driveOf(m_dirTrim->path()));
        return;
    }
    selectDrive(view.drive);
}

// The file list holds the folder's files already: the folder list's move read them (readFolder).
void frmMain::dirTrim_Change(const QString& folder) {
    // The folder list can climb to a folder of another volume; the drive list follows it without a change.
    selectDrive(m_drives.driveOf(folder));
}

void frmMain::comPostfix_Change(const QString& text) {
    m_set.setPatternText(text);
    m_files.refresh();
}

// Re-reads the folder; the entry that was clicked stays selected when it is still listed.
void frmMain::filTrim_Click() {
    const QModelIndex clicked = m_filTrim->currentIndex();
    const QString name = clicked.isValid() ? m_set.nameAt(clicked.row()) : QString();
    m_files.refresh();
    const int row = name.isEmpty() ? -1 : m_set.indexOf(name);
    if (row >= 0) {
        m_filTrim->setCurrentIndex(m_files.index(row));
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
    m_commands.runButton(commandInputs());
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
    inputs.folder = m_set.folder();
    inputs.names = m_set.nameList();
    return inputs;
}

// The dialog over the computed rows; it is modal, so nothing changes the window while it is open.
void frmMain::previewRename() {
    m_commands.previewRename(commandInputs(), [this](engine::RenamePreview preview) {
        PreviewDialog dialog(std::move(preview), this);
        return dialog.exec() == QDialog::Accepted;
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

#include "ui/main_window.h"

#include "engine/rename_preview.h"
#include "engine/rename_run.h"
#include "engine/undo_run.h"
#include "listing/file_list_export.h"
#include "platform/program_info.h"
#include "platform/volumes.h"
#include "ui/folder_list.h"
#include "ui/preview_dialog.h"
#include "ui/window_services.h"
#include "ui_core/command_dispatch.h"
#include "ui_core/command_line.h"
#include "ui_core/file_list_model.h"
#include "ui_core/texts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <array>

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

// The layout in twips, relative to the client area or, inside a frame, to the frame.
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

constexpr TwipsRect kLabName{120, 390, 1260, 195};
constexpr TwipsRect kTxtName{1320, 360, 915, 285};
constexpr TwipsRect kOptPostfix{60, 1170, 2055, 255};
constexpr TwipsRect kOptNo{60, 1920, 2175, 195};
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
    QString help = text(texts::kHelpText);
    help.replace(u"\r\n"_s, u"\n"_s);
    help.chop(1);
    return help;
}

template <typename T> T* make(QWidget* parent, const QString& name) {
    auto* control = new T(parent);
    control->setObjectName(name);
    return control;
}

} // namespace

frmMain::frmMain(const VolumeSource& volumes, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_scale(logicalDpiX(), logicalDpiY()), m_drives(volumes) {
    setObjectName(u"frmMain"_s);
    initResources();
    setFont(windowFont());
    setWindowIcon(QIcon(u":/filarion/filarion_icon.xpm"_s));
    buildBrowser();
    buildFunctions();
    m_services = std::make_unique<WindowServices>(*this, *m_proCourse, [this] { m_files.refresh(); });
    setFocusOrder();
    connectHandlers();
    buildFileListMenu();
    Form_Load();
    setAccessibleNames();
    m_cmdTrim->setFocus(Qt::OtherFocusReason);
}

frmMain::~frmMain() = default;

QFont frmMain::windowFont() {
    return sansSerif(kWindowPoints);
}

void frmMain::place(QWidget* control, const TwipsRect& twips) {
    control->setGeometry(m_scale.rect(twips));
}

// Option buttons keep their row but grow to their caption, so that no caption is cut off; labels size
// themselves to their caption. Both stay centred on their row of the layout.
void frmMain::placeCaption(QWidget* control, const TwipsRect& twips) {
    const QRect row = m_scale.rect(twips);
    const QSize hint = control->sizeHint();
    const bool label = qobject_cast<QLabel*>(control) != nullptr;
    const int width = label ? hint.width() : std::max(row.width(), hint.width());
    const int height = label ? hint.height() : std::max(row.height(), hint.height());
    control->setGeometry(row.left(), row.top() + (row.height() - height) / 2, width, height);
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

    m_comPostfix = make<QComboBox>(this, u"comPostfix"_s);
    m_comPostfix->setEditable(true);
    m_comPostfix->setInsertPolicy(QComboBox::NoInsert);
    // Every typed character is a pattern of its own; completing it would skip the texts in between.
    m_comPostfix->setCompleter(nullptr);
    for (const char16_t* item : texts::kPatternItems) {
        m_comPostfix->addItem(text(item));
    }
    m_comPostfix->setCurrentIndex(m_comPostfix->findText(text(texts::kStartPattern)));
    place(m_comPostfix, layout::kComPostfix);

    // Before the start-up sequence the folder list stands in the process's working folder, the drive list
    // on its drive and the file list's pattern is "*.*"; nothing is read yet.
    if (!m_dirTrim->setPath(platform::workingFolder())) {
        m_dirTrim->setPath(u"/"_s);
    }
    selectDrive(m_drives.driveOf(m_dirTrim->path()));
    m_set.setFolder(m_dirTrim->path());
    m_set.setPatternText(u"*.*"_s);
}

void frmMain::buildFunctions() {
    m_tabFunction = make<QTabWidget>(this, u"TabFunction"_s);
    m_tabFunction->addTab(new QWidget, text(texts::kTabRename));
    m_tabFunction->addTab(new QWidget, text(texts::kTabList));
    // A click on a tab takes the focus, so that the focus never stays in the frame that the switch hides.
    m_tabFunction->tabBar()->setFocusPolicy(Qt::StrongFocus);
    place(m_tabFunction, layout::kTabFunction);

    m_frmRename = make<QGroupBox>(this, u"frmRename"_s);
    m_frmBill = make<QGroupBox>(this, u"frmBill"_s);
    for (QGroupBox* frame : {m_frmRename, m_frmBill}) {
        // The frame is drawn over the tab strip's page, which must not show through.
        frame->setAutoFillBackground(true);
        place(frame, layout::kFrame);
    }
    buildRenameFrame();
    buildBillFrame();

    m_cmdTrim = make<QPushButton>(this, u"cmdTrim"_s);
    m_cmdTrim->setText(text(texts::kCaptionRename));
    place(m_cmdTrim, layout::kCmdTrim);
    m_cmdExit = make<QPushButton>(this, u"cmdExit"_s);
    m_cmdExit->setText(text(texts::kCaptionExit));
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

void frmMain::buildRenameFrame() {
    const auto option = [this](const QString& name, const char16_t* caption, const TwipsRect& twips) {
        auto* button = make<QRadioButton>(m_frmRename, name);
        button->setText(text(caption));
        placeCaption(button, twips);
        return button;
    };
    const auto field = [this](const QString& name, const TwipsRect& twips) {
        auto* box = make<QLineEdit>(m_frmRename, name);
        place(box, twips);
        box->installEventFilter(this);
        return box;
    };
    m_optReplace = option(u"optReplace"_s, texts::kOptReplace, layout::kOptReplace);
    m_txtReplaceS = field(u"txtReplaceS"_s, layout::kTxtReplaceS);
    m_txtReplaceT = field(u"txtReplaceT"_s, layout::kTxtReplaceT);
    m_optPrefix = option(u"optPrefix"_s, texts::kOptPrefix, layout::kOptPrefix);
    m_txtPrefix = field(u"txtPrefix"_s, layout::kTxtPrefix);
    m_optFill = option(u"optFill"_s, texts::kOptFill, layout::kOptFill);
    m_txtFill = field(u"txtFill"_s, layout::kTxtFill);
    m_optInsert = option(u"optInsert"_s, texts::kOptInsert, layout::kOptInsert);
    m_lblPosition = make<QLabel>(m_frmRename, u"lblPosition"_s);
    m_lblPosition->setText(text(texts::kLblPosition));
    placeCaption(m_lblPosition, layout::kLblPosition);
    m_txtPosition = field(u"txtPosition"_s, layout::kTxtPosition);
    m_lblInsert = make<QLabel>(m_frmRename, u"lblInsert"_s);
    m_lblInsert->setText(text(texts::kLblInsert));
    placeCaption(m_lblInsert, layout::kLblInsert);
    m_txtInsert = field(u"txtInsert"_s, layout::kTxtInsert);
    // The insert row is tight: a caption wider than its place would run under the text box, so it is
    // centred between the two boxes instead.
    const int gapLeft = m_txtPosition->geometry().right() + 1;
    if (m_lblInsert->geometry().right() >= m_txtInsert->x()) {
        const int room = m_txtInsert->x() - gapLeft;
        m_lblInsert->move(gapLeft + std::max(0, room - m_lblInsert->width()) / 2, m_lblInsert->y());
    }
    m_optReplace->setChecked(true);
}

void frmMain::buildBillFrame() {
    m_labName = make<QLabel>(m_frmBill, u"labName"_s);
    m_labName->setText(text(texts::kLabName));
    placeCaption(m_labName, layout::kLabName);
    m_txtName = make<QLineEdit>(m_frmBill, u"txtName"_s);
    place(m_txtName, layout::kTxtName);
    m_optPostfix = make<QRadioButton>(m_frmBill, u"optPostfix"_s);
    m_optPostfix->setText(text(texts::kOptPostfix));
    placeCaption(m_optPostfix, layout::kOptPostfix);
    m_optNo = make<QRadioButton>(m_frmBill, u"optNo"_s);
    m_optNo->setText(text(texts::kOptNo));
    placeCaption(m_optNo, layout::kOptNo);
    m_optPostfix->setChecked(true);
}

// The focus order of the layout. Frames, labels and the progress bar hold their places but never take the
// focus; of an option group only the set button does.
void frmMain::setFocusOrder() {
    for (QWidget* passive :
         std::initializer_list<QWidget*>{m_proCourse, m_frmRename, m_frmBill, m_labName, m_lblPosition, m_lblInsert}) {
        passive->setFocusPolicy(Qt::NoFocus);
    }
    const std::array<QWidget*, 27> order = {
        m_cmdTrim,    m_dirTrim,     m_filTrim,   m_comPostfix,  m_cmdExit,     m_driTrim,    m_txtHelp,
        m_proCourse,  m_tabFunction, m_frmRename, m_txtReplaceT, m_txtReplaceS, m_optFill,    m_optPrefix,
        m_optReplace, m_txtFill,     m_txtPrefix, m_frmBill,     m_optNo,       m_optPostfix, m_txtName,
        m_labName,    m_txtInsert,   m_optInsert, m_txtPosition, m_lblPosition, m_lblInsert};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void frmMain::connectHandlers() {
    connect(m_driTrim, &QComboBox::currentIndexChanged, this, [this] { driTrim_Change(); });
    connect(m_dirTrim, &FolderList::pathChanged, this, &frmMain::dirTrim_Change);
    // The pattern is read when its text changes (typed, or another entry taken with the arrow keys or the
    // wheel) and when an entry is chosen from the open list, even the one it shows. Leaving the box makes the
    // combo box choose the entry equal to the typed text and raise its activation too; that is no choice.
    connect(m_comPostfix, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (text != m_set.patternText() && !m_choosingFromList) {
            comPostfix_Change(text);
        }
    });
    connect(m_comPostfix, &QComboBox::textActivated, this, [this](const QString& chosen) {
        if (m_choosingFromList) {
            m_choosingFromList = false;
            comPostfix_Change(chosen);
        }
    });
    m_comPostfix->view()->installEventFilter(this);
    m_comPostfix->view()->viewport()->installEventFilter(this);
    connect(m_filTrim, &QAbstractItemView::clicked, this, [this] { filTrim_Click(); });
    connect(m_tabFunction, &QTabWidget::currentChanged, this, [this] { TabFunction_Click(); });
    connect(m_cmdTrim, &QPushButton::clicked, this, [this] { cmdTrim_Click(); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    // Of an option group only the set button takes the focus from the Tab key; a click still focuses any.
    for (QRadioButton* option : {m_optReplace, m_optPrefix, m_optFill, m_optInsert, m_optPostfix, m_optNo}) {
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        connect(option, &QRadioButton::toggled, option,
                [option](bool checked) { option->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus); });
    }
    for (const engine::RenameMethod method : {engine::RenameMethod::Replace, engine::RenameMethod::Prefix,
                                              engine::RenameMethod::Fill, engine::RenameMethod::Insert}) {
        connect(optionOf(method), &QRadioButton::toggled, this, [this, method](bool checked) {
            if (checked) {
                methodOption_Click(method);
            }
        });
    }
}

// The start-up sequence, in the order the window's first picture depends on: the drive first (it sets the
// folder, which the pattern's first reading needs), then the caption, then the pattern read as if chosen
// from its list, then the fixed size and the places of the tab strip and both frames, then the tab.
void frmMain::Form_Load() {
    // The drive of the program's own folder; choosing another drive runs the drive handling.
    const QString programDrive = m_drives.driveOf(platform::programFolder());
    if (!programDrive.isEmpty()) {
        m_driTrim->setCurrentIndex(m_driTrim->findData(programDrive));
    }
    setWindowTitle(text(texts::kAppTitle));
    comPostfix_Change(m_comPostfix->currentText());
    setFixedSize(m_scale.rect(layout::kClient).size());
    place(m_tabFunction, layout::kTabFunction);
    place(m_frmRename, layout::kFrame);
    place(m_frmBill, layout::kFrame);
    TabFunction_Click();
}

void frmMain::startIn(const QString& given) {
    const std::optional<QString> folder = startFolderOf(given);
    if (!folder || !m_dirTrim->setPath(*folder)) {
        m_services->showMessage(text(texts::kStartFolderFailed).arg(given));
    }
}

void frmMain::driTrim_Change() {
    const DriveView view = m_drives.change(m_driTrim->currentData().toString(), m_dirTrim->path());
    if (view.folder != m_dirTrim->path() && !m_dirTrim->setPath(view.folder)) {
        // Readable a moment ago, gone now: the drive list goes back to the folder that is still shown.
        selectDrive(m_drives.driveOf(m_dirTrim->path()));
        return;
    }
    selectDrive(view.drive);
}

void frmMain::dirTrim_Change(const QString& folder) {
    m_set.setFolder(folder);
    m_files.refresh();
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
    const qsizetype row = name.isEmpty() ? -1 : m_set.names().indexOf(name);
    if (row >= 0) {
        m_filTrim->setCurrentIndex(m_files.index(static_cast<int>(row)));
    }
}

void frmMain::TabFunction_Click() {
    const bool renameTab = m_tabFunction->currentIndex() == 0;
    QGroupBox* hidden = renameTab ? m_frmBill : m_frmRename;
    // A focus left in the frame that goes away would wander into a field of the other frame and select
    // its method; the tab strip holds it instead.
    if (QWidget* focus = focusWidget(); focus != nullptr && hidden->isAncestorOf(focus)) {
        m_tabFunction->setFocus(Qt::TabFocusReason);
    }
    m_frmRename->setVisible(renameTab);
    m_frmBill->setVisible(!renameTab);
    if (renameTab) {
        m_cmdTrim->setText(text(texts::kCaptionRename));
    } else {
        m_cmdTrim->setText(text(texts::kCaptionList));
        m_txtName->setFocus(Qt::OtherFocusReason);
    }
    m_tabFunction->lower();
}

void frmMain::cmdTrim_Click() {
    if (m_set.count() == 0) {
        m_services->showMessage(text(texts::kNoFiles));
        return;
    }
    switch (commandForCaption(m_cmdTrim->text())) {
    case Command::Rename:
        RenameFiles();
        break;
    case Command::List:
        MakeFileList();
        break;
    case Command::None:
        break;
    }
}

void frmMain::cmdExit_Click() {
    close();
}

void frmMain::methodOption_Click(engine::RenameMethod method) {
    showMethod(m_coupling.selectOption(method));
}

void frmMain::methodField_GotFocus(MethodField field) {
    showMethod(m_coupling.enterField(field));
}

void frmMain::RenameFiles() {
    engine::RenameFiles(renameRequest(), *m_services, engine::defaultRunEnvironment());
}

engine::RenameRequest frmMain::renameRequest() const {
    engine::RenameRequest request;
    request.Method = m_coupling.method();
    request.FindText = m_txtReplaceS->text();
    request.ReplaceText = m_txtReplaceT->text();
    request.PrefixText = m_txtPrefix->text();
    request.FillText = m_txtFill->text();
    request.InsertText = m_txtInsert->text();
    request.PositionText = m_txtPosition->text();
    request.Folder = m_set.folder();
    request.Files = m_set.names();
    return request;
}

void frmMain::buildFileListMenu() {
    m_actPreview = new QAction(text(texts::kMenuPreview), m_filTrim);
    m_actPreview->setObjectName(u"actPreview"_s);
    m_actPreview->setShortcut(QKeySequence(Qt::ALT | Qt::Key_P));
    m_actUndo = new QAction(text(texts::kMenuUndo), m_filTrim);
    m_actUndo->setObjectName(u"actUndo"_s);
    m_actUndo->setShortcut(QKeySequence(Qt::ALT | Qt::Key_U));
    m_fileListMenu = new QMenu(this);
    for (QAction* action : {m_actPreview, m_actUndo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        m_filTrim->addAction(action);
        m_fileListMenu->addAction(action);
    }
    connect(m_actPreview, &QAction::triggered, this, [this] { previewRename(); });
    connect(m_actUndo, &QAction::triggered, this, [this] { undoLastRun(); });
    m_filTrim->setToolTip(text(texts::kFileListTip));
    // Every way in reaches openFileListMenu through the event filter: the context-menu events of the list and
    // its viewport, the Menu key and Shift+F10.
    m_filTrim->installEventFilter(this);
    m_filTrim->viewport()->installEventFilter(this);
}

// One menu at a time: on X11 the Menu key comes as a context-menu event and then as the key itself, which
// arrives while the menu is open.
void frmMain::openFileListMenu(const QPoint& globalPos) {
    if (!m_fileListMenu->isVisible()) {
        m_fileListMenu->exec(globalPos);
    }
}

// A key opens the menu at the current entry, or at the list's corner when there is none.
QPoint frmMain::fileListMenuPoint() const {
    const QRect current = m_filTrim->visualRect(m_filTrim->currentIndex());
    return m_filTrim->viewport()->mapToGlobal(current.isValid() ? current.center() : QPoint(0, 0));
}

// The rename command's inputs, checked as the command checks them, then the dialog over the computed rows.
void frmMain::previewRename() {
    if (m_set.count() == 0) {
        m_services->showMessage(text(texts::kNoFiles));
        return;
    }
    engine::RenamePreview preview;
    if (const std::optional<QString> message =
            engine::previewRename(renameRequest(), preview, engine::defaultRunEnvironment())) {
        m_services->showMessage(*message);
        return;
    }
    PreviewDialog dialog(std::move(preview), this);
    // The modal dialog keeps the inputs as they were read: the run takes the same ones.
    if (dialog.exec() == QDialog::Accepted) {
        RenameFiles();
    }
}

void frmMain::undoLastRun() {
    engine::undoLastRun(m_set.folder(), *m_services, engine::defaultRunEnvironment());
}

void frmMain::MakeFileList() {
    listing::FileListRequest request;
    request.listName = m_txtName->text();
    request.form = m_optNo->isChecked() ? listing::NameForm::WithoutExtension : listing::NameForm::WithExtension;
    request.patternText = m_comPostfix->currentText();
    request.folder = m_set.folder();
    request.files = m_set.names();
    listing::MakeFileList(request, *m_services);
}

void frmMain::selectDrive(const QString& root) {
    const int index = m_driTrim->findData(root);
    if (index >= 0) {
        const QSignalBlocker quiet(m_driTrim);
        m_driTrim->setCurrentIndex(index);
    }
}

// Shows the coupling's method in the option group and moves the focus where the coupling sends it.
void frmMain::showMethod(std::optional<MethodField> focusTarget) {
    // Setting the option raises its click handler, which finds the coupling's method already selected.
    optionOf(m_coupling.method())->setChecked(true);
    if (focusTarget) {
        fieldOf(*focusTarget)->setFocus(Qt::OtherFocusReason);
    }
}

QRadioButton* frmMain::optionOf(engine::RenameMethod method) const {
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

QLineEdit* frmMain::fieldOf(MethodField field) const {
    switch (field) {
    case MethodField::ReplaceS:
        return m_txtReplaceS;
    case MethodField::ReplaceT:
        return m_txtReplaceT;
    case MethodField::Prefix:
        return m_txtPrefix;
    case MethodField::Fill:
        return m_txtFill;
    case MethodField::Insert:
        return m_txtInsert;
    case MethodField::Position:
        return m_txtPosition;
    }
    return m_txtReplaceS;
}

// The choices in the pattern box's open list, the ways into the file list's menu, and the fields' GotFocus
// handlers. Getting the focus back because the window was activated again is no entering of the field.
bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_comPostfix->view() || watched == m_comPostfix->view()->viewport()) {
        noteChoiceFromList(event);
        return QWidget::eventFilter(watched, event);
    }
    if (watched == m_filTrim || watched == m_filTrim->viewport()) {
        if (event->type() == QEvent::ContextMenu) {
            const auto* menu = static_cast<QContextMenuEvent*>(event);
            openFileListMenu(menu->reason() == QContextMenuEvent::Mouse ? menu->globalPos() : fileListMenuPoint());
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const QKeyCombination key = static_cast<QKeyEvent*>(event)->keyCombination();
            if (key == QKeyCombination(Qt::Key_Menu) || key == QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)) {
                openFileListMenu(fileListMenuPoint());
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (const MethodField field : {MethodField::ReplaceS, MethodField::ReplaceT, MethodField::Prefix,
                                            MethodField::Fill, MethodField::Insert, MethodField::Position}) {
                if (watched == fieldOf(field)) {
                    methodField_GotFocus(field);
                    break;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The open list takes a release of the mouse on an entry, or Enter, as the choice of that entry and raises the
// combo box's activation while it handles the event. The note is dropped once the event loop comes round
// again, in case no entry was chosen.
void frmMain::noteChoiceFromList(QEvent* event) {
    const bool choosing =
        event->type() == QEvent::MouseButtonRelease ||
        (event->type() == QEvent::ShortcutOverride && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                                       static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter));
    if (choosing && m_comPostfix->view()->isVisible() && !m_choosingFromList) {
        m_choosingFromList = true;
        QTimer::singleShot(0, this, [this] { m_choosingFromList = false; });
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
        {m_driTrim, u"驱动器"},
        {m_driTrim->view(), u"驱动器"},
        {m_dirTrim, u"文件夹"},
        {m_filTrim, u"文件"},
        {m_comPostfix, u"文件类型"},
        {m_comPostfix->view(), u"文件类型"},
        {m_comPostfix->lineEdit(), u"文件类型"},
        {m_tabFunction, u"功能"},
        {m_frmRename, u"改名方式"},
        {m_frmBill, u"清单选项"},
        {m_txtReplaceS, u"替换前"},
        {m_txtReplaceT, u"替换后"},
        {m_txtPrefix, u"词头"},
        {m_txtFill, u"补齐字符"},
        {m_txtPosition, u"插入位置：第几个字符后"},
        {m_txtInsert, u"插入的字符串"},
        {m_txtName, u"清单文本存为"},
        {m_txtHelp, u"使用说明"},
        {m_txtHelp->verticalScrollBar(), u"使用说明滚动条"},
        {m_proCourse, u"进度"},
    };
    for (const auto& [control, name] : names) {
        control->setAccessibleName(text(name));
    }
    m_driTrim->setAccessibleDescription(text(u"驱动器"));
    m_comPostfix->setAccessibleDescription(text(u"文件类型"));
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

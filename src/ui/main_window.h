#pragma once

#include "ui/twips.h"
#include "ui_core/drive_handling.h"
#include "ui_core/file_list_model.h"
#include "ui_core/method_coupling.h"
#include "ui_core/working_set.h"

#include <QWidget>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace filarion::ui {

class FolderList;
class WindowServices;

// The main window. It builds the controls (their object names are the control names: driTrim, dirTrim,
// filTrim, comPostfix, TabFunction, frmRename, frmBill, cmdTrim, cmdExit, txtHelp, proCourse, the options,
// fields and labels), places them at their twips positions, connects their signals to the handlers below
// and runs the start-up sequence before it is first shown. The drive handling, the option and field
// coupling and the dispatch by caption live in their own classes.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The drive list offers the volumes of `volumes`, which must outlive the window.
    explicit frmMain(const VolumeSource& volumes, QWidget* parent = nullptr);
    ~frmMain() override;

    const WorkingSet& workingSet() const { return m_set; }

    // The folder given on the command line (a file: its folder), walked to as through the folder list. One
    // that is not there or cannot be read gets a message, and the window stays where it started.
    void startIn(const QString& given);

    // The font of the window and of every control but the help box.
    static QFont windowFont();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildBrowser();
    void buildFunctions();
    void buildRenameFrame();
    void buildBillFrame();
    void setFocusOrder();
    void connectHandlers();
    void place(QWidget* control, const TwipsRect& twips);
    void placeCaption(QWidget* control, const TwipsRect& twips);

    void Form_Load();
    void driTrim_Change();
    void dirTrim_Change(const QString& folder);
    void comPostfix_Change(const QString& text);
    void filTrim_Click();
    void TabFunction_Click();
    void cmdTrim_Click();
    void cmdExit_Click();
    void methodOption_Click(engine::RenameMethod method);
    void methodField_GotFocus(MethodField field);

    void RenameFiles();
    void MakeFileList();

    // The file list's context menu (right click, the Menu key, Shift+F10) and its window-wide shortcuts
    // Alt+P and Alt+U, which no caption of the window uses as its access key.
    void buildFileListMenu();
    engine::RenameRequest renameRequest() const;
    void previewRename();
    void undoLastRun();

    void noteChoiceFromList(QEvent* event);
    void openFileListMenu(const QPoint& globalPos);
    QPoint fileListMenuPoint() const;
    void selectDrive(const QString& root);
    void showMethod(std::optional<MethodField> focusTarget);
    QRadioButton* optionOf(engine::RenameMethod method) const;
    QLineEdit* fieldOf(MethodField field) const;
    void setAccessibleNames();

    TwipsScale m_scale;
    DriveHandling m_drives;
    WorkingSet m_set;
    MethodCoupling m_coupling;
    FileListModel m_files{m_set}; // reads m_set, so it is declared after it and goes before it
    std::unique_ptr<WindowServices> m_services;
    bool m_choosingFromList = false; // the open list of the pattern box is handling a choice

    QComboBox* m_driTrim = nullptr;
    FolderList* m_dirTrim = nullptr;
    QListView* m_filTrim = nullptr;
    QComboBox* m_comPostfix = nullptr;
    QTabWidget* m_tabFunction = nullptr;
    QGroupBox* m_frmRename = nullptr;
    QGroupBox* m_frmBill = nullptr;
    QPushButton* m_cmdTrim = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QPlainTextEdit* m_txtHelp = nullptr;
    QProgressBar* m_proCourse = nullptr;

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

    QLabel* m_labName = nullptr;
    QLineEdit* m_txtName = nullptr;
    QRadioButton* m_optPostfix = nullptr;
    QRadioButton* m_optNo = nullptr;

    QAction* m_actPreview = nullptr;
    QAction* m_actUndo = nullptr;
    QMenu* m_fileListMenu = nullptr;
};

} // namespace filarion::ui

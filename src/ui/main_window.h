#pragma once

#include "ui/twips.h"
#include "ui/window_layout.h"
#include "ui/window_services.h"
#include "ui_core/commands.h"
#include "ui_core/drive_handling.h"
#include "ui_core/file_list_model.h"
#include "ui_core/start_folder.h"
#include "ui_core/working_set.h"

#include <QWidget>
#include <optional>

class QComboBox;
class QListView;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace filarion::ui {

class FolderList;
class ListFrame;
class PatternBox;
class RenameFrame;

// The main window. It builds the controls (their object names are the control names: driTrim, dirTrim,
// filTrim, comPostfix, TabFunction, frmRename, frmBill, cmdTrim, cmdExit, txtHelp, proCourse, the options,
// fields and labels), places them at their twips positions, connects their signals to the handlers below
// and runs the start-up sequence before it is first shown. The drive handling and the commands live in
// their own classes; the rename frame, the list frame, the pattern box and the file list's menu are widgets
// of their own.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The drive list offers the volumes of `volumes`; the commands talk back through `services`, which the
    // window attaches its progress bar and file list to. Both must outlive the window.
    frmMain(const ui_core::VolumeSource& volumes, WindowServices& services, QWidget* parent = nullptr);
    ~frmMain() override;

    const ui_core::WorkingSet& workingSet() const { return m_set; }

    // The folder given on the command line (a file: its folder), read on a thread of its own and shown when
    // it answers, unless the user has moved meanwhile. One that is not there or cannot be read gets a
    // message, and the window stays where it started.
    void startIn(const QString& given);
    // The start folder, or the one given, has not answered yet: its lists are empty.
    bool starting() const { return m_start.pending(); }

    // The font of the window and of every control but the help box.
    static QFont windowFont();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildBrowser();
    void buildFunctions();
    void setFocusOrder();
    void connectHandlers();
    void place(QWidget* control, const TwipsRect& twips, TabBarShift shift);
    void presentAsWindow();

    std::optional<QStringList> readFolder(const QString& folder);
    void startAnswered(ui_core::StartAnswer answer);

    void Form_Load();
    void driTrim_Change();
    void dirTrim_Change(const QString& folder);
    void comPostfix_Change(const QString& text);
    void filTrim_Click();
    void TabFunction_Click();
    void cmdTrim_Click();
    void cmdExit_Click();

    // What the commands take from the controls, copied when a command starts.
    ui_core::CommandInputs commandInputs() const;
    void previewRename();

    void selectDrive(const QString& root);
    void setAccessibleNames();

    TwipsScale m_scale;
    int m_tabBarExcess = 0; // what the style's tab bar needs beyond its place: the frames move down by it
    ui_core::DriveHandling m_drives;
    ui_core::WorkingSet m_set;
    ui_core::FileListModel m_files{m_set}; // reads m_set, so it is declared after it and goes before it
    WindowServices& m_services;
    ui_core::WindowCommands m_commands;
    ui_core::StartFolderReader m_start; // destroyed before the rest: an answer never meets a window half gone

    QComboBox* m_driTrim = nullptr;
    FolderList* m_dirTrim = nullptr;
    QListView* m_filTrim = nullptr;
    PatternBox* m_comPostfix = nullptr;
    QTabWidget* m_tabFunction = nullptr;
    RenameFrame* m_frmRename = nullptr;
    ListFrame* m_frmBill = nullptr;
    QPushButton* m_cmdTrim = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QPlainTextEdit* m_txtHelp = nullptr;
    QProgressBar* m_proCourse = nullptr;
};

} // namespace filarion::ui

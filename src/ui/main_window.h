#pragma once

#include "ui/twips.h"
#include "ui/window_layout.h"
#include "ui/window_services.h"
#include "ui_core/commands.h"
#include "ui_core/session.h"

#include <QWidget>

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
// and runs the start-up sequence before it is first shown. What it shows is the session's
// (ui_core::Session: the folder, the working set, the drives, the start folder, the commands): the window
// forwards its controls' events to it and shows what it tells. The rename frame, the list frame, the pattern
// box and the file list's menu are widgets of their own.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // The drive list offers the volumes of `volumes`; the commands talk back through `services`, which the
    // window attaches its progress bar and file list to. Both must outlive the window. A folder `given` on
    // the command line is the one the window starts in, and shown in its first frame when it answers in time;
    // the working folder is then not read (Session).
    frmMain(const ui_core::VolumeSource& volumes, WindowServices& services,
            const std::optional<QString>& given = std::nullopt, QWidget* parent = nullptr);
    ~frmMain() override;

    const ui_core::WorkingSet& workingSet() const { return m_session.workingSet(); }

    // A folder given later: Session::startIn.
    void startIn(const QString& given) { m_session.startIn(given); }
    // The start folder, or the one given, has not answered yet: its lists are empty.
    bool starting() const { return m_session.starting(); }

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

    void Form_Load();
    void driTrim_Change();
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
    WindowServices& m_services;
    ui_core::Session m_session;

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

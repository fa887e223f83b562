// TMainForm: the tool's only top-level window. It wires the folder browser,
// the preview, the gauge and the status bar to the run controller, owns the
// option record and the settings store, and restores and saves its
// placement. Behaviour lives in the helpers it wires: RunController,
// MainFormView, the show-list rules and the two dialogs.
#pragma once

#include <QCoreApplication>
#include <QMainWindow>

#include <memory>
#include <string>

#include "app/MessageBoxes.h"
#include "app/ShellOpener.h"
#include "listgen/GenerationOptions.h"
#include "profile/TProfile.h"
#include "widgets/UiLanguage.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;

namespace htmlimglist {

class MainFormView;
class RunController;
class TCGauge;
class TDirectoryListBox;
class TDriveComboBox;

// The files beside the executable.
struct MainFormFiles {
    std::string settingsFile;   // the INI file (empty: "WIN.INI", as no name was found)
    std::string helpFile;       // the help text in the window's language
    std::string programFolder;  // the executable's folder: where opened pages' programs start
};

// The files of a window whose executable lies at executable (empty: not
// known) and whose help text is in language: the help text beside the
// executable, "<executable>.TXT" in Japanese and "<executable>.en.TXT" in
// English.
MainFormFiles ProgramFiles(const std::string& executable, const std::string& settingsFile, UiLanguage language);

class TMainForm : public QMainWindow {
    Q_DECLARE_TR_FUNCTIONS(TMainForm)

public:
    // opener and boxes default to the desktop's and to real modal boxes.
    explicit TMainForm(MainFormFiles files, std::unique_ptr<ShellOpener> opener = nullptr,
                       std::unique_ptr<MessageBoxes> boxes = nullptr);
    ~TMainForm() override;

    // Handlers, named as the form binds them.
    void FormCreate();
    void FormClose();
    void N1Click();      // make
    void A1Click();      // abort
    void B1Click();      // show list
    void Exit1Click();   // exit
    void File1Click();   // the File menu opens
    void Help1Click();   // the Help menu opens
    void Help2Click();   // help
    void About1Click();  // version

    // A folder dropped from the desktop: starts a run with the options as
    // they stand. Ignored while a run is active.
    void DropPath(const std::string& path);

    GenerationOptions& Options() { return GenerationOptions_; }
    TProfile& Profile() { return Profile1; }
    RunController& Runs() { return *runs_; }
    // Makes the enabled state of every command follow whether a run is
    // active.
    void UpdateActions();

    QStatusBar* StatusBar1;
    QLabel* StatusPanels[5];
    QFrame* PMainBase;
    QFrame* PActionTopBase;
    QPushButton* SpeedButton2;
    QPushButton* SpeedButton3;
    QPushButton* SpeedButton4;
    QPushButton* SpeedButton1;
    QSplitter* PFileBase;
    QFrame* PDirectoryBase;
    TDriveComboBox* DriveComboBox1;
    TDirectoryListBox* DirectoryListBox1;
    QFrame* PImageRightBase;
    QLabel* Panel1;
    QFrame* Panel3;
    QLabel* Image1;
    QFrame* Panel2;
    TCGauge* CGauge1;

    QMenu* File1;
    QAction* N1;
    QAction* A1;
    QAction* B1;
    QAction* Exit1;
    QMenu* Help1;
    QAction* Help2;
    QAction* About1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class MainFormView;

    void BuildLayout();
    void BuildMenu();
    void RunFinished();
    void ShowBox(const QString& text);
    // Opens path with the desktop's program for it; a file or program that
    // is not there is said in a box naming the file as shownName.
    void OpenWithDesktop(const std::string& path, const std::string& shownName);

    MainFormFiles files_;
    std::unique_ptr<ShellOpener> opener_;
    std::unique_ptr<MessageBoxes> boxes_;
    GenerationOptions GenerationOptions_;
    TProfile Profile1;
    std::unique_ptr<MainFormView> view_;
    std::unique_ptr<RunController> runs_;
    bool closeWhenRunEnds_ = false;
    // Width of the folder panel (the splitter position) until the window is
    // first shown and the splitter takes it over.
    int splitterPosition_ = 140;
    bool splitterApplied_ = false;
};

}  // namespace htmlimglist

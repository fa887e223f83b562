#include "app/TMainForm.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/FolderBrowser.h"
#include "app/MainFormView.h"
#include "app/MessageBoxes.h"
#include "app/RunController.h"
#include "app/ShellOpener.h"
#include "app/ShowList.h"
#include "dialogs/TAboutForm.h"
#include "dialogs/TSettingForm.h"
#include "listgen/SettingsFile.h"
#include "platform/ExecutablePath.h"
#include "platform/Path.h"
#include "widgets/JapaneseFonts.h"
#include "widgets/ProgramIcon.h"
#include "widgets/TCGauge.h"
#include "widgets/UiLanguage.h"

namespace htmlimglist {
namespace {

constexpr int kDesignLeft = 308, kDesignTop = 107, kDesignWidth = 630, kDesignHeight = 460;
// The status bar's panels, left to right: name, width, height, file size, and
// one left empty; below the bar's top edge by kStatusPanelTop.
constexpr int kStatusPanelWidths[5] = {180, 50, 50, 70, 50};
constexpr int kStatusPanelTop = 2;

// What the window says at start-up about a settings file it could not load
// (%1: its path), untranslated. A missing file is the first start: nothing
// is said.
const char* SettingsLoadMessage(ProfileFileStatus status) {
    switch (status) {
        case ProfileFileStatus::TooLarge:
            return QT_TRANSLATE_NOOP("TMainForm", "設定ﾌｧｲﾙが大き過ぎます.\n%1\n既定値を使用します.");
        case ProfileFileStatus::Unreadable:
            return QT_TRANSLATE_NOOP("TMainForm", "設定ﾌｧｲﾙを読めませんでした.\n%1\n既定値を使用します.");
        case ProfileFileStatus::Loaded:
        case ProfileFileStatus::Missing: break;
    }
    return nullptr;
}

// What the window says at start-up about numbers of the settings file
// outside their range (%1: its path, %2: each number, its range and the
// value used, one a line), untranslated.
const char* const kSettingsClampedMessage =
    QT_TRANSLATE_NOOP("TMainForm", "設定ﾌｧｲﾙに範囲外の値があります.\n%1\n%2\n範囲内の値を使用します.");

QFrame* Panel(QFrame::Shadow shadow) {
    auto* frame = new QFrame;
    if (shadow == QFrame::Sunken) frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return frame;
}

QVBoxLayout* Stack(QWidget* owner) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

QPushButton* SpeedButton(QWidget* parent, const QString& caption, const QString& tip, int left, int width) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(left, 4, width, 22);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);  // speed buttons never take the focus
    return button;
}

// A help text: beside the executable (the build tree, or a folder the
// program was copied into), else in share/htmlimglist/ of the tree it is
// installed in (/usr/bin/htmlimglist: /usr/share/htmlimglist/).
std::string HelpFilePath(const std::string& executable, std::string_view extension) {
    const std::string beside = SiblingWithExtension(executable, extension);
    const std::string installed =
        JoinPath(JoinPath(CutAtLastSeparator(CutAtLastSeparator(executable)), "share/htmlimglist"),
                 NameAfterLastSeparator(beside));
    const auto exists = [](const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); };
    return !exists(beside) && exists(installed) ? installed : beside;
}

}  // namespace

MainFormFiles ProgramFiles(const std::string& executable, const std::string& settingsFile, UiLanguage language) {
    MainFormFiles files;
    files.settingsFile = settingsFile;
    if (!executable.empty()) {
        files.helpFile = HelpFilePath(executable, language == UiLanguage::English ? ".en.TXT" : ".TXT");
        const std::string folder = CutAtLastSeparator(executable);
        files.programFolder = folder.empty() ? std::string(1, '/') : folder;  // "/htmlimglist" lies in the root
    }
    return files;
}

TMainForm::TMainForm(MainFormFiles files, std::unique_ptr<ShellOpener> opener, std::unique_ptr<MessageBoxes> boxes)
    : files_(std::move(files)),
      opener_(opener ? std::move(opener) : std::make_unique<DesktopOpener>()),
      boxes_(boxes ? std::move(boxes) : std::make_unique<ModalMessageBoxes>()),
      view_(std::make_unique<MainFormView>(*this)) {
    BuildLayout();
    BuildMenu();
    runs_ = std::make_unique<RunController>(GenerationOptions_, files_.settingsFile, *view_);
    runs_->SetOnFinished([this] { RunFinished(); });
    UpdateActions();
    FormCreate();
}

TMainForm::~TMainForm() {
    // The run goes first: it reports into the widgets and the view.
    runs_.reset();
}

void TMainForm::BuildLayout() {
    setWindowTitle(ToolTitle());
    setWindowIcon(ProgramIcon());
    setFont(JapaneseFont(JapaneseFace::PGothic, 12));
    move(kDesignLeft, kDesignTop);
    resize(kDesignWidth, kDesignHeight);

    StatusBar1 = new QStatusBar;
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);
    // Each panel starts where the one before it ends. They are placed by
    // hand: the status bar's own layout would put gaps between them.
    int panelLeft = 0;
    for (int i = 0; i < 5; ++i) {
        StatusPanels[i] = new QLabel(StatusBar1);
        StatusPanels[i]->setGeometry(panelLeft, kStatusPanelTop, kStatusPanelWidths[i],
                                     StatusBar1->height() - kStatusPanelTop);
        StatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panelLeft += kStatusPanelWidths[i];
    }
    setStatusBar(StatusBar1);

    PMainBase = Panel(QFrame::Plain);
    setCentralWidget(PMainBase);
    QVBoxLayout* main = Stack(PMainBase);

    PActionTopBase = Panel(QFrame::Sunken);
    PActionTopBase->setFixedHeight(30);
    SpeedButton2 = SpeedButton(PActionTopBase, tr("作成..."), tr("[Ctrl]+[M]でも作成"), 4, 60);
    SpeedButton3 = SpeedButton(PActionTopBase, tr("ﾘｽﾄ表示"), tr("[Ctrl]+[V]でも表示"), 68, 70);
    SpeedButton4 = SpeedButton(PActionTopBase, tr("中止"), tr("[Ctrl]+[A]でも中止"), 144, 60);
    SpeedButton4->setEnabled(false);
    SpeedButton1 = SpeedButton(PActionTopBase, tr("終了"), tr("[Alt]+[F4]でも終了"), 208, 60);
    main->addWidget(PActionTopBase);

    PFileBase = new QSplitter(Qt::Horizontal);
    PFileBase->setHandleWidth(3);
    PFileBase->setChildrenCollapsible(false);
    PFileBase->setOpaqueResize(true);  // the folder panel follows the drag live
    main->addWidget(PFileBase, 1);

    PDirectoryBase = Panel(QFrame::Plain);
    QVBoxLayout* folders = Stack(PDirectoryBase);
    DirectoryListBox1 = new TDirectoryListBox;
    DriveComboBox1 = new TDriveComboBox(*DirectoryListBox1);
    DriveComboBox1->setFont(JapaneseFont(JapaneseFace::PGothic, 13));
    folders->addWidget(DriveComboBox1);
    folders->addWidget(DirectoryListBox1, 1);
    DirectoryListBox1->SetOnChanged([this](const std::string& path) { DriveComboBox1->ShowVolumeOf(path); });
    DirectoryListBox1->SetDirectory(QDir::currentPath().toStdString());
    PFileBase->addWidget(PDirectoryBase);

    PImageRightBase = Panel(QFrame::Sunken);
    QVBoxLayout* preview = Stack(PImageRightBase);
    Panel1 = new QLabel(QStringLiteral(" "));
    Panel1->setFixedHeight(25);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setAutoFillBackground(true);
    QPalette title = Panel1->palette();
    title.setColor(QPalette::Window, QColor(0, 128, 128));
    title.setColor(QPalette::WindowText, Qt::white);
    Panel1->setPalette(title);
    Panel1->setFont(JapaneseFont(JapaneseFace::Mincho, 19, true));
    Panel3 = Panel(QFrame::Plain);
    Panel3->setFixedHeight(2);
    Image1 = new QLabel;
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);  // a big preview never grows the window
    Panel2 = Panel(QFrame::Plain);
    Panel2->setFixedHeight(2);
    CGauge1 = new TCGauge;
    CGauge1->setFixedHeight(20);
    CGauge1->SetBorderStyle(bsNone);
    CGauge1->SetForeColor(Qt::blue);
    for (QWidget* part : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Panel3)}) preview->addWidget(part);
    preview->addWidget(Image1, 1);
    preview->addWidget(Panel2);
    preview->addWidget(CGauge1);
    PFileBase->addWidget(PImageRightBase);
    // Extra width goes to the preview; the folder panel keeps its width.
    PFileBase->setStretchFactor(0, 0);
    PFileBase->setStretchFactor(1, 1);

    connect(SpeedButton2, &QPushButton::clicked, this, [this] { N1Click(); });
    connect(SpeedButton3, &QPushButton::clicked, this, [this] { B1Click(); });
    connect(SpeedButton4, &QPushButton::clicked, this, [this] { A1Click(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { Exit1Click(); });
}

void TMainForm::BuildMenu() {
    auto action = [this](QMenu* menu, const QString& caption, QKeySequence shortcut, void (TMainForm::*handler)()) {
        QAction* item = menu->addAction(caption);
        item->setShortcut(shortcut);
        connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return item;
    };
    File1 = menuBar()->addMenu(tr("ﾌｧｲﾙ(&F)"));
    connect(File1, &QMenu::aboutToShow, this, [this] { File1Click(); });
    N1 = action(File1, tr("作成(&M)..."), QKeySequence(Qt::CTRL | Qt::Key_M), &TMainForm::N1Click);
    A1 = action(File1, tr("中止(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A), &TMainForm::A1Click);
    File1->addSeparator();
    B1 = action(File1, tr("ﾘｽﾄ表示(&H)"), QKeySequence(Qt::CTRL | Qt::Key_V), &TMainForm::B1Click);
    File1->addSeparator();
    Exit1 = action(File1, tr("終了(&X)"), QKeySequence(), &TMainForm::Exit1Click);

    Help1 = menuBar()->addMenu(tr("ﾍﾙﾌﾟ(&H)"));
    connect(Help1, &QMenu::aboutToShow, this, [this] { Help1Click(); });
    Help2 = action(Help1, tr("ﾍﾙﾌﾟ(&H)..."), QKeySequence(), &TMainForm::Help2Click);
    Help1->addSeparator();
    About1 = action(Help1, tr("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), QKeySequence(), &TMainForm::About1Click);
}

void TMainForm::FormCreate() {
    Profile1.SetSection(kSettingsSection);
    if (!files_.settingsFile.empty()) Profile1.SetFileName(files_.settingsFile);
    // One reading of the file answers the conditions and the placement.
    std::vector<ClampedSetting> clamped;
    const ProfileSnapshot settings = LoadFromProfile(GenerationOptions_, Profile1, &clamped);
    if (const char* message = SettingsLoadMessage(settings.Status())) {
        ShowBox(tr(message).arg(QString::fromStdString(Profile1.FileName())));
    }
    if (!clamped.empty()) {
        ShowBox(tr(kSettingsClampedMessage)
                    .arg(QString::fromStdString(Profile1.FileName()),
                         QString::fromStdString(ClampedSettingsText(clamped, "\n"))));
    }

    // Each entry defaults to what the window has now: without a settings
    // file the window keeps its design layout.
    auto read = [this, &settings](const char* entry, int present) {
        Profile1.SetEntry(entry);
        Profile1.SetDefaultText(std::to_string(present));
        return Profile1.GetValue(settings);
    };
    const int left = read("WindowLeft", x());
    const int top = read("WindowTop", y());
    const int height = read("WindowHeight", this->height());
    const int width = read("WindowWidth", this->width());
    const int splitter = read("SplitterPosition", splitterPosition_);
    move(left, top);
    resize(width, height);
    // The splitter lays its panels out only once shown (showEvent).
    splitterPosition_ = splitter;

    Profile1.SetEntry("RunDir");
    Profile1.SetDefaultText("");
    if (!DirectoryListBox1->SetDirectory(Profile1.GetText(settings))) Profile1.SetText("");

    setAcceptDrops(true);
}

void TMainForm::FormClose() {
    if (isMinimized() || isMaximized() || isFullScreen()) return;
    const int splitter = splitterApplied_ ? PFileBase->sizes().value(0) : splitterPosition_;
    const std::pair<const char*, int> entries[] = {
        {"WindowLeft", x()}, {"WindowTop", y()}, {"WindowHeight", height()}, {"WindowWidth", width()},
        {"SplitterPosition", splitter},
    };
    for (const auto& [entry, value] : entries) {
        Profile1.SetEntry(entry);
        Profile1.SetValue(value);
    }
}

void TMainForm::UpdateActions() {
    const bool running = runs_ && runs_->Active();
    for (QWidget* idleOnly : {static_cast<QWidget*>(SpeedButton2), static_cast<QWidget*>(SpeedButton3),
                              static_cast<QWidget*>(DirectoryListBox1), static_cast<QWidget*>(DriveComboBox1)}) {
        idleOnly->setEnabled(!running);
    }
    N1->setEnabled(!running);
    B1->setEnabled(!running);
    SpeedButton4->setEnabled(running);
    A1->setEnabled(running);
}

void TMainForm::N1Click() {
    if (runs_->Active()) return;
    int result;
    {
        TSettingForm dialog(GenerationOptions_, Profile1, this);
        result = dialog.exec();
    }
    if (result == TSettingForm::kResultStoreOnly || result == TSettingForm::kResultCancel) return;
    runs_->Start(DirectoryListBox1->Directory());
    UpdateActions();
}

void TMainForm::A1Click() { runs_->Abort(); }

void TMainForm::OpenWithDesktop(const std::string& path, const std::string& shownName) {
    auto say = [this, shownName](OpenResult result) {
        if (const std::optional<QString> message = ShowListMessage(result, shownName)) {
            view_->BringToFront();
            ShowBox(*message);
        }
    };
    // The program starts in the executable's folder, never in the selected
    // one, which it might keep in use. The desktop may find out only later
    // that it has no program for the file; the window may be gone by then.
    const QPointer<TMainForm> window(this);
    say(opener_->Open(path, files_.programFolder, [window, say](OpenResult result) {
        if (window) say(result);
    }));
}

void TMainForm::B1Click() {
    if (runs_->Active()) return;
    OpenWithDesktop(MainListPath(DirectoryListBox1->Directory(), GenerationOptions_), GenerationOptions_.HTMLListName);
}

void TMainForm::Exit1Click() { close(); }

void TMainForm::File1Click() { A1->setEnabled(SpeedButton4->isEnabled()); }

void TMainForm::Help1Click() { Help2->setEnabled(QFileInfo::exists(QString::fromStdString(files_.helpFile))); }

void TMainForm::Help2Click() { OpenWithDesktop(files_.helpFile, NameAfterLastSeparator(files_.helpFile)); }

void TMainForm::About1Click() {
    TAboutForm dialog(this);
    dialog.exec();
}

void TMainForm::DropPath(const std::string& path) {
    if (runs_->Active()) return;
    view_->BringToFront();
    runs_->Drop(AbsolutePath(path));
    UpdateActions();
}

void TMainForm::RunFinished() {
    UpdateActions();
    if (closeWhenRunEnds_) close();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (splitterApplied_) return;
    splitterApplied_ = true;
    PFileBase->setSizes({splitterPosition_, std::max(PFileBase->width() - splitterPosition_, 1)});
}

void TMainForm::ShowBox(const QString& text) { boxes_->Show(this, text); }

void TMainForm::closeEvent(QCloseEvent* event) {
    if (runs_->Active()) {
        // The run stops after its current image and saves its page; the
        // window closes once it has.
        closeWhenRunEnds_ = true;
        runs_->Abort();
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!runs_->Active() && data->hasUrls() && data->urls().first().isLocalFile()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    // Only the first item counts; a drop during a run is ignored.
    if (runs_->Active() || urls.isEmpty() || !urls.first().isLocalFile()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    DropPath(urls.first().toLocalFile().toStdString());
}

}  // namespace htmlimglist

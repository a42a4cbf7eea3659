#pragma once

#include "ActionHost.h"
#include "FindJob.h"
#include "FormLayout.h"
#include "GapProbe.h"
#include "IntervalTimer.h"
#include "Prompt.h"
#include "ResultCommandHost.h"
#include "ResultSet.h"
#include "frmPubAbout.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <string_view>

class QLabel;
class QToolBar;

namespace quilder {

class ClassSelector;
class CommandRouter;
class MenuHelp;
class ResultCommands;
class DesktopKit;
class FolderTree;
class PreparationFrame;
class Prompt;
class ResultFrame;

// The main window: toolbar, the frames "Preparation" and "Result", the status bar, the menus and
// the two timers. It is also the engine's host.
class frmPubMain : public QMainWindow, public FindJobHost, public ResultCommandHost {
    Q_OBJECT

public:
    // Start-up: the work store's paths under the program folder, the drives in the tree, the
    // eight result lists, then the commands and the menu help. Nothing is read from or written
    // to the work store.
    explicit frmPubMain(const QString& programFolder, QWidget* parent = nullptr);
    ~frmPubMain() override;

    // EngineHost
    void Yield() override;
    void SetStatusText(const QString& text) override;
    bool ClassBoxTicked(int box) const override;
    int NodeCount() const override;
    bool NodeChecked(int position) const override;
    int NodeChildCount(int position) const override;
    QString NodeKey(int position) const override;
    bool StopRequested() const override { return stopRequested_; }
    void SetAnimationInterval(int milliseconds) override { tim_.setInterval(milliseconds); }
    bool Closing() const override { return closing_; }
    void SetStopRequested(bool stop) { stopRequested_ = stop; }

    // FindJobHost
    void SetLoaderInterval(int milliseconds) override { timLoader_.setInterval(milliseconds); }
    bool OfferToSaveResult() override;
    void ClearStopRequest() override { stopRequested_ = false; }

    // The controls, for the commands and the find job.
    ResultSet& Results() override { return results_; }
    PreparationFrame& Preparation() const { return *fra0_; }
    ClassSelector& Selector() const;
    FolderTree& Tree() const;
    ResultFrame& ResultsFrame() const { return *fra1_; }
    QToolBar& Toolbar() const { return *tlb_; }
    // Panel 1 status text, 2 counts, 3 version.
    QLabel& StatusPanel(int panel) const { return *panels_[static_cast<std::size_t>(panel - 1)]; }
    IntervalTimer& tim() { return tim_; }
    IntervalTimer& timLoader() { return timLoader_; }
    QAction& MenuItem(std::string_view name) const;

    // Every command's handler, by menu item; the find job and the file actions add theirs.
    CommandRouter& Router() const { return *router_; }
    // New Job, Open Result File, Save Result, the save question and the periodic load.
    ResultCommands& FileCommands() const { return *resultCommands_; }

    // Message boxes; tests hand in scripted answers.
    void SetPrompt(std::unique_ptr<Prompt> prompt) { prompt_ = std::move(prompt); }

    // ResultCommandHost
    Prompt& Prompts() override;
    DesktopKit& Desktop() override;
    WindowHandle WindowId() override;
    EngineHost& Engine() override;
    void TickAllFilesBox() override;
    void RefillFolderTree() override;
    void OpenedFileLoadBegins() override;
    void OpenedFileLoadEnded() override;

    // The About box: one instance, modeless, without an owner; shown again when open.
    void ShowAbout();
    frmPubAbout* About() const { return about_; }
    // Where the About box's links get the desktop kit; none: links do nothing.
    void SetDesktopKit(std::function<DesktopKit*()> kit) { desktopKit_ = std::move(kit); }

    // Form_Resize in pixels: reads the client area, lays out in twips, applies.
    void ApplyLayout();
    const WindowLayout& Layout() const { return layout_; }

    // Shut-down steps that must wait until no job is unwinding any more: the services are
    // released and the help viewer is closed. main() calls it once the event loop has ended.
    void ReleaseServices();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void CreateFrames();
    void ShiftFrameContent();
    // The smallest window in which every control keeps room to be used, once the toolbar, the
    // status bar and the frames' content have their places.
    void SetMinimumWindowSize(const ClientArea& client, int menuBottom);

    // The commands' seams (CommandHooks.cpp).
    void ConnectCommands();
    void InstallMenuHelp();
    void RemoveMenuHelp();
    void CloseHelpViewer();
    // Find, Stop, Delete Files, Open/Run Files, Open Folders and the status animation
    // (JobHooks.cpp).
    void ConnectJobCommands();
    // The commands added after the standard Action items: Move Files to Trash, Verify Groups, the
    // tick helpers (ExtraHooks.cpp).
    void ConnectExtraCommands();
    // The row the Action menu's commands mean: the current row of the visible list, which a
    // right click moves to the row under the pointer. -1 for none.
    int ChosenRow() const;

    ResultSet results_;
    IntervalTimer tim_{QStringLiteral("tim")};
    IntervalTimer timLoader_{QStringLiteral("timLoader")};
    QToolBar* tlb_ = nullptr;
    PreparationFrame* fra0_ = nullptr;
    ResultFrame* fra1_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    std::unique_ptr<Prompt> prompt_;
    std::unique_ptr<ResultCommands> resultCommands_;
    CommandRouter* router_ = nullptr;
    MenuHelp* menuHelp_ = nullptr;
    QPointer<frmPubAbout> about_;
    std::function<DesktopKit*()> desktopKit_;
    WindowLayout layout_;
    int contentShift_ = 0; // pixels
    QSize minimumSize_;
    bool contentShifted_ = false;
    bool stopRequested_ = false;
    bool closing_ = false;
    std::unique_ptr<ActionHost> actionHost_;
    YieldPacer yieldPacer_;
    // A job's status text changes per folder or list, thousands of times a second, and a screen
    // reader reads every change: within one phase the panel shows the latest text at most every
    // kStatusIntervalMs (the pace of the dots' animation).
    static constexpr int kStatusIntervalMs = 200;
    void ShowStatus(QString text);
    QElapsedTimer statusShown_;
    QTimer statusDue_;
    QString pendingStatus_;
    // QUILDER_GAP_LOG=file: the job's longest waits between event-loop turns go to that file.
    QString gapLog_;
    std::unique_ptr<GapProbe> gapProbe_;
    void StartGapProbe();
    void FinishGapProbe();
};

} // namespace quilder

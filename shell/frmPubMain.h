#pragma once

#include "Command.h"
#include "FormLayout.h"
#include "IntervalTimer.h"
#include "Prompt.h"
#include "ResultSet.h"
#include "frmPubAbout.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QToolBar;

namespace quilder {

class ClassSelector;
class CommandController;
class MenuHelp;
class DesktopKit;
class FolderTree;
class PreparationFrame;
class Prompt;
class ResultFrame;

// The main window: toolbar, the frames "Preparation" and "Result", the status bar, the menus and
// the two timers. It builds and shows the controls; its controller runs the commands.
class frmPubMain : public QMainWindow {
    Q_OBJECT

public:
    // Start-up: the work store's paths under the program folder, the drives in the tree, the
    // eight result lists, then the commands and the menu help. Nothing is read from or written
    // to the work store.
    explicit frmPubMain(const QString& programFolder, QWidget* parent = nullptr);
    ~frmPubMain() override;

    // The controls, for the controller and the tests.
    ResultSet& Results() { return results_; }
    const ResultSet& Results() const { return results_; }
    PreparationFrame& Preparation() const { return *fra0_; }
    ClassSelector& Selector() const;
    FolderTree& Tree() const;
    ResultFrame& ResultsFrame() const { return *fra1_; }
    QToolBar& Toolbar() const { return *tlb_; }
    // Panel 1 status text, 2 counts, 3 version.
    QLabel& StatusPanel(int panel) const { return *panels_[static_cast<std::size_t>(panel - 1)]; }
    IntervalTimer& tim() { return tim_; }
    IntervalTimer& timLoader() { return timLoader_; }
    // The menu item of a command; the menu items in the order of the menu table, separators
    // included.
    QAction& Action(Command command) const { return *commandItems_[IndexOf(command)]; }
    const std::vector<QAction*>& MenuItems() const { return menuItems_; }

    CommandController& Controller() const { return *controller_; }

    // Message boxes; tests hand in scripted answers.
    Prompt& Prompts() { return *prompt_; }
    void SetPrompt(std::unique_ptr<Prompt> prompt) { prompt_ = std::move(prompt); }

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
    // The Action menu over the result lists, and the title reset over the content.
    void WatchContent();
    void ShiftFrameContent();
    // The smallest window in which every control keeps room to be used, once the toolbar, the
    // status bar and the frames' content have their places.
    void SetMinimumWindowSize(const ClientArea& client, int menuBottom);

    ResultSet results_;
    IntervalTimer tim_{QStringLiteral("tim")};
    IntervalTimer timLoader_{QStringLiteral("timLoader")};
    std::vector<QAction*> menuItems_;
    std::array<QAction*, kCommandCount> commandItems_{};
    QToolBar* tlb_ = nullptr;
    PreparationFrame* fra0_ = nullptr;
    ResultFrame* fra1_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    std::unique_ptr<Prompt> prompt_;
    CommandController* controller_ = nullptr;
    MenuHelp* menuHelp_ = nullptr;
    QPointer<frmPubAbout> about_;
    std::function<DesktopKit*()> desktopKit_;
    WindowLayout layout_;
    int contentShift_ = 0; // pixels
    QSize minimumSize_;
    bool contentShifted_ = false;
};

} // namespace quilder

#pragma once

#include "CommandRouter.h"
#include "FindJob.h"
#include "GapProbe.h"
#include "ResultCommandHost.h"
#include "YieldPacer.h"

#include <QObject>
#include <memory>

namespace quilder {

class ResultCommands;
class ThinnedStatus;
class frmPubMain;

// Runs the window's commands: it connects every menu item, key and toolbar button to its
// command, and is the host of what the commands start (the find job, the loads, the file
// actions), reading and writing the window's controls only through the window's accessors.
class CommandController : public QObject, public FindJobHost, public ResultCommandHost {
    Q_OBJECT

public:
    explicit CommandController(frmPubMain& window);
    ~CommandController() override;

    CommandRouter& Router() { return router_; }
    // The window is closing: a job or a load that is yielding stops at its next check point.
    void WindowClosing();

    // TaskProgress
    void Yield() override;
    bool Closing() const override { return closing_; }
    QString StatusText() const override;
    void SetStatusText(const QString& text) override;
    bool StopRequested() const override { return stopRequested_; }
    void SetStopRequested(bool stop) override { stopRequested_ = stop; }
    void SetAnimationInterval(int milliseconds) override;

    // TaskHost
    ResultSet& Results() override;
    Prompt& Prompts() override;
    DesktopKit& Desktop() override;

    // EngineHost
    bool ClassBoxTicked(int box) const override;
    int NodeCount() const override;
    bool NodeChecked(int position) const override;
    int NodeChildCount(int position) const override;
    QString NodeKey(int position) const override;

    // FindJobHost
    void SetLoaderInterval(int milliseconds) override;
    bool OfferToSaveResult() override;

    // ResultCommandHost
    WindowHandle WindowId() override;
    EngineHost& Engine() override { return *this; }
    void TickAllFilesBox() override;
    void RefillFolderTree() override;
    void OpenedFileLoadBegins() override;
    void OpenedFileLoadEnded() override;

private:
    void HandleCommands();
    void RunFindJob();
    // The row the Action menu's commands mean: the current row of the visible list, which a
    // right click moves to the row under the pointer. -1 for none.
    int ChosenRow() const;
    // QUILDER_GAP_LOG=file: a job's longest waits between event-loop turns go to that file.
    void StartGapProbe();
    void FinishGapProbe();

    frmPubMain& window_;
    CommandRouter router_;
    std::unique_ptr<ResultCommands> resultCommands_;
    ThinnedStatus* status_ = nullptr;
    YieldPacer yieldPacer_;
    bool stopRequested_ = false;
    bool closing_ = false;
    QString gapLog_;
    std::unique_ptr<GapProbe> gapProbe_;
};

} // namespace quilder

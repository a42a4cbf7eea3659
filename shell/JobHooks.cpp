// Where the find job and the file actions meet the window: Find, Stop, Delete Files, Open/Run
// Files, Open Folders, and the dots of the status animation.
#include "ActionHost.h"
#include "CommandRouter.h"
#include "DeleteCheckedFiles.h"
#include "OpenCheckedItems.h"
#include "ResultCommands.h"
#include "frmPubMain.h"

#include <QLabel>

namespace quilder {

namespace {

// The file actions' view of the window. Its yield reports a closing window, so that a delete
// check drops its work instead of touching lists that are going away.
class WindowActionHost : public ActionHost {
public:
    explicit WindowActionHost(frmPubMain& window) : window_(window) {}
    ResultSet& Results() override { return window_.Results(); }
    Prompt& Prompts() override { return window_.Prompts(); }
    DesktopKit& Desktop() override { return window_.Desktop(); }
    bool Yield() override {
        window_.Yield();
        return !window_.Closing();
    }
    bool StopRequested() const override { return window_.StopRequested(); }
    void SetStopRequested(bool stop) override { window_.SetStopRequested(stop); }
    QString StatusText() const override { return window_.StatusPanel(1).text(); }
    void SetStatusText(const QString& text) override { window_.SetStatusText(text); }

private:
    frmPubMain& window_;
};

} // namespace

void frmPubMain::StartGapProbe() {
    gapLog_ = GapProbe::LogFileFromEnvironment();
    if (!gapLog_.isEmpty() && !gapProbe_) gapProbe_ = std::make_unique<GapProbe>();
    if (gapProbe_) gapProbe_->Start();
}

void frmPubMain::FinishGapProbe() {
    if (!gapProbe_) return;
    gapProbe_->Finish();
    gapProbe_->AppendTo(gapLog_);
}

// An opened result file's load is measured like a job.
void frmPubMain::OpenedFileLoadBegins() {
    yieldPacer_.Reset();
    StartGapProbe();
}

void frmPubMain::OpenedFileLoadEnded() {
    FinishGapProbe();
}

bool frmPubMain::OfferToSaveResult() {
    return resultCommands_->OfferToSaveResult();
}

void frmPubMain::ConnectJobCommands() {
    actionHost_ = std::make_unique<WindowActionHost>(*this);
    router_->Handle(QStringLiteral("men0100"), [this] {
        // The job's first yield always runs the event loop: the new status shows at once, and a
        // close or Stop already waiting is seen however quickly the job would end.
        yieldPacer_.Reset();
        StartGapProbe();
        RunFindJob(*this);
        FinishGapProbe();
    });
    // Stop only asks; the job looks at the request at its check points. One given while no job
    // runs ends the next job after its first node.
    router_->Handle(QStringLiteral("men0101"), [this] { stopRequested_ = true; });
    router_->Handle(QStringLiteral("men0103"), [this] { DeleteCommand(*actionHost_); });
    router_->Handle(QStringLiteral("men0104"), [this] { OpenFilesCommand(*actionHost_); });
    router_->Handle(QStringLiteral("men0105"), [this] { OpenFoldersCommand(*actionHost_); });
    ConnectExtraCommands();
    statusDue_.setSingleShot(true);
    connect(&statusDue_, &QTimer::timeout, this, [this] { ShowStatus(pendingStatus_); });
    connect(&tim_, &IntervalTimer::timeout, this, [this] {
        // The dots go on the latest text, shown or still waiting for its turn.
        const QString latest = pendingStatus_.isEmpty() ? StatusPanel(1).text() : pendingStatus_;
        SetStatusText(AnimateStatus(latest));
    });
}

} // namespace quilder

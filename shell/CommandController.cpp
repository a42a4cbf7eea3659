#include "CommandController.h"

#include "ClassSelector.h"
#include "DeleteCheckedFiles.h"
#include "DesktopKitService.h"
#include "FolderTree.h"
#include "HelpWindow.h"
#include "OpenCheckedItems.h"
#include "ResultCommands.h"
#include "ResultFrame.h"
#include "ResultListView.h"
#include "ThinnedStatus.h"
#include "TickHelpers.h"
#include "VerifyGroups.h"
#include "WebAddresses.h"
#include "WindowHandles.h"
#include "frmPubMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QToolBar>

namespace quilder {

CommandController::CommandController(frmPubMain& window)
    : QObject(&window), window_(window),
      resultCommands_(std::make_unique<ResultCommands>(window.Results(), *this)),
      status_(new ThinnedStatus(window.StatusPanel(1), this)) {
    HandleCommands();
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        connect(&window_.Action(command), &QAction::triggered, this,
                [this, command] { router_.Run(command); });
    }
    connect(&window_.Toolbar(), &QToolBar::actionTriggered, this,
            [this](QAction* button) { router_.ToolbarClicked(button->text()); });
    connect(&window_.timLoader(), &IntervalTimer::timeout, this,
            [this] { resultCommands_->LoaderTick(); });
    // Protection is held with the lists, which lock the rows of a protected folder.
    window_.Tree().SetProtectedFolders(&window_.Results().Protected());
    connect(&window_.Tree(), &FolderTree::protectionToggled, this,
            [this](const QString& key, bool protect) {
                window_.Results().SetFolderProtected(key, protect);
            });
    // The dots go on the latest text, shown or still waiting for its turn.
    connect(&window_.tim(), &IntervalTimer::timeout, this,
            [this] { SetStatusText(AnimateStatus(status_->Latest())); });
}

CommandController::~CommandController() = default;

void CommandController::HandleCommands() {
    const auto handle = [this](Command command, std::function<void()> handler) {
        router_.Handle(command, std::move(handler));
    };
    handle(Command::NewJob, [this] { resultCommands_->NewJob(); });
    handle(Command::OpenResultFile, [this] { resultCommands_->OpenResultFile(); });
    handle(Command::SaveResult, [this] { resultCommands_->SaveResult(false); });
    handle(Command::SaveResultAs, [this] { resultCommands_->SaveResult(true); });
    handle(Command::Exit, [this] { window_.close(); });

    handle(Command::FindDuplicateFiles, [this] { RunFindJob(); });
    // Stop only asks; the job looks at the request at its check points. One given while no job
    // runs ends the next job after its first node.
    handle(Command::StopCurrentJob, [this] { stopRequested_ = true; });
    handle(Command::DeleteFiles, [this] { DeleteCommand(*this); });
    handle(Command::OpenRunFiles, [this] { OpenFilesCommand(*this); });
    handle(Command::OpenFolders, [this] { OpenFoldersCommand(*this); });
    handle(Command::MoveFilesToTrash, [this] { DeleteCommand(*this, Disposal::Trash); });
    handle(Command::VerifyGroups, [this] {
        yieldPacer_.Reset(); // the status shows at once, as for a find job
        VerifyGroupsCommand(*this);
    });
    handle(Command::TickAllButOldest, [this] { TickAllButOne(*this, KeepRule::Oldest); });
    handle(Command::TickAllButNewest, [this] { TickAllButOne(*this, KeepRule::Newest); });
    handle(Command::TickAllButFirst, [this] { TickAllButOne(*this, KeepRule::First); });
    handle(Command::TickAllInFolder, [this] { TickAllInFolder(*this, ChosenRow()); });
    handle(Command::UntickAll, [this] { UntickAll(*this); });
    handle(Command::ReplaceFilesWithLinks, [this] { DeleteCommand(*this, Disposal::Link); });

    handle(Command::HelpTopics, [] { HelpTopics(DesktopKitService()); });
    const auto web = [this](WebItem item) {
        return [this, item] { OpenWebItem(item, Desktop(), Prompts()); };
    };
    handle(Command::TechnologyForum, web(WebItem::Forum));
    handle(Command::WebPage, web(WebItem::ProductPage));
    handle(Command::ContactSupport, web(WebItem::SupportMail));
    handle(Command::CheckLatestVersion, web(WebItem::VersionCheck));
    handle(Command::About, [this] { window_.ShowAbout(); });
}

void CommandController::RunFindJob() {
    // The job's first yield always runs the event loop: the new status shows at once, and a
    // close or Stop already waiting is seen however quickly the job would end.
    yieldPacer_.Reset();
    StartGapProbe();
    quilder::RunFindJob(*this);
    FinishGapProbe();
}

void CommandController::WindowClosing() {
    stopRequested_ = true;
    closing_ = true;
}

int CommandController::ChosenRow() const {
    const ResultSet& results = window_.Results();
    const QModelIndex current = window_.ResultsFrame().List(results.VisibleList()).currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CommandController::Yield() {
    if (!yieldPacer_.Due()) return;
    QCoreApplication::processEvents();
    yieldPacer_.Ran();
    if (gapProbe_) gapProbe_->Turn();
}

QString CommandController::StatusText() const {
    // The text last set, also while the thinning holds it back.
    return status_->Latest();
}

void CommandController::SetStatusText(const QString& text) {
    if (gapProbe_) gapProbe_->SetStatus(text);
    status_->Set(text);
}

void CommandController::SetAnimationInterval(int milliseconds) {
    window_.tim().setInterval(milliseconds);
}

ResultSet& CommandController::Results() {
    return window_.Results();
}

Prompt& CommandController::Prompts() {
    return window_.Prompts();
}

DesktopKit& CommandController::Desktop() {
    return DesktopKitService();
}

bool CommandController::ClassBoxTicked(int box) const {
    return window_.Selector().Ticked(box);
}

int CommandController::NodeCount() const {
    return window_.Tree().NodeCount();
}

bool CommandController::NodeChecked(int position) const {
    const QTreeWidgetItem* node = window_.Tree().Node(position);
    return node && FolderTree::Checked(node);
}

int CommandController::NodeChildCount(int position) const {
    const QTreeWidgetItem* node = window_.Tree().Node(position);
    return node ? node->childCount() : 0;
}

QString CommandController::NodeKey(int position) const {
    const QTreeWidgetItem* node = window_.Tree().Node(position);
    return node ? FolderTree::Key(node) : QString();
}

void CommandController::SetLoaderInterval(int milliseconds) {
    window_.timLoader().setInterval(milliseconds);
}

bool CommandController::OfferToSaveResult() {
    return resultCommands_->OfferToSaveResult();
}

WindowHandle CommandController::WindowId() {
    return HandleOfWindow(&window_);
}

void CommandController::TickAllFilesBox() {
    window_.Selector().Box(0).setChecked(true);
}

void CommandController::RefillFolderTree() {
    window_.Tree().FillFolderTree();
}

// An opened result file's load is measured like a job.
void CommandController::OpenedFileLoadBegins() {
    yieldPacer_.Reset();
    StartGapProbe();
}

void CommandController::OpenedFileLoadEnded() {
    FinishGapProbe();
}

void CommandController::StartGapProbe() {
    gapLog_ = GapProbe::LogFileFromEnvironment();
    if (!gapLog_.isEmpty() && !gapProbe_) gapProbe_ = std::make_unique<GapProbe>();
    if (gapProbe_) gapProbe_->Start();
}

void CommandController::FinishGapProbe() {
    if (!gapProbe_) return;
    gapProbe_->Finish();
    gapProbe_->AppendTo(gapLog_);
}

} // namespace quilder

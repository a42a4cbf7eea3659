// Where the commands added after the standard Action items meet the window: Move Files to Trash,
// Verify Groups and the tick helpers.
#include "CommandRouter.h"
#include "DeleteCheckedFiles.h"
#include "ResultFrame.h"
#include "ResultListView.h"
#include "TickHelpers.h"
#include "VerifyGroups.h"
#include "frmPubMain.h"

namespace quilder {

int frmPubMain::ChosenRow() const {
    const QModelIndex current = fra1_->List(results_.VisibleList()).currentIndex();
    return current.isValid() ? current.row() : -1;
}

void frmPubMain::ConnectExtraCommands() {
    const auto handle = [this](const char* item, std::function<void()> handler) {
        router_->Handle(QLatin1String(item), std::move(handler));
    };
    handle("men0107", [this] { DeleteCommand(*actionHost_, Disposal::Trash); });
    handle("men0108", [this] {
        yieldPacer_.Reset(); // the status shows at once, as for a find job
        VerifyGroupsCommand(*actionHost_);
    });
    handle("men0110", [this] { TickAllButOne(*actionHost_, KeepRule::Oldest); });
    handle("men0111", [this] { TickAllButOne(*actionHost_, KeepRule::Newest); });
    handle("men0112", [this] { TickAllButOne(*actionHost_, KeepRule::First); });
    handle("men0113", [this] { TickAllInFolder(*actionHost_, ChosenRow()); });
    handle("men0114", [this] { UntickAll(*actionHost_); });
}

} // namespace quilder

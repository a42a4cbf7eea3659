// Where the commands meet the window. The command routing, the menu help in the title and the
// help viewer are added here; the window calls these at the described points of start-up and
// shut-down.
#include "frmPubMain.h"

namespace quilder {

// End of start-up, before the menu help: menu items, toolbar buttons and mouse moves get their
// handlers. Only the About item is wired so far.
void frmPubMain::ConnectCommands() {
    connect(&MenuItem("men0211"), &QAction::triggered, this, &frmPubMain::ShowAbout);
}

// Last step of start-up.
void frmPubMain::InstallMenuHelp() {}

// First step of shut-down: no menu help after this.
void frmPubMain::RemoveMenuHelp() {}

// Last step of shut-down, once the services are released.
void frmPubMain::CloseHelpViewer() {}

} // namespace quilder

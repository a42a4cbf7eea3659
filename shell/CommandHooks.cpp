// Where the commands meet the window: the routing of menu items, keys and toolbar buttons, the
// Action menu over the result lists, the title reset, the menu help in the title and the help
// viewer. The window calls these at fixed points of its start-up and shut-down.
#include "ActionMenuPopup.h"
#include "ClassSelector.h"
#include "CommandRouter.h"
#include "DesktopKitService.h"
#include "FolderTree.h"
#include "HelpWindow.h"
#include "MenuHelp.h"
#include "PreparationFrame.h"
#include "ResultCommands.h"
#include "ResultFrame.h"
#include "ResultListView.h"
#include "TitleReset.h"
#include "WebAddresses.h"
#include "WindowHandles.h"
#include "frmPubMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

namespace quilder {

Prompt& frmPubMain::Prompts() {
    return *prompt_;
}
DesktopKit& frmPubMain::Desktop() {
    return DesktopKitService();
}
WindowHandle frmPubMain::WindowId() {
    return HandleOfWindow(this);
}
EngineHost& frmPubMain::Engine() {
    return *this;
}
void frmPubMain::TickAllFilesBox() {
    Selector().Box(0).setChecked(true);
}
void frmPubMain::RefillFolderTree() {
    Tree().FillFolderTree();
}

// End of start-up, before the menu help.
void frmPubMain::ConnectCommands() {
    resultCommands_ = std::make_unique<ResultCommands>(results_, *this);
    router_ = new CommandRouter(this);
    const auto handle = [this](const char* item, std::function<void()> handler) {
        router_->Handle(QLatin1String(item), std::move(handler));
    };
    handle("men0000", [this] { resultCommands_->NewJob(); });
    handle("men0001", [this] { resultCommands_->OpenResultFile(); });
    handle("men0003", [this] { resultCommands_->SaveResult(false); });
    handle("men0004", [this] { resultCommands_->SaveResult(true); });
    handle("men0006", [this] { close(); });
    handle("men0200", [] { HelpTopics(DesktopKitService()); });
    const auto web = [](WebItem item) {
        return [item] {
            DesktopKitService().OpenAddress(WebAddress(item), DesktopKit::kShowMaximized);
        };
    };
    handle("men0202", web(WebItem::Forum));
    handle("men0203", web(WebItem::ProductPage));
    handle("men0204", web(WebItem::SupportMail));
    handle("men0206", web(WebItem::VersionCheck));
    handle("men0211", [this] { ShowAbout(); });
    ConnectJobCommands();
    router_->Connect(*this, tlb_);
    SetDesktopKit([] { return &DesktopKitService(); });

    connect(&timLoader_, &IntervalTimer::timeout, this, [this] { resultCommands_->LoaderTick(); });

    auto* popup = new ActionMenuPopup(*menuBar()->findChild<QMenu*>(QStringLiteral("men01")), this);
    auto* reset = new TitleReset(*this, this);
    for (QWidget* control : std::initializer_list<QWidget*>{
             this, centralWidget(), fra0_, fra1_, &fra0_->Label(0), &fra0_->Label(1), &Tree(),
             fra1_->Option(0).parentWidget()})
        reset->Watch(*control);
    for (int i = 0; i < kResultListCount; ++i) {
        reset->Watch(Selector().Box(i));
        reset->Watch(fra1_->Option(i));
        reset->Watch(fra1_->List(i));
        popup->Watch(fra1_->List(i));
    }
}

// Last step of start-up.
void frmPubMain::InstallMenuHelp() {
    menuHelp_ = new MenuHelp(*this, this);
    menuHelp_->Install(*menuBar());
}

// First step of shut-down: no menu help after this.
void frmPubMain::RemoveMenuHelp() {
    if (menuHelp_) menuHelp_->Remove();
}

// Last step of shut-down, once the services are released: a kit of its own closes the help
// window if it is open.
void frmPubMain::CloseHelpViewer() {
    ReleaseDesktopKitService();
    quilder::CloseHelpViewer(DesktopKitService());
    ReleaseDesktopKitService();
}

} // namespace quilder

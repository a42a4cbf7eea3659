#include "frmPubMain.h"

#include "ActionMenuPopup.h"
#include "ClassSelector.h"
#include "CommandController.h"
#include "DesignFont.h"
#include "DesktopKitService.h"
#include "FileSystem.h"
#include "FolderTree.h"
#include "HeldGroups.h"
#include "HelpWindow.h"
#include "LineFile.h"
#include "MenuHelp.h"
#include "MenuTable.h"
#include "MessageBoxPrompt.h"
#include "PreparationFrame.h"
#include "ResultFrame.h"
#include "ResultListView.h"
#include "ScanLists.h"
#include "StoreWriter.h"
#include "TitleReset.h"
#include "Twips.h"
#include "WorkStore.h"
#include "frmPubAbout.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

namespace quilder {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Design client area, in twips.
constexpr int kDesignWidth = 9660;
constexpr int kDesignHeight = 6690;
// Design places inside the frames that the layout reads.
constexpr int kListLeft = 90;
constexpr int kListTop = 555;
// Status panels: design widths in twips.
constexpr std::array<int, 3> kPanelWidths{3990, 1440, 2430};
// Folders the tree shows at least, however small the window is made.
constexpr int kMinimumTreeRows = 4;

} // namespace

frmPubMain::frmPubMain(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), prompt_(std::make_unique<MessageBoxPrompt>(this)) {
    setObjectName(QStringLiteral("frmPubMain"));
    setWindowTitle(QStringLiteral("Quilder"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/quilder16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/quilder32.png"), QSize(32, 32));
    setWindowIcon(icon);

    InitWorkStorePaths(programFolder.toStdString());
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();
    CreateFrames();
    Tree().FillFolderTree();

    // The design size, or wider when the font in use needs it for the row of view options.
    const int dpi = logicalDpiX();
    const QWidget& options = *fra1_->Option(0).parentWidget();
    const int optionsWidth = static_cast<int>(PixelsAsTwips(options.x() + options.width(), dpi));
    // Margins: left of fra(0), either side of the tree, between the frames, then right of the
    // options inside fra(1) and right of fra(1).
    const int width = std::max(kDesignWidth, fra0_->TreeWidthTwips() + optionsWidth + 6 * 90);
    resize(TwipsAsPixels(width, dpi),
           TwipsAsPixels(kDesignHeight, dpi) + menuBar()->sizeHint().height());
    SetDesktopKit([] { return &DesktopKitService(); });
    controller_ = new CommandController(*this);
    WatchContent();
    // Last step of start-up.
    menuHelp_ = new MenuHelp(*this, this);
    menuHelp_->Install(*menuBar());
}

frmPubMain::~frmPubMain() {
    delete about_;
}

void frmPubMain::CreateMenus() {
    std::array<QMenu*, kMenus.size()> menus{};
    for (std::size_t m = 0; m < kMenus.size(); ++m) {
        menus[m] = menuBar()->addMenu(Text(kMenus[m].caption));
        menus[m]->setObjectName(Text(kMenus[m].name));
        menus[m]->menuAction()->setObjectName(Text(kMenus[m].name));
    }
    for (const MenuItemInfo& item : kMenuItems) {
        QMenu* menu = menus[static_cast<std::size_t>(item.name[4] - '0')];
        auto* action = new QAction(this);
        action->setObjectName(Text(item.name));
        menuItems_.push_back(action);
        if (item.command) commandItems_[IndexOf(*item.command)] = action;
        if (item.caption == "-") {
            action->setSeparator(true);
        } else {
            action->setText(Text(item.caption));
            if (!item.shortcut.empty()) action->setShortcut(QKeySequence(Text(item.shortcut)));
        }
        menu->addAction(action);
    }
    // The menu bar's own button for the menus a narrow window has no room for.
    if (auto* more = menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button")))
        more->setAccessibleName(QStringLiteral("More menus"));
}

void frmPubMain::CreateToolbar() {
    tlb_ = addToolBar(QStringLiteral("Toolbar"));
    tlb_->setObjectName(QStringLiteral("tlb"));
    tlb_->setAccessibleName(QStringLiteral("Toolbar"));
    tlb_->setMovable(false);
    tlb_->setFloatable(false);
    tlb_->setContextMenuPolicy(Qt::PreventContextMenu);
    tlb_->setIconSize(QSize(32, 32));
    tlb_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    int position = 0;
    for (const ToolbarButtonInfo& button : kToolbarButtons) {
        ++position;
        const QString name = QStringLiteral("tlb%1").arg(position);
        if (button.caption.empty()) {
            tlb_->addSeparator()->setObjectName(name);
            continue;
        }
        QAction* action = tlb_->addAction(QIcon(Text(button.image)), Text(button.caption));
        action->setObjectName(name);
        action->setToolTip(Text(button.tooltip));
        QWidget* widget = tlb_->widgetForAction(action);
        widget->setObjectName(name);
        widget->setAccessibleName(Text(button.caption));
        widget->setAccessibleDescription(Text(button.tooltip));
    }
    // The toolbar's own button for the buttons a narrow window has no room for.
    if (auto* more = tlb_->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More buttons"));
}

void frmPubMain::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("stb"));
    bar->setAccessibleName(QStringLiteral("Status bar"));
    bar->setFont(DesignFont());
    bar->setSizeGripEnabled(true);
    if (auto* grip = bar->findChild<QSizeGrip*>())
        grip->setAccessibleName(QStringLiteral("Resize"));
    const std::array<QString, 3> texts{QStringLiteral("Waiting for your order."),
                                       QStringLiteral("0 file in 0 group."), Text(kVersionText)};
    const int dpi = logicalDpiX();
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        auto* panel = new QLabel(texts[i], bar);
        panel->setObjectName(QStringLiteral("stbPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setMinimumWidth(TwipsAsPixels(kPanelWidths[i], dpi));
        // Panel 1 takes the width the fixed panels leave.
        bar->addPermanentWidget(panel, i == 0 ? 1 : 0);
        panels_[i] = panel;
    }
    connect(&results_, &ResultSet::statusCountsTextChanged, panels_[1], &QLabel::setText);
}

void frmPubMain::WatchContent() {
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

void frmPubMain::CreateFrames() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFont(DesignFont());
    setCentralWidget(client);
    fra0_ = new PreparationFrame(client);
    fra1_ = new ResultFrame(results_, client);
    // Captions bold, the content at normal weight.
    for (QGroupBox* frame : std::initializer_list<QGroupBox*>{fra0_, fra1_}) {
        frame->setFont(BoldDesignFont());
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->setFont(DesignFont());
    }
    for (int i = 0; i < kResultListCount; ++i)
        fra1_->List(i).setAccessibleName(QStringLiteral("Result list ") + fra1_->Option(i).text());
    client->installEventFilter(this);

    // The layout starts from the design places.
    layout_.tree = {kTreeLeft, kTreeTop, static_cast<float>(fra0_->TreeWidthTwips()), 0};
    for (TwipsRect& list : layout_.lists)
        list = {kListLeft, kListTop, 0, 0};
}

ClassSelector& frmPubMain::Selector() const {
    return fra0_->Selector();
}

FolderTree& frmPubMain::Tree() const {
    return fra0_->Tree();
}

bool frmPubMain::eventFilter(QObject* watched, QEvent* event) {
    // The client area is resized after the toolbar and the status bar have their places.
    if (watched == centralWidget() && event->type() == QEvent::Resize) ApplyLayout();
    return QMainWindow::eventFilter(watched, event);
}

void frmPubMain::ApplyLayout() {
    const int dpi = logicalDpiX();
    const auto twips = [dpi](int pixels) { return static_cast<float>(PixelsAsTwips(pixels, dpi)); };
    const auto px = [dpi](float t) { return TwipsAsPixels(static_cast<int>(std::lround(t)), dpi); };
    // The client area starts below the menu bar.
    const int menuBottom = menuWidget() ? menuWidget()->geometry().bottom() + 1 : 0;
    ClientArea client;
    client.width = twips(width());
    client.height = twips(height() - menuBottom);
    client.toolbarTop = twips(tlb_->y() - menuBottom);
    client.toolbarHeight = twips(tlb_->height());
    client.statusHeight = twips(statusBar()->height());
    for (int i = 0; i < kResultListCount; ++i) {
        QHeaderView& header = *fra1_->List(i).header();
        for (int c = 0; c < 5; ++c)
            layout_.columns[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)] =
                twips(header.sectionSize(c));
    }

    FormResize(client, layout_);
    ShiftFrameContent();
    if (minimumSize_.isEmpty()) SetMinimumWindowSize(client, menuBottom);

    // The frames live in the central widget, which sits below the toolbar.
    const QPoint offset = centralWidget()->pos() - QPoint(0, menuBottom);
    const std::array<QGroupBox*, 2> frames{fra0_, fra1_};
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const TwipsRect& r = layout_.frames[f];
        frames[f]->setGeometry(px(r.left) - offset.x(), px(r.top) - offset.y(), px(r.width),
                               px(r.height));
    }
    Tree().resize(Tree().width(), std::max(0, px(layout_.tree.height) - contentShift_));
    for (int i = 0; i < kResultListCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        ResultListView& list = fra1_->List(i);
        list.resize(px(layout_.lists[index].width),
                    std::max(0, px(layout_.lists[index].height) - contentShift_));
        const int path = px(layout_.columns[index][1]);
        if (path != list.header()->sectionSize(1)) list.setColumnWidth(1, path);
    }
}

void frmPubMain::SetMinimumWindowSize(const ClientArea& client, int menuBottom) {
    const int dpi = logicalDpiX();
    // Room in the tree for a few folders above its scroll bar, and for every view option in
    // fra(1) with a margin on its right.
    const FolderTree& tree = Tree();
    const int row = std::max(tree.fontMetrics().height(), tree.sizeHintForRow(0));
    const int treePixels = contentShift_ + 2 * tree.frameWidth() + kMinimumTreeRows * row +
                           tree.horizontalScrollBar()->sizeHint().height() + 1;
    const QWidget& options = *fra1_->Option(0).parentWidget();
    const double resultTwips = PixelsAsTwips(options.x() + options.width(), dpi) + 90;
    const TwipsSize least =
        MinimumClientSize(client, layout_, static_cast<float>(PixelsAsTwips(treePixels, dpi)),
                          static_cast<float>(resultTwips));
    const auto px = [dpi](float t) { return TwipsAsPixels(static_cast<int>(std::ceil(t)), dpi); };
    // The status panels and the toolbar's buttons side by side need their own width.
    minimumSize_ = QSize(std::max({px(least.width), statusBar()->minimumSizeHint().width(),
                                   tlb_->sizeHint().width()}),
                         menuBottom + px(least.height));
    setMinimumSize(minimumSize_);
}

void frmPubMain::ShiftFrameContent() {
    if (contentShifted_) return;
    contentShifted_ = true;
    // The design draws a frame's caption inside its border line, with the first control 270
    // twips from the top. Styles that draw the caption above the line leave less room below it:
    // the content moves down by the difference, and the tree and the lists end where they would.
    const int firstTop = TwipsAsPixels(270, logicalDpiX());
    contentShift_ = std::max(0, fra0_->contentsRect().top() + 2 - firstTop);
    for (QGroupBox* frame : std::initializer_list<QGroupBox*>{fra0_, fra1_})
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->move(child->x(), child->y() + contentShift_);
}

void frmPubMain::ShowAbout() {
    if (!about_) about_ = new frmPubAbout([this] { return desktopKit_ ? desktopKit_() : nullptr; });
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void frmPubMain::closeEvent(QCloseEvent* event) {
    // Form_Unload. A job or a load that is yielding stops at its next check point; the window
    // object lives on until it has unwound.
    // First step of shut-down: no menu help after this.
    if (menuHelp_) menuHelp_->Remove();
    if (about_) about_->close();
    delete about_;
    controller_->WindowClosing();
    event->accept();
}

void frmPubMain::ReleaseServices() {
    // Line files write through the file-system service, so they go first. Lists a closed job
    // left in memory are dropped: the next job starts the store afresh, and writing them could
    // keep the user waiting.
    ScanListsService().Clear();
    ReleaseScanListsService();
    ReleaseLineFileService();
    // What the store writer has not begun is dropped for the same reason.
    ReleaseStoreWriterService();
    ReleaseHeldGroupsService();
    ReleaseFileSystemService();
    // Last: a kit of its own closes the help window if it is open.
    ReleaseDesktopKitService();
    CloseHelpViewer(DesktopKitService());
    ReleaseDesktopKitService();
}

} // namespace quilder

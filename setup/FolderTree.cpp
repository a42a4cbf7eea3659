#include "FolderTree.h"

#include "FileSystem.h"
#include "PathText.h"
#include "ProtectedFolders.h"

#include <QCollator>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <functional>
#include <numeric>

namespace quilder {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kDriveRole = Qt::UserRole + 1;

class SettingChecks {
public:
    explicit SettingChecks(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
    ~SettingChecks() { flag_ = before_; }
    SettingChecks(const SettingChecks&) = delete;
    SettingChecks& operator=(const SettingChecks&) = delete;

private:
    bool& flag_;
    bool before_;
};

// The sub-folders as a file manager shows them: by name in the user's language, case aside,
// numbers by their value ("2" before "10").
std::vector<std::reference_wrapper<const FolderEntry>>
ByName(const std::vector<FolderEntry>& folders) {
    // The C locale has no collation of its own: the common order then, which English keeps.
    const QLocale locale;
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<QString> names;
    names.reserve(folders.size());
    for (const FolderEntry& folder : folders)
        names.push_back(PathToText(folder.name));
    std::vector<std::size_t> order(folders.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return collator.compare(names[a], names[b]) < 0;
    });
    std::vector<std::reference_wrapper<const FolderEntry>> sorted;
    sorted.reserve(folders.size());
    for (std::size_t i : order)
        sorted.emplace_back(folders[i]);
    return sorted;
}

// The icon with a padlock over its lower right quarter, in every size and mode it has.
QIcon WithLock(const QIcon& icon) {
    QIcon locked;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected})
        for (const QSize size : icon.availableSizes(mode)) {
            QPixmap pixmap = icon.pixmap(size, mode);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            const QRectF lock(size.width() * 0.5, size.height() * 0.4, size.width() * 0.5,
                              size.height() * 0.6);
            const qreal w = lock.width();
            painter.setPen(QPen(QColor(60, 60, 60), std::max(1.0, w / 6)));
            painter.drawArc(QRectF(lock.left() + w * 0.22, lock.top(), w * 0.56, w * 0.7), 0,
                            180 * 16);
            painter.setBrush(QColor(200, 150, 30));
            painter.drawRect(QRectF(lock.left() + w * 0.08, lock.top() + lock.height() * 0.4,
                                    w * 0.84, lock.height() * 0.55));
            painter.end();
            locked.addPixmap(pixmap, mode);
        }
    return locked;
}

const QString kProtectedTip =
    QStringLiteral(" (protected: its files are never deleted, moved to the trash or replaced)");

} // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("trv"));
    setAccessibleName(QStringLiteral("Destination paths"));
    setToolTip(QStringLiteral("System resources listing."));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    // Deep folders are wider than the tree: the arrows scroll by a step, not to the far end.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    driveIcon_ = style()->standardIcon(QStyle::SP_DriveHDIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (const QSize size : closed.availableSizes()) {
        folderIcon_.addPixmap(closed.pixmap(size), QIcon::Normal);
        folderIcon_.addPixmap(open.pixmap(size), QIcon::Selected);
    }
    lockedDriveIcon_ = WithLock(driveIcon_);
    lockedFolderIcon_ = WithLock(folderIcon_);

    connect(this, &QTreeWidget::itemChanged, this, &FolderTree::OnItemChanged);
    connect(this, &QTreeWidget::itemClicked, this, &FolderTree::OnItemClicked);
}

QTreeWidgetItem* FolderTree::Node(int position) const {
    if (position < 1 || position > NodeCount()) return nullptr;
    return nodes_[static_cast<std::size_t>(position - 1)];
}

QString FolderTree::Key(const QTreeWidgetItem* node) {
    return node->data(0, kKeyRole).toString();
}

bool FolderTree::Checked(const QTreeWidgetItem* node) {
    return node->checkState(0) == Qt::Checked;
}

QTreeWidgetItem* FolderTree::NewNode(const QString& key, const QString& text, bool drive) {
    if (key.isEmpty() || byKey_.contains(key)) return nullptr;
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, kKeyRole, key);
    node->setData(0, kDriveRole, drive);
    ShowProtection(node);
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    node->setCheckState(0, Qt::Unchecked);
    byKey_.insert(key, node);
    nodes_.push_back(node);
    return node;
}

void FolderTree::ShowProtection(QTreeWidgetItem* node) {
    const bool drive = node->data(0, kDriveRole).toBool();
    const bool locked = protected_ && protected_->IsProtected(Key(node));
    node->setIcon(0, locked ? (drive ? lockedDriveIcon_ : lockedFolderIcon_)
                            : (drive ? driveIcon_ : folderIcon_));
    // Thousands of nodes come at once: only those that were protected hold an empty tip.
    if (locked || !node->toolTip(0).isEmpty())
        node->setToolTip(0, locked ? Key(node) + kProtectedTip : QString());
}

QMenu& FolderTree::NodeMenu(QTreeWidgetItem* node) {
    if (!nodeMenu_) {
        nodeMenu_ = new QMenu(this);
        protectItem_ = nodeMenu_->addAction(QString());
        connect(protectItem_, &QAction::triggered, this, [this] {
            const QString key = menuKey_;
            Q_EMIT protectionToggled(key, !(protected_ && protected_->IsProtected(key)));
            // The tree may have been refilled meanwhile: the node is found anew.
            if (QTreeWidgetItem* shown = FindNode(key)) ShowProtection(shown);
        });
    }
    menuKey_ = Key(node);
    const bool locked = protected_ && protected_->IsProtected(menuKey_);
    protectItem_->setText(locked ? QStringLiteral("Stop Protecting This Folder")
                                 : QStringLiteral("Protect This Folder"));
    return *nodeMenu_;
}

void FolderTree::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* node = itemAt(event->pos());
    if (!node) return;
    NodeMenu(node).popup(event->globalPos());
}

void FolderTree::FillFolderTree() {
    const SettingChecks quiet(settingChecks_);
    clear();
    checkedByThisPress_ = nullptr;
    nodes_.clear();
    byKey_.clear();
    for (const Drive& drive : FileSystemService().Drives()) {
        if (HasLineBreakOrTab(drive.key)) continue;
        const QString key = PathToText(drive.key);
        // A volume without a name shows its key in parentheses behind an empty name.
        const QString text =
            drive.caption == key ? QStringLiteral(" (") + key + QLatin1Char(')') : drive.caption;
        if (QTreeWidgetItem* node = NewNode(key, text, true)) addTopLevelItem(node);
    }
}

void FolderTree::AddSubFolderNodes(const QString& key) {
    QTreeWidgetItem* parent = FindNode(key);
    if (!parent) return;
    FolderListing listing;
    if (!FileSystemService().ListFolder(TextToPath(key), listing, true)) return;
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(listing.folders.size()));
    for (const FolderEntry& folder : ByName(listing.folders)) {
        // Such a path could not be written to a scan list line by line.
        if (HasLineBreakOrTab(folder.path)) continue;
        QTreeWidgetItem* node = NewNode(PathToText(folder.path), PathToText(folder.name), false);
        if (!node) continue;
        children.append(node);
    }
    // One batch: the view takes thousands of children at once far faster than one by one.
    const SettingChecks quiet(settingChecks_);
    // A ticked folder goes on standing for everything below it, now shown or not.
    const Qt::CheckState state = parent->checkState(0);
    for (QTreeWidgetItem* child : children)
        child->setCheckState(0, state);
    parent->addChildren(children);
}

void FolderTree::PropagateNodeCheck(QTreeWidgetItem* node) {
    const SettingChecks quiet(settingChecks_);
    const Qt::CheckState state = node->checkState(0);
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        child->setCheckState(0, state);
        if (child->childCount() > 0) PropagateNodeCheck(child);
    }
}

void FolderTree::NodeClicked(QTreeWidgetItem* node) {
    if (node->childCount() == 0) AddSubFolderNodes(Key(node));
    node->setExpanded(!node->isExpanded());
}

void FolderTree::NodeCheckChanged(QTreeWidgetItem* node) {
    if (node->childCount() == 0) AddSubFolderNodes(Key(node));
    PropagateNodeCheck(node);
}

void FolderTree::mousePressEvent(QMouseEvent* event) {
    checkedByThisPress_ = nullptr;
    QTreeWidget::mousePressEvent(event);
}

void FolderTree::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (settingChecks_ || column != 0) return;
    // The view toggles the check box before it reports the click on the same row.
    checkedByThisPress_ = item;
    NodeCheckChanged(item);
}

void FolderTree::OnItemClicked(QTreeWidgetItem* item, int column) {
    if (column != 0) return;
    if (item == checkedByThisPress_) {
        checkedByThisPress_ = nullptr;
        return;
    }
    NodeClicked(item);
}

} // namespace quilder

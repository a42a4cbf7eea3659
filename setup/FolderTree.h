#pragma once

#include <QHash>
#include <QIcon>
#include <QTreeWidget>
#include <vector>

class QMenu;

namespace quilder {

class ProtectedFolders;

// The folder tree trv: the drives as roots, their folders loaded one level at a time when a node
// is first clicked or checked. Positions 1 to NodeCount() follow the order in which nodes were
// added, so the children of a node always sit at consecutive positions.
class FolderTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    // Clears the tree and adds one root node per drive of the file-system service.
    void FillFolderTree();
    // Adds a child node per sub-folder of the folder the node `key` stands for, each with the
    // node's check mark.
    void AddSubFolderNodes(const QString& key);
    // Gives every loaded node below `node` the node's check mark.
    void PropagateNodeCheck(QTreeWidgetItem* node);
    // The node-clicked and node-check handlers.
    void NodeClicked(QTreeWidgetItem* node);
    void NodeCheckChanged(QTreeWidgetItem* node);

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    // The node at a position from 1, or nullptr past the count.
    QTreeWidgetItem* Node(int position) const;
    QTreeWidgetItem* FindNode(const QString& key) const { return byKey_.value(key, nullptr); }
    static QString Key(const QTreeWidgetItem* node);
    static bool Checked(const QTreeWidgetItem* node);

    // The folders the nodes show as protected (a lock on the icon, a tooltip), and that the
    // pop-up offers to protect or to stop protecting.
    void SetProtectedFolders(const ProtectedFolders* folders) { protected_ = folders; }
    // The pop-up of a node: "Protect This Folder" or "Stop Protecting This Folder". Its item
    // raises protectionToggled, then shows the node as the folders now stand.
    QMenu& NodeMenu(QTreeWidgetItem* node);

Q_SIGNALS:
    void protectionToggled(const QString& key, bool protect);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnItemClicked(QTreeWidgetItem* item, int column);
    // A node for a key no other node has; nullptr when the key is taken.
    QTreeWidgetItem* NewNode(const QString& key, const QString& text, bool drive);
    void ShowProtection(QTreeWidgetItem* node);

    std::vector<QTreeWidgetItem*> nodes_;
    QHash<QString, QTreeWidgetItem*> byKey_;
    QIcon driveIcon_;
    QIcon folderIcon_; // closed, and open while selected
    QIcon lockedDriveIcon_;
    QIcon lockedFolderIcon_;
    const ProtectedFolders* protected_ = nullptr;
    QMenu* nodeMenu_ = nullptr;
    QAction* protectItem_ = nullptr;
    QString menuKey_; // the node the pop-up was opened on
    // Check marks the tree sets itself raise no node-check.
    bool settingChecks_ = false;
    // A click on a node's check box toggles the mark only, it does not open the node.
    QTreeWidgetItem* checkedByThisPress_ = nullptr;
};

} // namespace quilder

#pragma once

#include <QGroupBox>

class QLabel;

namespace quilder {

class ClassSelector;
class FolderTree;

// The frame fra(0) "Preparation": the size-class boxes under their label, then the folder tree
// under its label. The window sets the frame's size and the tree's height.
class PreparationFrame : public QGroupBox {
    Q_OBJECT

public:
    explicit PreparationFrame(QWidget* parent = nullptr);

    ClassSelector& Selector() const { return *selector_; }
    FolderTree& Tree() const { return *tree_; }
    QLabel& Label(int index) const { return index == 0 ? *classLabel_ : *treeLabel_; }
    // The tree's width in twips: its design width, or the width of the widest caption above it
    // when the font in use needs more, so that the column clips none of them.
    int TreeWidthTwips() const { return treeWidth_; }

private:
    QLabel* classLabel_;
    ClassSelector* selector_;
    QLabel* treeLabel_;
    FolderTree* tree_;
    int treeWidth_ = 0;
};

// Design place of the tree in its frame, in twips; the layout sets only its height.
inline constexpr int kTreeLeft = 90;
inline constexpr int kTreeTop = 3120;
inline constexpr int kTreeWidth = 3015;

} // namespace quilder

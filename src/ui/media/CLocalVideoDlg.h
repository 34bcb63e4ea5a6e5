#pragma once

#include "core/keyboard/CKeyDownRecord.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qx44 {

class KeyStateTable;

// The local build card / training browser: the media files of a folder as a tree, driven from
// the keyboard alone. Keys pressed before it opened do nothing in it; "1" or Enter picks the
// selected file or group, "0" or Esc leaves with nothing picked.
class CLocalVideoDlg : public QDialog {
    Q_OBJECT

public:
    // The keys seen here keep the terminal's key-state table up to date, so that a key released
    // while the browser is open does not count as held once it has closed.
    CLocalVideoDlg(KeyStateTable& keyState, QWidget* parent);
    ~CLocalVideoDlg() override;

    // Set before the dialog opens.
    void SetBrowseFolder(std::string folder) { folder_ = std::move(folder); }
    // Fills the tree and shows the dialog modal over its parent without blocking it, so that the
    // terminal's event loop, timers and host link run on; finished() reports Accepted (View) or
    // Rejected (Cancel).
    void Open();
    // The paths View chose; empty after Cancel or with a top node selected.
    void GetSelection(std::vector<std::string>& list) const { list = selection_; }
    const QTreeWidget& Tree() const { return tree_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTree();
    void LayOut();
    void View();
    // True when the key is swallowed, false when it goes on to the tree.
    bool OnKeyPress(std::uint32_t vk, std::uint32_t flags);
    bool OnKeyRelease(std::uint32_t vk);
    void PressUp();

    KeyStateTable& keyState_;
    std::string folder_;
    std::vector<std::string> selection_;
    CKeyDownRecord keysPressedHere_;
    QTreeWidget tree_;
    QPushButton view_;
    QPushButton cancel_;
    std::array<QLabel, 3> icons_;
    std::array<QLabel, 5> labels_;
};

} // namespace qx44

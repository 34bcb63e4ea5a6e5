#include "ui/media/CLocalVideoDlg.h"

#include "core/keyboard/KeyStateTable.h"
#include "core/media/LocalMediaTree.h"
#include "ui/screen/QtKeyTranslator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>

namespace qx44 {

namespace {

constexpr std::uint32_t kVkEnter = 0x0D;
constexpr std::uint32_t kVkEsc = 0x1B;
constexpr std::uint32_t kVkLeft = 0x25;
constexpr std::uint32_t kVkUp = 0x26;
constexpr std::uint32_t kVkRight = 0x27;
constexpr std::uint32_t kVkDown = 0x28;
constexpr std::uint32_t kVk0 = 0x30;
constexpr std::uint32_t kVk1 = 0x31;
constexpr quint32 kEvdevUp = 103;

// The dialog's template, in dialog units: 216 x 199, its controls placed as the station's.
constexpr QSize kSize{216, 199};
constexpr QRect kTree{3, 2, 155, 193};
constexpr QRect kView{162, 165, 50, 14};
constexpr QRect kCancel{163, 181, 50, 13};
constexpr std::array<QPoint, 3> kIcons = {QPoint{164, 8}, QPoint{164, 28}, QPoint{164, 48}};
constexpr std::array<QPoint, 5> kLabels = {QPoint{182, 8}, QPoint{182, 27}, QPoint{182, 48},
                                           QPoint{165, 68}, QPoint{165, 83}};
constexpr std::array<const char*, 5> kLabelTexts = {"Next", "Prev", "Expand", "1: View",
                                                    "0: Cancel"};
constexpr std::array<QStyle::StandardPixmap, 3> kIconPictures = {
    QStyle::SP_ArrowDown, QStyle::SP_ArrowUp, QStyle::SP_ArrowRight};
constexpr int kIconUnits = 10;

bool IsArrow(std::uint32_t vk) {
    return vk == kVkLeft || vk == kVkUp || vk == kVkRight || vk == kVkDown;
}

// Dialog units scale with the dialog's font: a quarter of its average character width across,
// an eighth of its height down.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        x_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
        y_ = metrics.height();
    }
    int X(int units) const { return units * x_ / 4; }
    int Y(int units) const { return units * y_ / 8; }
    QRect Rect(const QRect& units) const {
        return {X(units.x()), Y(units.y()), X(units.width()), Y(units.height())};
    }

private:
    int x_ = 0;
    int y_ = 0;
};

// The file name as it was found, not as it shows.
constexpr int kNameRole = Qt::UserRole;

QTreeWidgetItem* AddNode(QTreeWidgetItem& parent, const std::string& text) {
    auto item = std::make_unique<QTreeWidgetItem>(QStringList{QString::fromStdString(text)});
    item->setData(0, kNameRole, QByteArray::fromStdString(text));
    QTreeWidgetItem* added = item.get();
    parent.addChild(item.release());
    return added;
}

std::string NameOf(const QTreeWidgetItem& item) {
    return item.data(0, kNameRole).toByteArray().toStdString();
}

} // namespace

CLocalVideoDlg::CLocalVideoDlg(KeyStateTable& keyState, QWidget* parent)
    : QDialog(parent), keyState_(keyState) {
    setFont(QFont("Microsoft Sans Serif", 12));
    tree_.setParent(this);
    tree_.setHeaderHidden(true);
    tree_.setRootIsDecorated(true);
    tree_.setSelectionMode(QAbstractItemView::SingleSelection);
    tree_.setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_.setAllColumnsShowFocus(true);
    tree_.installEventFilter(this);
    setFocusProxy(&tree_);

    view_.setParent(this);
    view_.setText("View (&1)");
    view_.setDefault(true);
    cancel_.setParent(this);
    cancel_.setText("Cancel (&0)");
    for (QPushButton* button : {&view_, &cancel_}) {
        // The tree keeps the keyboard; "1" and "0" reach the buttons' actions through its filter.
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(&view_, &QPushButton::clicked, this, &CLocalVideoDlg::View);
    connect(&cancel_, &QPushButton::clicked, this, &CLocalVideoDlg::reject);

    for (QLabel& icon : icons_) {
        icon.setParent(this);
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i].setParent(this);
        labels_[i].setText(kLabelTexts[i]);
    }
    LayOut();
}

CLocalVideoDlg::~CLocalVideoDlg() {
    // The tree outlives this body and may still get events while it goes.
    tree_.removeEventFilter(this);
}

void CLocalVideoDlg::LayOut() {
    const DialogUnits units(font());
    setFixedSize(units.X(kSize.width()), units.Y(kSize.height()));
    tree_.setGeometry(units.Rect(kTree));
    view_.setGeometry(units.Rect(kView));
    cancel_.setGeometry(units.Rect(kCancel));
    const int iconSize = units.Y(kIconUnits);
    for (std::size_t i = 0; i < icons_.size(); ++i) {
        icons_[i].setPixmap(style()->standardIcon(kIconPictures[i]).pixmap(iconSize, iconSize));
        icons_[i].setGeometry(units.X(kIcons[i].x()), units.Y(kIcons[i].y()), iconSize, iconSize);
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i].adjustSize();
        labels_[i].move(units.X(kLabels[i].x()), units.Y(kLabels[i].y()));
    }
}

void CLocalVideoDlg::Open() {
    keysPressedHere_.Clear();
    FillTree();
    selection_.clear();
    setWindowTitle(QString::fromStdString(LocalMediaTree::Caption(folder_)));
    open();
    tree_.setFocus();
}

void CLocalVideoDlg::FillTree() {
    tree_.clear();
    for (const LocalMediaTree::TopNode& top : LocalMediaTree::Build(folder_)) {
        auto topItem =
            std::make_unique<QTreeWidgetItem>(QStringList{QString::fromStdString(top.text)});
        for (const LocalMediaTree::Node& node : top.nodes) {
            QTreeWidgetItem* item = AddNode(*topItem, node.text);
            for (const std::string& file : node.files) {
                AddNode(*item, file);
            }
        }
        QTreeWidgetItem* added = topItem.get();
        tree_.addTopLevelItem(topItem.release());
        added->setExpanded(true);
    }
    // The tree starts on its first node, as the station's tree does when it takes the keyboard.
    tree_.setCurrentItem(tree_.topLevelItem(0));
}

void CLocalVideoDlg::View() {
    selection_.clear();
    const QTreeWidgetItem* item = tree_.currentItem();
    if (item != nullptr && item->parent() != nullptr) {
        if (item->childCount() > 0) {
            for (int i = 0; i < item->childCount(); ++i) {
                selection_.push_back(LocalMediaTree::PathOf(folder_, NameOf(*item->child(i))));
            }
        } else {
            selection_.push_back(LocalMediaTree::PathOf(folder_, NameOf(*item)));
        }
    }
    accept();
}

bool CLocalVideoDlg::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    if (watched != &tree_ || (!press && event->type() != QEvent::KeyRelease)) {
        return QDialog::eventFilter(watched, event);
    }
    const auto key = QtKeyTranslator::Translate(static_cast<const QKeyEvent&>(*event),
                                                keyState_.IsKeyDown(KeyStateTable::kAlt));
    if (!key) {
        return true;
    }
    keyState_.Update(key->key, key->virtualKey, press);
    if (keyState_.IsSystemKey(key->virtualKey)) {
        return false;
    }
    return press ? OnKeyPress(key->virtualKey, key->flags) : OnKeyRelease(key->virtualKey);
}

bool CLocalVideoDlg::OnKeyPress(std::uint32_t vk, std::uint32_t flags) {
    keysPressedHere_.Add(vk, flags);
    if (vk == kVkLeft) {
        PressUp();
        return true;
    }
    return !IsArrow(vk);
}

bool CLocalVideoDlg::OnKeyRelease(std::uint32_t vk) {
    if (!keysPressedHere_.Contains(vk)) {
        return true;
    }
    if (vk == kVk1 || vk == kVkEnter) {
        View();
    } else if (vk == kVk0 || vk == kVkEsc) {
        reject();
    }
    return !IsArrow(vk);
}

void CLocalVideoDlg::PressUp() {
    // As if the operator had pressed Up: through this filter, then to the tree.
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent up(type, Qt::Key_Up, Qt::NoModifier, kEvdevUp + PcKeyTable::kX11Offset, 0, 0);
        QApplication::sendEvent(&tree_, &up);
    }
}

} // namespace qx44

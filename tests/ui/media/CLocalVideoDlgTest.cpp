#include "ui/media/CLocalVideoDlg.h"

#include "core/keyboard/KeyStateTable.h"
#include "ui/UiTestSupport.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

// A network folder that cannot be reached: the caption says so, the tree is empty, and View on a
// top node picks nothing.
TEST(CLocalVideoDlgTest, RemoteFolderThatCannotBeReadShowsAnEmptyTree) {
    uitest::EnsureApplication();
    KeyStateTable keys;
    CLocalVideoDlg browser(keys, nullptr);
    browser.SetBrowseFolder("\\\\station-server\\media");
    browser.Open();
    EXPECT_EQ(browser.windowTitle().toStdString(), "Build card/training files (Remote)");
    const QTreeWidget& tree = browser.Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(0)->childCount() + tree.topLevelItem(1)->childCount(), 0);

    int result = -1;
    QObject::connect(&browser, &QDialog::finished, [&](int r) { result = r; });
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent enter(type, Qt::Key_Return, Qt::NoModifier, 28 + 8, 0, 0);
        QApplication::sendEvent(browser.focusWidget(), &enter);
    }
    EXPECT_EQ(result, QDialog::Accepted);
    std::vector<std::string> selection{"left over"};
    browser.GetSelection(selection);
    EXPECT_TRUE(selection.empty());
}

} // namespace
} // namespace qx44

#pragma once

#include "core/setup/BootScreenPage.h"
#include "ui/app/CQX44SimDlg.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

namespace qx44 {

class CSettingDlg;

// The boot screen: the station's identity and settings over the whole display for three seconds,
// during which Del or Down arrow opens the setup page; then the terminal opens over it, and half a
// second later the boot screen hides underneath for good.
class CQX44Flash : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBootDelayMs = 3000;
    static constexpr int kHideDelayMs = 500;
    static constexpr int kDeleteScanCode = 0x53;
    static constexpr int kDownArrowKey = 0x28;

    // `windowed` runs the boot screen and the terminal in 1024 x 768 windows instead of over the
    // whole display.
    explicit CQX44Flash(bool windowed, QWidget* parent = nullptr,
                        IHostTrace& trace = IHostTrace::None());
    ~CQX44Flash() override;

    // Shows the page and starts the boot delay; a quick start opens the terminal at once.
    void Start();
    // Leaves out the boot screen's three seconds: a test convenience, not what a station does.
    void SetQuickStart(bool quick) { quickStart_ = quick; }
    // The terminal's host port, instead of the settings' (--port; 0: a free one).
    void SetHostPort(std::optional<std::uint16_t> port) { hostPort_ = port; }
    // The terminal's web server port instead of the settings' (--http), and where its API runs
    // the control commands: the program's control port router.
    void SetHttp(std::optional<int> port, IControlTarget& commands) {
        httpPort_ = port;
        httpCommands_ = &commands;
    }

    // The texts as shown, by their ids; for the checks of those who look at the page.
    QString TextOf(int id) const;
    CQX44SimDlg* Terminal() const { return terminal_.get(); }

signals:
    // Del or Down arrow opened the setup page.
    void SetupEntered();
    // The terminal has opened and initialised.
    void TerminalOpened();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct PlacedText {
        BootScreenPage::Text text;
        std::unique_ptr<QLabel> label;
    };

    void EnterSetup();
    void OpenTerminal();
    void ShowWindow(QWidget& window) const;

    bool windowed_;
    IHostTrace& trace_;
    std::vector<PlacedText> texts_;
    // Pixels per dialog unit, across and down, from the page's font.
    double unitX_ = 2.0;
    double unitY_ = 2.0;
    QTimer bootDelay_;
    QTimer hideDelay_;
    std::unique_ptr<CQX44SimDlg> terminal_;
    bool quickStart_ = false;
    std::optional<std::uint16_t> hostPort_;
    std::optional<int> httpPort_;
    IControlTarget* httpCommands_ = nullptr;
};

} // namespace qx44

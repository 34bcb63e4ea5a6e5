#include "ui/app/CQX44Flash.h"

#include "ui/app/CSettingDlg.h"
#include "ui/app/FullScreen.h"
#include "ui/screen/QtKeyTranslator.h"

#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

namespace qx44 {

namespace {

constexpr QSize kWindowedSize{1024, 768};

void SetColours(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

CQX44Flash::CQX44Flash(bool windowed, QWidget* parent, IHostTrace& trace)
    : QWidget(parent), windowed_(windowed), trace_(trace) {
    setWindowTitle("QX4400");
    SetColours(*this);
    setFocusPolicy(Qt::StrongFocus);

    // The station's page uses a small fixed-pitch system font; dialog units follow its cell.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(15);
    setFont(font);
    const QFontMetrics metrics(font);
    unitX_ = metrics.horizontalAdvance('x') / 4.0;
    unitY_ = metrics.height() / 8.0;

    for (BootScreenPage::Text& text : BootScreenPage::Build()) {
        auto label = std::make_unique<QLabel>(QString::fromStdString(text.text), this);
        SetColours(*label);
        label->setAutoFillBackground(false);
        texts_.push_back({std::move(text), std::move(label)});
    }

    // Coarse timers may fire 5 % early or late: the page must stay its three seconds. Named
    // children, so those who check the page find them.
    for (auto [timer, name] :
         {std::pair{&bootDelay_, "bootDelay"}, std::pair{&hideDelay_, "hideDelay"}}) {
        timer->setParent(this);
        timer->setObjectName(name);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&bootDelay_, &QTimer::timeout, this, &CQX44Flash::OpenTerminal);
    // Hidden for good under the terminal, it gives back its window and the window's backing
    // store, an image of the whole display.
    connect(&hideDelay_, &QTimer::timeout, this, [this] {
        hide();
        destroy();
    });
}

CQX44Flash::~CQX44Flash() = default;

void CQX44Flash::Start() {
    if (quickStart_) {
        OpenTerminal();
        return;
    }
    ShowWindow(*this);
    activateWindow();
    setFocus();
    bootDelay_.start(kBootDelayMs);
}

void CQX44Flash::ShowWindow(QWidget& window) const {
    if (windowed_) {
        window.resize(kWindowedSize);
        window.show();
    } else {
        PlaceFullScreen(window);
    }
}

QString CQX44Flash::TextOf(int id) const {
    for (const PlacedText& placed : texts_) {
        if (placed.text.id == id) {
            return placed.label->text();
        }
    }
    return {};
}

void CQX44Flash::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int growX = width() - static_cast<int>(BootScreenPage::kPageWidth * unitX_);
    const int growY = height() - static_cast<int>(BootScreenPage::kPageHeight * unitY_);
    for (PlacedText& placed : texts_) {
        const auto& t = placed.text;
        int x = static_cast<int>(t.x * unitX_);
        int y = static_cast<int>(t.y * unitY_);
        if (t.anchor == BootScreenPage::Anchor::Centre) {
            x += growX / 2;
            y += growY / 2;
        } else if (t.anchor == BootScreenPage::Anchor::BottomLeft) {
            y += growY;
        }
        // Wide enough for the text in this font, even where the station's font was narrower.
        const int w =
            std::max(static_cast<int>(t.width * unitX_), placed.label->sizeHint().width());
        placed.label->setGeometry(
            std::max(x, 0), std::max(y, 0), w,
            std::max(static_cast<int>(t.height * unitY_), placed.label->sizeHint().height()));
    }
}

void CQX44Flash::keyPressEvent(QKeyEvent* event) {
    const auto key = QtKeyTranslator::Translate(*event, false);
    const bool setupKey =
        key && ((key->flags & 0xFF) == kDeleteScanCode || key->virtualKey == kDownArrowKey);
    if (setupKey && bootDelay_.isActive()) {
        bootDelay_.stop();
        EnterSetup();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CQX44Flash::EnterSetup() {
    // Only the setup page is worked with a pointer.
    QGuiApplication::restoreOverrideCursor();
    emit SetupEntered();
    {
        CSettingDlg setup(this);
        setup.exec();
    }
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    OpenTerminal();
}

void CQX44Flash::OpenTerminal() {
    hideDelay_.start(kHideDelayMs);
    terminal_ = std::make_unique<CQX44SimDlg>(nullptr, trace_, hostPort_);
    ShowWindow(*terminal_);
    // Out of sight in the top-right corner, as the station leaves it.
    if (const QScreen* screen = terminal_->screen()) {
        QCursor::setPos(screen->geometry().topRight());
    }
    if (httpCommands_ != nullptr) {
        terminal_->SetHttp(httpPort_, *httpCommands_);
    }
    terminal_->Initialise();
    emit TerminalOpened();
}

} // namespace qx44

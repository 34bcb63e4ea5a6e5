#include "ui/media/PlayerWindow.h"

#include "core/media/CVideoPlayer.h"
#include "ui/media/MpvEngine.h"

#include <QIcon>
#include <QPalette>

namespace qx44 {

namespace {

// The buttons' pictures from the left, as Qt resources.
constexpr std::array<const char*, IVideoPlayerView::kButtonCount> kPictures = {
    ":/player/IDB_PLAY",       ":/player/IDB_STOP",       ":/player/IDB_BACKWARD",
    ":/player/IDB_FORWARD",    ":/player/IDB_PREV",       ":/player/IDB_NEXT",
    ":/player/IDB_ZOOM_SMALL", ":/player/IDB_ZOOM_LARGE", ":/player/IDB_NOSOUND",
    ":/player/IDB_SOUND"};
constexpr const char* kPausePicture = ":/player/IDB_PAUSE";
constexpr int kPictureSize = 21;

QRect ToQRect(const PixelRect& rect) {
    return {rect.left, rect.top, rect.Width(), rect.Height()};
}

void Colour(QWidget& widget, QColor background, QColor text) {
    QPalette palette = widget.palette();
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::Base}) {
        palette.setColor(role, background);
    }
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        palette.setColor(role, text);
    }
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

PlayerWindow::PlayerWindow(MpvEngine& engine, QWidget* parent)
    : QWidget(parent), video_(engine, this), playIcon_(kPictures[0]), pauseIcon_(kPausePicture) {
    setVisible(false);
    setFocusPolicy(Qt::NoFocus);
    Colour(*this, Qt::black, Qt::white);

    title_.setParent(this);
    Colour(title_, QColor(1, 1, 1), Qt::white);

    QFont small = font();
    small.setPixelSize(9);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        QToolButton& button = buttons_[i];
        button.setParent(this);
        button.setAutoRaise(true);
        button.setFocusPolicy(Qt::NoFocus);
        button.setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button.setIcon(QIcon(kPictures[i]));
        button.setIconSize({kPictureSize, kPictureSize});
        button.setFont(small);
        Colour(button, Qt::black, Qt::white);
        connect(&button, &QToolButton::clicked, this, [this, i] {
            if (player_ != nullptr) {
                player_->RunCommand(CVideoPlayer::ButtonCommand(i));
            }
        });
    }
    SetUpSlider(volume_, 100);
    SetUpSlider(zoom_, CVideoPlayer::kZoomSliderMax);
    SetUpSlider(progress_, 0);

    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        if (player_ != nullptr) {
            player_->Refresh();
        }
    });
    connect(&slideTimer_, &QTimer::timeout, this, [this] {
        if (player_ != nullptr) {
            player_->OnSlideTimer();
        }
    });
}

void PlayerWindow::SetUpSlider(QSlider& slider, int maximum) {
    slider.setParent(this);
    slider.setOrientation(Qt::Horizontal);
    slider.setRange(0, maximum);
    slider.setTickPosition(QSlider::NoTicks);
    slider.setEnabled(false);
    slider.setFocusPolicy(Qt::NoFocus);
}

void PlayerWindow::ShowPlayer(bool visible) {
    setVisible(visible);
    if (visible) {
        raise();
    }
}

PixelRect PlayerWindow::ClientRect() const {
    return {0, 0, width(), height()};
}

void PlayerWindow::PlaceVideo(const PixelRect& rect) {
    video_.setGeometry(ToQRect(rect));
}

void PlayerWindow::SetTitle(const std::string& text) {
    title_.setText(QString::fromStdString(text));
}

void PlayerWindow::SetButtonTexts(const ButtonTexts& texts) {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i].setText(QString::fromStdString(texts[i]));
        buttons_[i].setToolTip(buttons_[i].text());
    }
}

void PlayerWindow::ShowPauseOnPlayButton(bool pause) {
    buttons_[0].setIcon(pause ? pauseIcon_ : playIcon_);
}

void PlayerWindow::StartTimer(int timer, int periodMs) {
    TimerFor(timer).start(periodMs);
}

void PlayerWindow::StopTimer(int timer) {
    TimerFor(timer).stop();
}

void PlayerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const auto layout = CVideoPlayer::ComputeLayout(ClientRect());
    video_.setGeometry(ToQRect(layout.video));
    title_.setGeometry(ToQRect(layout.title));
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i].setGeometry(ToQRect(layout.buttons[i]));
    }
    zoom_.setGeometry(ToQRect(layout.zoomSlider));
    volume_.setGeometry(ToQRect(layout.volumeSlider));
    progress_.setGeometry(ToQRect(layout.progressSlider));
}

} // namespace qx44

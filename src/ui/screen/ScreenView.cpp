#include "ui/screen/ScreenView.h"

#include "core/screen/CDosScreen.h"
#include "core/screen/MouseForwarder.h"
#include "core/screen/PicturePlacement.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace qx44 {

namespace {

QRect ToQRect(const PixelRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

template <typename... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };

} // namespace

ScreenView::ScreenView(CDosScreen& screen, IMessageBox& messages, QWidget* parent)
    : QWidget(parent), screen_(screen), messages_(messages) {
    // Every pixel comes from the backing image, so Qt need not clear anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    backing_ = QImage(size(), QImage::Format_RGB32);
    backing_.fill(Qt::black);
    SetClient(width(), height());
    screen_.SetSurface(this);
}

ScreenView::~ScreenView() {
    screen_.SetSurface(nullptr);
}

void ScreenView::SetClient(int width, int height) {
    clientSize_.store((std::uint64_t(static_cast<std::uint32_t>(width)) << 32) |
                          static_cast<std::uint32_t>(height),
                      std::memory_order_relaxed);
}

PixelRect ScreenView::ClientRect() const {
    const std::uint64_t size = clientSize_.load(std::memory_order_relaxed);
    return {0, 0, static_cast<int>(size >> 32), static_cast<int>(size & 0xFFFFFFFFu)};
}

void ScreenView::InvalidateRect(const PixelRect& rect) {
    const PixelRect inside = rect.Intersected(ClientRect());
    if (!inside.IsEmpty()) {
        Post(requests_.AddArea(ToQRect(inside)));
    }
}

void ScreenView::InvalidateWindow() {
    const PixelRect client = ClientRect();
    if (!client.IsEmpty()) {
        Post(requests_.AddArea(ToQRect(client)));
    }
}

// Every refused paint kept its area, so the window only has to come back for those: repainting
// the whole window would also wipe out a picture the host sent during the hold.
void ScreenView::RepaintHeld() {
    refusingHoldEnded_ = true;
    Post(requests_.Wake());
}

void ScreenView::ShowPicture(int column, int row, const std::string& path) {
    CPicture picture(messages_);
    const bool loaded = picture.LoadFromFile(path);
    std::string local = path;
    std::replace(local.begin(), local.end(), '\\', '/');
    std::error_code ignored;
    std::filesystem::remove(local, ignored);
    if (loaded) {
        Post(requests_.AddPicture({column, row, std::move(picture)}));
    }
}

PixelRect ScreenView::PictureArea(const CellLayout& layout, int column, int row, int width,
                                  int height) const {
    return PicturePlacement::OnTextScreen(layout, column, row, width, height);
}

void ScreenView::Post(bool needed) {
    if (needed) {
        QMetaObject::invokeMethod(
            this, [this] { TakeRequests(); }, Qt::QueuedConnection);
    }
}

void ScreenView::TakeRequests() {
    for (ScreenRequests::Request& request : requests_.Take()) {
        std::visit(Overloaded{[this](QRegion& area) { dirty_ += area; },
                              [this](ScreenRequests::Picture& picture) { DrawPicture(picture); }},
                   request);
    }
    dirty_ &= QRegion(backing_.rect());
    // While the window is hidden or painting is held, areas keep coming; their outline is enough.
    if (dirty_.rectCount() > ScreenRequests::kMaxAreaRects) {
        dirty_ = QRegion(dirty_.boundingRect());
    }
    if (dirty_.isEmpty()) {
        return;
    }
    // A paint the screen would refuse is not asked of Qt at all: it would only show the image
    // again unchanged, which under a streaming host is most of the window's work. Leave given
    // here is good for the paint it asks for.
    if (isVisible() && !granted_) {
        if (!MayPaint()) {
            return;
        }
        granted_ = true;
    }
    update(dirty_);
}

void ScreenView::DrawPicture(ScreenRequests::Picture& picture) {
    const PixelRect area = PictureArea(screen_.Layout(), picture.column, picture.row,
                                       picture.picture.Width(), picture.picture.Height());
    {
        QPainter painter(&backing_);
        picture.picture.Render(&painter, area.left, area.top, area.Width(), area.Height(), 0, 0);
    }
    // Cells changed before the picture came lie under it now.
    const QRect shown = ToQRect(area) & backing_.rect();
    dirty_ -= shown;
    pictures_ += shown;
    update(shown);
    emit Changed();
}

bool ScreenView::MayPaint() {
    if (refused_) {
        // Asked only once per hold, so a hold that lasts counts one refused paint.
        if (!refusingHoldEnded_.exchange(false)) {
            return false;
        }
        refused_ = false;
        return true;
    }
    if (screen_.RequestPaint()) {
        return true;
    }
    refused_ = true;
    return false;
}

void ScreenView::paintEvent(QPaintEvent* event) {
    if (!dirty_.isEmpty() && (std::exchange(granted_, false) || MayPaint())) {
        renderer_.Render(screen_, backing_, dirty_);
        pictures_ -= dirty_;
        const QRegion unseen = dirty_ - event->region();
        dirty_ = QRegion();
        if (!unseen.isEmpty()) {
            update(unseen);
        }
        emit Changed();
    }
    QPainter painter(this);
    painter.drawImage(event->rect(), backing_, event->rect());
}

void ScreenView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(Qt::black);
    {
        QPainter painter(&resized);
        painter.drawImage(0, 0, backing_);
    }
    backing_ = std::move(resized);
    SetClient(width(), height());
    // A new size lays the grid out anew, which moves every cell.
    dirty_ = QRegion(backing_.rect());
    update();
    emit Changed();
}

void ScreenView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mouse_ != nullptr) {
        const QPoint at = event->position().toPoint();
        MouseForwarder::ButtonDown(screen_, at.x(), at.y(), *mouse_);
    }
}

// The press grabbed the mouse, so the release comes here wherever it happens; it belongs to the
// screen under the pointer, which may be the other one.
void ScreenView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    ScreenView* under = ViewAt(at);
    if (under != nullptr && under->mouse_ != nullptr) {
        const QPoint there = under->mapFromGlobal(mapToGlobal(at));
        MouseForwarder::ButtonUp(under->screen_, there.x(), there.y(), *under->mouse_);
    }
}

ScreenView* ScreenView::ViewAt(QPoint at) {
    if (rect().contains(at)) {
        return this;
    }
    QWidget* parent = parentWidget();
    return parent == nullptr ? nullptr
                             : qobject_cast<ScreenView*>(parent->childAt(mapToParent(at)));
}

// Qt would treat the second press as a press as well; the host gets a double click instead,
// as a station sends it.
void ScreenView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mouse_ != nullptr) {
        const QPoint at = event->position().toPoint();
        MouseForwarder::DoubleClick(screen_, at.x(), at.y(), *mouse_);
    }
}

} // namespace qx44

#pragma once

#include "core/screen/CellLayout.h"
#include "core/screen/IPictureDisplay.h"
#include "core/screen/IScreenSurface.h"
#include "ui/screen/ScreenRenderer.h"
#include "ui/screen/ScreenRequests.h"

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <atomic>
#include <cstdint>

namespace qx44 {

class CDosScreen;
class IMessageBox;
class IScreenMouse;

// The window of a station screen. Cells are painted into a backing image the size of the window
// and the window shows that image, so it is never seen half drawn and never erased. A picture
// from the host is drawn into the same image and stays there until the cells under it are
// repainted.
//
// Repaint requests and pictures may come from any thread; they are handed to the window's
// thread in the order they came and painted in one go. While the screen holds painting, a paint
// that comes due only counts itself and keeps its area for later.
class ScreenView : public QWidget, public IScreenSurface, public IPictureDisplay {
    Q_OBJECT

public:
    // Attaches itself to the screen as its surface, and detaches when destroyed.
    ScreenView(CDosScreen& screen, IMessageBox& messages, QWidget* parent = nullptr);
    ~ScreenView() override;

    // Left-button clicks go there as cells; none until set.
    void SetMouse(IScreenMouse* mouse) { mouse_ = mouse; }

    bool WindowExists() const override { return true; }
    PixelRect ClientRect() const override;
    void InvalidateRect(const PixelRect& rect) override;
    void InvalidateWindow() override;
    void RepaintHeld() override;

    // Loads the picture on the calling thread and deletes the file at once, so the next transfer
    // may reuse its name; the window draws it when it takes its requests.
    void ShowPicture(int column, int row, const std::string& path) override;

    // What the window shows.
    const QImage& BackingImage() const { return backing_; }

signals:
    // The backing image changed: cells were painted, a picture drawn, or the window resized.
    void Changed();

protected:
    const CDosScreen& Screen() const { return screen_; }
    IMessageBox& Messages() const { return messages_; }
    // Where host pictures lie in the backing image until the cells under them are repainted.
    const QRegion& Pictures() const { return pictures_; }

    // Where a picture of this natural size goes for a host's (column, row).
    virtual PixelRect PictureArea(const CellLayout& layout, int column, int row, int width,
                                  int height) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SetClient(int width, int height);
    void Post(bool needed);
    // Asks the screen for leave to paint. A refused paint is made good when the hold that
    // refused it ends, even if the next batch has already taken the hold again: a host that
    // streams without a pause holds painting nearly all the time and would starve the window.
    bool MayPaint();
    void TakeRequests();
    void DrawPicture(ScreenRequests::Picture& picture);
    // The screen window at `at` (this window's pixels): this one, a sibling screen window, or
    // none.
    ScreenView* ViewAt(QPoint at);

    CDosScreen& screen_;
    IMessageBox& messages_;
    IScreenMouse* mouse_ = nullptr;
    ScreenRenderer renderer_;
    ScreenRequests requests_;
    QImage backing_;
    // Areas taken from the requests and not yet painted into the backing image.
    QRegion dirty_;
    QRegion pictures_;
    // A paint was refused and waits for its hold to end; RepaintHeld reports the end, from the
    // thread that held.
    bool refused_ = false;
    // Leave to paint was given before the paint was asked of Qt.
    bool granted_ = false;
    std::atomic<bool> refusingHoldEnded_{false};

    // The client area's width and height in one word, read by the receive thread for every
    // message it handles, so without a lock.
    std::atomic<std::uint64_t> clientSize_{0};
};

} // namespace qx44

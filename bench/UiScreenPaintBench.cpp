// Full repaints of the text screen into a 1920 × 1080 backing image, the way the window paints.
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantor256Attr.h"
#include "core/screen/ScreenPainter.h"
#include "ui/screen/ScreenFont.h"
#include "ui/screen/ScreenRenderer.h"
#include "ui/screen/ScreenView.h"
#include "ui/widgets/IMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Every cell holds a letter or digit, in four colour pairs.
std::unique_ptr<qx44::CConsoleWin> FullScreen(int mode) {
    auto screen = std::make_unique<qx44::CConsoleWin>();
    screen->SetGridMode(mode);
    static constexpr int kAttributes[] = {0xD200, 0xD7FC, 0xEAD7, 0xF0FA};
    static const std::u16string kCharacters =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int row = 0; row < screen->Rows(); ++row) {
        std::u16string line;
        for (int column = 0; column < screen->Columns(); ++column) {
            line += kCharacters[(row * 7 + column) % kCharacters.size()];
        }
        screen->PutString(0, row, line, kAttributes[row % 4]);
    }
    return screen;
}

// The 169 × 51 grid tiled with tables of every line style, bevels included, with text in them.
std::unique_ptr<qx44::CConsoleWin> TableScreen() {
    auto screen = std::make_unique<qx44::CConsoleWin>();
    screen->SetGridMode(6);
    int style = 0;
    for (int top = 0; top + 17 <= 51; top += 17) {
        for (int left = 0; left + 42 <= 169; left += 42) {
            static constexpr int kStyles[] = {1, 2, 5, 6};
            screen->DrawTable(top, left, 42, 17, 4, 4, 215, 234, kStyles[style++ % 4]);
            screen->PutString(left + 2, top + 2, u"Item", 0xD7FA);
        }
    }
    return screen;
}

void Paint(benchmark::State& state, qx44::CConsoleWin& screen) {
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    qx44::ScreenRenderer renderer;
    const QRegion all(target.rect());
    renderer.Render(screen, target, all);
    for (auto _ : state) {
        renderer.Render(screen, target, all);
    }
    benchmark::DoNotOptimize(target.constBits());
    state.counters["cells"] = screen.Columns() * screen.Rows();
}

void BM_FullRepaint80x25(benchmark::State& state) {
    Paint(state, *FullScreen(3));
}

void BM_FullRepaint169x51(benchmark::State& state) {
    Paint(state, *FullScreen(6));
}

void BM_FullRepaintTables169x51(benchmark::State& state) {
    Paint(state, *TableScreen());
}

// The first paint after a font change, when every glyph is rendered afresh.
void BM_FirstRepaint169x51(benchmark::State& state) {
    const auto screen = FullScreen(6);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        qx44::ScreenRenderer renderer;
        renderer.Render(*screen, target, QRegion(target.rect()));
    }
}

// A host writing two characters: the repaint covers them, one cell more and one row more.
void BM_TwoCellRepaint169x51(benchmark::State& state) {
    const auto screen = FullScreen(6);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    qx44::ScreenRenderer renderer;
    renderer.Render(*screen, target, QRegion(target.rect()));
    const qx44::PixelRect first = screen->CellRect(80, 25);
    const qx44::PixelRect last = screen->CellRect(82, 26);
    const QRegion area(first.left, first.top, last.right - first.left, last.bottom - first.top);
    for (auto _ : state) {
        renderer.Render(*screen, target, area);
    }
}

class NoBoxes : public qx44::IMessageBox {
public:
    void ShowStop(const QString&, const QString&) override {}
    void ShowNotice(const QString&) override {}
};

// The whole way through the window: the request handed over, the cells painted into the backing
// image and the image shown.
void BM_WindowRepaint169x51(benchmark::State& state) {
    const auto screen = FullScreen(6);
    NoBoxes boxes;
    qx44::ScreenView view(*screen, boxes);
    view.resize(kWidth, kHeight);
    view.show();
    for (int i = 0; i < 1000 && !view.windowHandle()->isExposed(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!view.windowHandle()->isExposed()) {
        state.SkipWithError("the window was never shown");
        return;
    }
    view.repaint();
    for (auto _ : state) {
        screen->InvalidateAll();
        QCoreApplication::sendPostedEvents();
        view.repaint();
    }
}

// The starting point: each glyph drawn with its own clip and QPainter::drawText, as a window
// without a glyph cache would.
class DrawTextPainter : public qx44::IPainter {
public:
    explicit DrawTextPainter(QPainter& painter) : painter_(painter) {}
    void FillRect(const qx44::PixelRect& r, qx44::RgbColor c) override {
        painter_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()),
                          QColor(c.red, c.green, c.blue));
    }
    void Line(qx44::PixelPoint, qx44::PixelPoint, qx44::RgbColor) override {}
    void Glyph(const qx44::PixelRect& r, char16_t code, qx44::RgbColor c) override {
        const QRect cell(r.left, r.top, r.Width(), r.Height());
        painter_.setClipRect(cell);
        painter_.setPen(QColor(c.red, c.green, c.blue));
        painter_.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, QString(QChar(code)));
        painter_.setClipping(false);
    }

private:
    QPainter& painter_;
};

void BM_DrawTextPerGlyph169x51(benchmark::State& state) {
    const auto screen = FullScreen(6);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    const qx44::ScreenSnapshot snapshot = screen->LayOutAndSnapshot({0, 0, kWidth, kHeight});
    const QFont font = qx44::ScreenFont::Make(
        {"Courier New", snapshot.layout.BaseHeight() - 3, snapshot.layout.BaseWidth() - 3, 700});
    for (auto _ : state) {
        QPainter painter(&target);
        painter.setFont(font);
        DrawTextPainter surface(painter);
        qx44::ScreenPainter::Paint(snapshot, surface);
    }
}

BENCHMARK(BM_FullRepaint80x25)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaint169x51)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaintTables169x51)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstRepaint169x51)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoCellRepaint169x51)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowRepaint169x51)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawTextPerGlyph169x51)->Unit(benchmark::kMillisecond);

} // namespace

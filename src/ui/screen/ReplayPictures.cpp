#include "ui/screen/ReplayPictures.h"

#include <QPainter>
#include <QString>

namespace qx44 {

namespace {

constexpr int kFrame = 2;
const QColor kFrameColour(255, 0, 0);
const QColor kDimming(0, 0, 0, 170);

int HeightOf(const DumpedScreen& screen) {
    return screen.name == "status" ? ReplayPictures::kStatusHeight : ReplayPictures::kTextHeight;
}

const DumpedScreen* Named(std::span<const DumpedScreen> screens, const std::string& name) {
    for (const DumpedScreen& screen : screens) {
        if (screen.name == name) {
            return &screen;
        }
    }
    return nullptr;
}

QRect ToQRect(const PixelRect& rect, int top) {
    return {rect.left, rect.top + top, rect.Width(), rect.Height()};
}

} // namespace

QImage ReplayPictures::Picture(std::span<const DumpedScreen> screens) {
    int height = 0;
    for (const DumpedScreen& screen : screens) {
        height += HeightOf(screen);
    }
    QImage picture(kWidth, std::max(height, 1), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    int top = 0;
    for (const DumpedScreen& screen : screens) {
        QImage part(kWidth, HeightOf(screen), QImage::Format_RGB32);
        renderer_.Render(screen.screen, part);
        painter.drawImage(0, top, part);
        top += part.height();
    }
    return picture;
}

QImage ReplayPictures::Diff(const QImage& actualPicture, std::span<const DumpedScreen> expected,
                            std::span<const DumpedScreen> actual) {
    QImage diff = actualPicture;
    QPainter painter(&diff);
    painter.fillRect(diff.rect(), kDimming);
    std::vector<QRect> marked;
    int top = 0;
    for (const DumpedScreen& screen : actual) {
        const ScreenSnapshot& cells = screen.screen;
        const DumpedScreen* wanted = Named(expected, screen.name);
        const bool sameGrid = wanted != nullptr && wanted->screen.columns == cells.columns &&
                              wanted->screen.rows == cells.rows;
        CellLayout layout;
        layout.LayOut({0, 0, kWidth, HeightOf(screen)}, cells.columns, cells.rows);
        for (int row = 0; row < cells.rows; ++row) {
            for (int column = 0; column < cells.columns; ++column) {
                if (!sameGrid || wanted->screen.At(column, row) != cells.At(column, row)) {
                    marked.push_back(ToQRect(layout.CellRect(column, row), top));
                }
            }
        }
        top += HeightOf(screen);
    }
    for (const QRect& cell : marked) {
        painter.drawImage(cell, actualPicture, cell);
    }
    // The frames go around the cells, so that what a cell shows stays in sight.
    for (const QRect& cell : marked) {
        const QRect outer = cell.adjusted(-kFrame, -kFrame, kFrame, kFrame);
        painter.fillRect(outer.left(), outer.top(), outer.width(), kFrame, kFrameColour);
        painter.fillRect(outer.left(), cell.bottom() + 1, outer.width(), kFrame, kFrameColour);
        painter.fillRect(outer.left(), cell.top(), kFrame, cell.height(), kFrameColour);
        painter.fillRect(cell.right() + 1, cell.top(), kFrame, cell.height(), kFrameColour);
    }
    return diff;
}

std::string ReplayPictures::Draw(const std::string& folder, std::span<const DumpedScreen> expected,
                                 std::span<const DumpedScreen> actual) {
    const QImage actualPicture = Picture(actual);
    const std::pair<const char*, QImage> pictures[] = {
        {"expected.png", Picture(expected)},
        {"actual.png", actualPicture},
        {"diff.png", Diff(actualPicture, expected, actual)},
    };
    for (const auto& [name, picture] : pictures) {
        const std::string path = folder + "/" + name;
        if (!picture.save(QString::fromStdString(path), "PNG")) {
            return "cannot write " + path;
        }
    }
    return {};
}

} // namespace qx44

#pragma once

#include "core/trace/IReplayPictures.h"
#include "ui/screen/ScreenRenderer.h"

#include <QImage>

namespace qx44 {

// Pictures of a replay whose screens differ, painted by the station's own renderer: each
// screen kWidth pixels wide, the text screen kTextHeight tall with the status line's
// kStatusHeight below it. diff.png is the actual picture dimmed, with each differing cell
// (a screen of another size: all of it) undimmed in a red frame. Needs the application object.
class ReplayPictures : public IReplayPictures {
public:
    static constexpr int kWidth = 960;
    static constexpr int kTextHeight = 600;
    static constexpr int kStatusHeight = 40;

    std::string Draw(const std::string& folder, std::span<const DumpedScreen> expected,
                     std::span<const DumpedScreen> actual) override;

private:
    QImage Picture(std::span<const DumpedScreen> screens);
    static QImage Diff(const QImage& actualPicture, std::span<const DumpedScreen> expected,
                       std::span<const DumpedScreen> actual);

    ScreenRenderer renderer_;
};

} // namespace qx44

#include "support/WorkingDirectory.h"
#include "ui/app/CQX44SimDlgHostTest.h"
#include "ui/media/PlayerWindow.h"

#include <QFile>
#include <algorithm>

namespace qx44 {
namespace {

using test::Bytes;
using uitest::WaitUntil;

// Keys of the player with the default settings: evdev code and Qt key.
struct PlayerKey {
    int evdev;
    int qtKey;
};
constexpr PlayerKey kStopKey{11, Qt::Key_0};
constexpr PlayerKey kNextClip{6, Qt::Key_5};
constexpr PlayerKey kZoomOut{7, Qt::Key_6};

// A one-colour GIF, since Qt reads GIF but cannot write it. The LZW data starts afresh every two
// pixels, so every code stays three bits long.
QByteArray SolidGif(int width, int height, QColor colour) {
    QByteArray gif("GIF89a");
    const auto word = [&gif](int value) {
        gif.append(static_cast<char>(value & 0xFF));
        gif.append(static_cast<char>(value >> 8));
    };
    word(width);
    word(height);
    gif.append("\x80\0\0", 3); // a global table of two colours
    gif.append(static_cast<char>(colour.red()));
    gif.append(static_cast<char>(colour.green()));
    gif.append(static_cast<char>(colour.blue()));
    gif.append(3, '\0');
    gif.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    gif.append('\0');
    gif.append('\x02'); // LZW minimum code size: clear 4, end 5
    QByteArray codes;
    unsigned bits = 0;
    int count = 0;
    const auto put = [&](unsigned code) {
        bits |= code << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8) {
            codes.append(static_cast<char>(bits & 0xFF));
        }
    };
    for (int pixel = 0; pixel < width * height; ++pixel) {
        if (pixel % 2 == 0) {
            put(4);
        }
        put(0);
    }
    put(5);
    if (count > 0) {
        codes.append(static_cast<char>(bits & 0xFF));
    }
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const qsizetype length = std::min<qsizetype>(255, codes.size() - at);
        gif.append(static_cast<char>(length));
        gif.append(codes.mid(at, length));
    }
    gif.append("\0;", 2);
    return gif;
}

// The player as a host drives it: lists sent over TCP, the player's keys pressed and released as
// separate events, mpv playing its test sources and picture files made here.
class HostPlayerTest : public CQX44SimDlgHostTest {
protected:
    explicit HostPlayerTest(const std::string& slideShow = "Auto=0\n")
        : CQX44SimDlgHostTest("[LocalVideo]\n" + slideShow + "[Video]\nTestSources=1\n") {}

    const PlayerWindow& Player() const { return window->Player(); }

    // Each entry ends with CR, so the ETX after the last CR is one more entry.
    static void SendList(test::TcpTestClient& host, const std::string& entries) {
        Bytes play = {0x02, 0x01, 0x40, 0, 0, 0, 0, 0};
        play.insert(play.end(), entries.begin(), entries.end());
        play.push_back(0x03);
        host.Send(play);
    }

    void Tap(PlayerKey key) {
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key.qtKey, {}, static_cast<quint32>(key.evdev + 8), 0, 0);
            QApplication::sendEvent(window.get(), &event);
        }
    }

    void SavePicture(const std::string& name, QColor colour) {
        const QString path = QString::fromStdString(dir.File(name));
        if (name.ends_with(".gif")) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(SolidGif(32, 24, colour));
            return;
        }
        QImage picture(32, 24, QImage::Format_RGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(path));
    }

    // The title names `title` and the middle of the frame is near `colour`.
    bool Shows(const std::string& title, QColor colour) const {
        const QImage& frame = Player().Video().Frame();
        if (!Player().Title().startsWith(QString::fromStdString(title)) || frame.isNull()) {
            return false;
        }
        const QColor centre = frame.pixelColor(frame.width() / 2, frame.height() / 2);
        return std::abs(centre.red() - colour.red()) < 60 &&
               std::abs(centre.green() - colour.green()) < 60 &&
               std::abs(centre.blue() - colour.blue()) < 60;
    }
};

// Zoom 1.0 draws an item at its own size from the first list on: the zoom follows each item's
// size as it becomes known, and a new list starts at 1.0 whatever the last one was zoomed to.
TEST_F(HostPlayerTest, ZoomFollowsEachItemsSize) {
    auto host = Connect();
    // The video area is the 1024 x 768 window less the 60-pixel strip: 1024 x 708.
    const std::string large = "av://lavfi:testsrc=duration=60:size=320x240";
    const std::string small = "av://lavfi:testsrc=duration=60:size=160x100";
    const struct Step {
        const char* what;
        std::string list;
        std::optional<PlayerKey> key;
        std::string title;
        QRect video;
    } steps[] = {
        {"the first list", large + "\r" + small + "\r", {}, large, {352, 234, 320, 240}},
        {"zoomed out", {}, kZoomOut, large, {432, 294, 160, 120}},
        {"the next item at that zoom", {}, kNextClip, small, {472, 329, 80, 50}},
        {"a new list", large + "\r", {}, large, {352, 234, 320, 240}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (!step.list.empty()) {
            if (Player().isVisible()) {
                Tap(kStopKey);
            }
            SendList(*host, step.list);
            ASSERT_TRUE(WaitUntil([&] { return Player().isVisible(); }));
        }
        if (step.key) {
            Tap(*step.key);
        }
        EXPECT_TRUE(WaitUntil(
            [&] {
                return Player().Title().startsWith(QString::fromStdString(step.title + " (")) &&
                       Player().Video().geometry() == step.video;
            },
            10000))
            << Player().Title().toStdString() << " at " << Player().Video().geometry().x() << ","
            << Player().Video().geometry().y() << " " << Player().Video().geometry().width()
            << " x " << Player().Video().geometry().height();
    }
}

// An entry that cannot be played is named in the title with its place in the list, as any other.
TEST_F(HostPlayerTest, TitleNamesAnEntryThatCannotBePlayed) {
    test::WorkingDirectory inTemp(dir.Path());
    auto host = Connect();
    const struct {
        std::string entries;
        std::string title;
    } cases[] = {
        // The exit-key line after the entry carries the ETX, so the list is that one entry.
        {"missing.avi\r\n145000", "missing.avi ( 1/1 )     Error: loading failed"},
        {"gone.jpg\rmissing.avi\r", "\x03 ( 3/3 )     Error: loading failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        if (Player().isVisible()) {
            Tap(kStopKey);
        }
        SendList(*host, c.entries);
        EXPECT_TRUE(WaitUntil([&] { return Player().Title().toStdString() == c.title; }, 10000))
            << Player().Title().toStdString();
    }
}

// "5" moves to the next picture at once in every fresh start of the terminal, however late mpv
// reports how its start went.
TEST_F(HostPlayerTest, NextClipMovesOnInEveryFreshStart) {
    test::WorkingDirectory inTemp(dir.Path());
    SavePicture("a.jpg", Qt::red);
    SavePicture("b.bmp", Qt::blue);
    for (int start = 1; start <= 12; ++start) {
        SCOPED_TRACE(start);
        if (start > 1) {
            Restart();
        }
        auto host = Connect();
        SendList(*host, "a.jpg\rb.bmp\r");
        ASSERT_TRUE(WaitUntil([&] { return Shows("a.jpg ( 1/3 )", Qt::red); }, 10000))
            << Player().Title().toStdString();
        Tap(kNextClip);
        EXPECT_TRUE(WaitUntil([&] { return Shows("b.bmp ( 2/3 )", Qt::blue); }, 5000))
            << Player().Title().toStdString();
    }
}

class SlideShowTest : public HostPlayerTest {
protected:
    SlideShowTest() : HostPlayerTest("Auto=1\nAtSecs=1\n") {}
};

// Every kind of picture is held for the slide time and then makes way for the next entry.
TEST_F(SlideShowTest, EveryKindOfPictureMakesWayAfterItsTime) {
    test::WorkingDirectory inTemp(dir.Path());
    const struct {
        std::string name;
        QColor colour;
    } pictures[] = {
        {"a.png", Qt::red}, {"b.gif", Qt::green}, {"c.jpeg", Qt::blue}, {"d.bmp", Qt::yellow}};
    std::string entries;
    for (const auto& picture : pictures) {
        SavePicture(picture.name, picture.colour);
        entries += picture.name + "\r";
    }
    auto host = Connect();
    SendList(*host, entries);
    int place = 0;
    for (const auto& picture : pictures) {
        const std::string title = picture.name + " ( " + std::to_string(++place) + "/5 )";
        EXPECT_TRUE(WaitUntil([&] { return Shows(title, picture.colour); }, 10000))
            << title << ": " << Player().Title().toStdString();
    }
}

} // namespace
} // namespace qx44

#include "ui/widgets/CPicture.h"

#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

#include <QPainter>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qx44 {
namespace {

using uitest::RecordingMessageBox;

class CPictureTest : public ::testing::Test {
protected:
    // A picture file of one colour, saved in `format`.
    std::string Save(const std::string& name, int width, int height, QColor colour,
                     const char* format = "BMP") {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = dir.File(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), format));
        return path;
    }

    test::TempDir dir;
    RecordingMessageBox boxes;
};

TEST_F(CPictureTest, LoadsPicturesOfEveryCommonFormatAtTheirPixelSize) {
    for (const char* format : {"BMP", "PNG", "JPG"}) {
        SCOPED_TRACE(format);
        CPicture picture(boxes);
        const std::string path = Save(std::string("p.") + format, 100, 50, Qt::red, format);
        ASSERT_TRUE(picture.LoadFromFile(path));
        EXPECT_EQ(picture.Width(), 100);
        EXPECT_EQ(picture.Height(), 50);
        EXPECT_EQ(picture.Size(), static_cast<std::int64_t>(std::filesystem::file_size(path)));
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(CPictureTest, AMissingFileShowsTheSystemsTextForItAndFails) {
    CPicture picture(boxes);
    EXPECT_FALSE(picture.LoadFromFile(dir.File("none.bmp")));
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(boxes.Boxes(),
              (std::vector<std::string>{std::string("CPicture Error: ") + std::strerror(ENOENT)}));
}

TEST_F(CPictureTest, BackslashesInAPathAreFolderSeparators) {
    Save("p.bmp", 4, 4, Qt::blue);
    CPicture picture(boxes);
    std::string path = dir.File("p.bmp");
    path[dir.Path().size()] = '\\';
    EXPECT_TRUE(picture.LoadFromFile(path));
}

TEST_F(CPictureTest, BytesThatAreNoPictureFailWithoutABox) {
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"text", "not a picture at all"},
        {"empty", ""},
        {"a bitmap header cut short", std::string("BM\x3A\x00\x00\x00", 6)},
        // A header that claims 60000 × 60000 pixels: more than any reader will allocate.
        {"a huge bitmap",
         std::string("BM\x36\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00"
                     "\x60\xEA\x00\x00\x60\xEA\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00",
                     34) +
             std::string(20, '\0')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir::WriteText(dir.File("bad.bmp"), row.bytes);
        CPicture picture(boxes);
        EXPECT_FALSE(picture.LoadFromFile(dir.File("bad.bmp")));
        EXPECT_TRUE(picture.IsEmpty());
        EXPECT_EQ(picture.Width(), 0);
        EXPECT_EQ(picture.Height(), 0);
        EXPECT_EQ(picture.Size(), static_cast<std::int64_t>(row.bytes.size()));
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(CPictureTest, AFileTooLargeToHoldIsRefusedAsOutOfMemory) {
    const std::string path = dir.File("huge.bmp");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    // Sparse: it costs no disk, and the loader must refuse it before reading.
    ASSERT_EQ(::ftruncate(fd, CPicture::kMaxDataBytes + 1), 0);
    ::close(fd);
    CPicture picture(boxes);
    EXPECT_FALSE(picture.LoadFromFile(path));
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(boxes.Boxes(),
              (std::vector<std::string>{"CPicture Error: Can not allocate enough memory\t"}));
}

TEST_F(CPictureTest, ASecondLoadDropsTheFirstPictureEvenWhenItFails) {
    CPicture picture(boxes);
    ASSERT_TRUE(picture.LoadFromFile(Save("p.bmp", 10, 10, Qt::green)));
    EXPECT_FALSE(picture.LoadFromFile(dir.File("missing.bmp")));
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Size(), 0);
    ASSERT_TRUE(picture.LoadFromFile(Save("q.bmp", 30, 20, Qt::green)));
    EXPECT_EQ(picture.Width(), 30);
}

TEST_F(CPictureTest, ResourcesLoadByNumberAndTypeWhateverTheTypesCase) {
    for (const char* type : {"Bmp", "BMP", "bmp"}) {
        CPicture picture(boxes);
        EXPECT_TRUE(picture.LoadFromResource(181, type)) << type;
        EXPECT_EQ(picture.Width(), 24);
        EXPECT_EQ(picture.Height(), 24);
        EXPECT_GT(picture.Size(), 0);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(CPictureTest, AMissingResourceSaysFindResourceFailed) {
    CPicture picture(boxes);
    EXPECT_FALSE(picture.LoadFromResource(999, "Bmp"));
    EXPECT_FALSE(picture.LoadFromResource(181, "Icon"));
    EXPECT_EQ(boxes.Boxes(), (std::vector<std::string>{"CPicture Error: FindResource() Failed\t",
                                                       "CPicture Error: FindResource() Failed\t"}));
}

// The painted extent of a picture drawn into a white 200 × 200 image at (10, 20).
QRect Drawn(CPicture& picture, int cx, int cy, int scaleX, int scaleY) {
    QImage target(200, 200, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        EXPECT_TRUE(picture.Render(&painter, 10, 20, cx, cy, scaleX, scaleY));
    }
    QRect drawn;
    for (int y = 0; y < target.height(); ++y) {
        for (int x = 0; x < target.width(); ++x) {
            if (target.pixelColor(x, y) != Qt::white) {
                drawn |= QRect(x, y, 1, 1);
            }
        }
    }
    return drawn;
}

TEST_F(CPictureTest, RenderDrawsTheGivenSizePlusScaledNaturalSize) {
    CPicture picture(boxes);
    ASSERT_TRUE(picture.LoadFromFile(Save("p.bmp", 100, 50, Qt::red)));
    EXPECT_EQ(Drawn(picture, 0, 0, 1, 1), QRect(10, 20, 100, 50));
    EXPECT_EQ(Drawn(picture, 30, 40, 0, 0), QRect(10, 20, 30, 40));
    EXPECT_EQ(Drawn(picture, 5, 5, 1, 1), QRect(10, 20, 105, 55));
}

TEST_F(CPictureTest, RenderNeedsAPictureAndAPainter) {
    CPicture picture(boxes);
    QImage target(10, 10, QImage::Format_RGB32);
    QPainter painter(&target);
    EXPECT_FALSE(picture.Render(&painter, 0, 0, 0, 0, 1, 1));
    ASSERT_TRUE(picture.LoadFromFile(Save("p.bmp", 4, 4, Qt::red)));
    EXPECT_FALSE(picture.Render(nullptr, 0, 0, 0, 0, 1, 1));
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
} // namespace qx44

#pragma once

#include <QImage>
#include <cstdint>
#include <string>

class QPainter;

namespace qx44 {

class IMessageBox;

// One picture (BMP, JPEG, GIF, PNG and whatever else Qt's image readers take) loaded from a file
// or from the program's resources, and drawn at a place and size. Failures are told to the user
// in "CPicture Error" boxes; callers only see false, and the object is then empty.
//
// Sizes are pixels at 96 dots per inch, the resolution the station's loader assumed for every
// picture: a picture's own resolution setting does not change its size.
class CPicture {
public:
    static constexpr const char* kErrorTitle = "CPicture Error";
    static constexpr const char* kNoMemory = "Can not allocate enough memory\t";
    static constexpr const char* kResourceMissing = "FindResource() Failed\t";
    static constexpr const char* kResourceUnreadable = "LoadResource() Failed\t";
    // Picture data above this size is refused as if memory had run out, so that a huge file
    // cannot exhaust memory; Qt's readers refuse images whose pixels would pass their own limit.
    static constexpr std::int64_t kMaxDataBytes = std::int64_t{256} * 1024 * 1024;

    explicit CPicture(IMessageBox& messages);
    virtual ~CPicture();
    CPicture(CPicture&& other) noexcept;
    CPicture& operator=(CPicture&& other) noexcept;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    // '\' in the path counts as '/', as in every path a host or the settings give.
    bool LoadFromFile(const std::string& path);
    // Resource `id` of `type` is the Qt resource ":/<type in lower case>/<id>", so type names
    // match without regard to case ("Bmp" and "BMP" are the same type).
    bool LoadFromResource(int id, const std::string& type);
    // False only when the bytes cannot be held; bytes that are not a picture leave the object
    // empty and still return true, for the loads above to report.
    bool LoadPictureData(const std::uint8_t* bytes, std::int64_t count);
    // Draws at (x, y), cx + scaleX × natural width wide and cy + scaleY × natural height tall,
    // natural sizes taken at the painter's device resolution.
    bool Render(QPainter* painter, int x, int y, int cx, int cy, int scaleX, int scaleY);
    void Free();

    bool IsEmpty() const { return picture_.isNull(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Bytes of the data the picture was last loaded from.
    std::int64_t Size() const { return size_; }

private:
    bool FinishLoad(bool dataResult);
    void ShowError(const QString& text) const;

    IMessageBox* messages_;
    QImage picture_;
    int height_ = 0;
    std::int64_t size_ = 0;
    int width_ = 0;
};

} // namespace qx44

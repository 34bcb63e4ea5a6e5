#include "ui/widgets/CPicture.h"

#include "core/common/Log.h"
#include "ui/widgets/IMessageBox.h"

#include <QByteArray>
#include <QFile>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qx44 {

namespace {

constexpr int kMaxErrorText = 255;
constexpr double kPictureDpi = 96.0;

QString FileErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error)).left(kMaxErrorText);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Reads `length` bytes, fewer if the file shrank meanwhile; returns the error number of a failed
// read, or 0.
int ReadAll(int fd, std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return 0;
}

int Natural(int pixels, int dpi) {
    return static_cast<int>(std::lround(pixels * (dpi / kPictureDpi)));
}

} // namespace

CPicture::CPicture(IMessageBox& messages) : messages_(&messages) {}

CPicture::~CPicture() = default;

CPicture::CPicture(CPicture&& other) noexcept
    : messages_(other.messages_), picture_(std::move(other.picture_)), height_(other.height_),
      size_(other.size_), width_(other.width_) {
    other.Free();
}

CPicture& CPicture::operator=(CPicture&& other) noexcept {
    if (this != &other) {
        messages_ = other.messages_;
        picture_ = std::move(other.picture_);
        height_ = other.height_;
        size_ = other.size_;
        width_ = other.width_;
        other.Free();
    }
    return *this;
}

bool CPicture::LoadFromFile(const std::string& path) {
    Free();
    std::string local = path;
    std::replace(local.begin(), local.end(), '\\', '/');
    const FileDescriptor file(::open(local.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0) {
        ShowError(FileErrorText(errno));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        ShowError(FileErrorText(EISDIR));
        return false;
    }
    const std::int64_t length = info.st_size;
    if (length > kMaxDataBytes) {
        size_ = length;
        ShowError(kNoMemory);
        return false;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        ShowError(kNoMemory);
        return false;
    }
    if (const int error = ReadAll(file.Get(), bytes); error != 0) {
        ShowError(FileErrorText(error));
        return false;
    }
    const bool result = LoadPictureData(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    size_ = length;
    return FinishLoad(result);
}

bool CPicture::LoadFromResource(int id, const std::string& type) {
    Free();
    QFile resource(":/" + QString::fromStdString(type).toLower() + "/" + QString::number(id));
    if (!resource.exists()) {
        ShowError(kResourceMissing);
        return false;
    }
    if (!resource.open(QIODevice::ReadOnly)) {
        ShowError(kResourceUnreadable);
        return false;
    }
    const QByteArray bytes = resource.readAll();
    size_ = bytes.size();
    const bool result =
        LoadPictureData(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size());
    return FinishLoad(result);
}

bool CPicture::LoadPictureData(const std::uint8_t* bytes, std::int64_t count) {
    if (count < 0 || count > kMaxDataBytes || (bytes == nullptr && count > 0)) {
        ShowError(kNoMemory);
        return false;
    }
    try {
        picture_ = QImage::fromData(
            QByteArrayView(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count)));
    } catch (const std::bad_alloc&) {
        picture_ = QImage();
        ShowError(kNoMemory);
        return false;
    }
    return true;
}

bool CPicture::FinishLoad(bool dataResult) {
    if (picture_.isNull()) {
        height_ = 0;
        width_ = 0;
        return false;
    }
    width_ = picture_.width();
    height_ = picture_.height();
    return dataResult;
}

bool CPicture::Render(QPainter* painter, int x, int y, int cx, int cy, int scaleX, int scaleY) {
    if (painter == nullptr || picture_.isNull()) {
        return false;
    }
    if (!painter->isActive()) {
        ShowError(kNoMemory);
        return false;
    }
    const QPaintDevice* device = painter->device();
    const std::int64_t width =
        std::int64_t{cx} + std::int64_t{scaleX} * Natural(width_, device->logicalDpiX());
    const std::int64_t height =
        std::int64_t{cy} + std::int64_t{scaleY} * Natural(height_, device->logicalDpiY());
    // A picture drawn with no area shows nothing; sizes beyond the coordinate range are cut, the
    // drawing being clipped to the device long before.
    if (width <= 0 || height <= 0) {
        return true;
    }
    const auto cut = [](std::int64_t extent) {
        return static_cast<int>(std::min<std::int64_t>(extent, 1 << 24));
    };
    painter->drawImage(QRect(x, y, cut(width), cut(height)), picture_);
    return true;
}

void CPicture::Free() {
    picture_ = QImage();
    height_ = 0;
    size_ = 0;
    width_ = 0;
}

void CPicture::ShowError(const QString& text) const {
    Log::Note(LogArea::Media, [&] { return "picture not shown: " + text.toStdString(); });
    messages_->ShowStop(kErrorTitle, text);
}

} // namespace qx44

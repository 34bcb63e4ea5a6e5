#include "core/hostlink/CSerialException.h"

#include <algorithm>
#include <cstring>

namespace qx44 {

namespace {

// strerrordesc_np, unlike strerror, tells an unknown code apart (no "Unknown error N" text) and
// is safe on any thread: the ports are used from two.
std::string SystemText(int errorCode) {
    const char* text = ::strerrordesc_np(errorCode);
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace

CSerialException::CSerialException(int errorCode)
    : errorCode_(errorCode), message_(SystemText(errorCode)) {}

bool CSerialException::GetErrorMessage(std::span<char> buffer) const noexcept {
    if (buffer.empty()) {
        return false;
    }
    const std::size_t length = std::min(message_.size(), buffer.size() - 1);
    std::copy_n(message_.data(), length, buffer.data());
    buffer[length] = '\0';
    return length > 0;
}

} // namespace qx44

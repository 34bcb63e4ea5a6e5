#pragma once

#include <exception>
#include <span>
#include <string>

namespace qx44 {

// A serial port call that failed, with the system error code (errno) of the failing call and the
// system's text for it. CSerialPort raises it; the interpreter catches and discards it.
class CSerialException : public std::exception {
public:
    explicit CSerialException(int errorCode);

    int GetErrorCode() const noexcept { return errorCode_; }
    // Empty when the system has no text for the code.
    const std::string& GetErrorMessage() const noexcept { return message_; }
    // Copies the text into `buffer`, cut to fit and always terminated; false, leaving an empty
    // text where there is room for one, when there is no text or no room for any of it.
    bool GetErrorMessage(std::span<char> buffer) const noexcept;

    const char* what() const noexcept override { return message_.c_str(); }

private:
    int errorCode_;
    std::string message_;
};

} // namespace qx44

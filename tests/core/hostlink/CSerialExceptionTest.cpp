#include "core/hostlink/CSerialException.h"

#include <array>
#include <cerrno>
#include <gtest/gtest.h>
#include <string>

namespace qx44 {
namespace {

TEST(CSerialException, CarriesTheCodeAndTheSystemText) {
    for (const auto& [code, text] :
         {std::pair<int, std::string>{ENOENT, "No such file or directory"},
          {EBUSY, "Device or resource busy"},
          {123456, ""}}) {
        const CSerialException error(code);
        EXPECT_EQ(error.GetErrorCode(), code);
        EXPECT_EQ(error.GetErrorMessage(), text);
        EXPECT_EQ(std::string(error.what()), text);
    }
}

TEST(CSerialException, TextIsCutToTheCallersBuffer) {
    struct Case {
        int code;
        std::size_t size;
        bool hasText;
        std::string copied;
    };
    for (const auto& c :
         {Case{EBUSY, 64, true, "Device or resource busy"}, Case{EBUSY, 7, true, "Device"},
          Case{EBUSY, 1, false, ""}, Case{123456, 64, false, ""}}) {
        std::array<char, 64> buffer;
        buffer.fill('#');
        EXPECT_EQ(CSerialException(c.code).GetErrorMessage(std::span(buffer.data(), c.size)),
                  c.hasText);
        EXPECT_EQ(std::string(buffer.data()), c.copied) << c.size << " characters";
    }
    EXPECT_FALSE(CSerialException(EBUSY).GetErrorMessage(std::span<char>()));
}

} // namespace
} // namespace qx44

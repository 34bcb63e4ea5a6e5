#pragma once

#include "core/hostlink/ISerialDevice.h"
#include "platform/TermiosSerialDevice.h"

#include <memory>

namespace qx44 {

class TermiosSerialDeviceFactory : public ISerialDeviceFactory {
public:
    std::unique_ptr<ISerialDevice> CreateDevice() override {
        return std::make_unique<TermiosSerialDevice>();
    }
};

} // namespace qx44

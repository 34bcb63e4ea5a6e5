#pragma once

#include "core/common/IBeeper.h"

#include <string>

namespace qx44 {

// The beeper as a sine tone on an ALSA playback device. Without a device that can play it (no
// sound card, device busy, a frequency above what 48 kHz can carry) the beep is silent but still
// lasts its duration, since the waiting is what a host relies on.
class AlsaBeeper : public IBeeper {
public:
    static constexpr unsigned kSampleRate = 48000;

    explicit AlsaBeeper(std::string device = "default");

    void Beep(int frequencyHz, std::chrono::milliseconds duration,
              const CancelToken& cancel) override;

private:
    std::string device_;
};

} // namespace qx44

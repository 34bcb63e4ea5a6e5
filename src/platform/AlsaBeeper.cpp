#include "platform/AlsaBeeper.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <numbers>

namespace qx44 {

namespace {

using Clock = std::chrono::steady_clock;

// Short chunks keep cancellation quick: the tone stops within one chunk of the connection closing.
constexpr std::size_t kChunkFrames = AlsaBeeper::kSampleRate / 50;
// Little buffered sound, so the final drain, which cannot be cancelled, stays short.
constexpr unsigned kLatencyMicroseconds = 60000;
constexpr double kAmplitude = 0.3 * 32767.0;

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

// ALSA reports a missing sound card on standard error from inside its configuration code; the
// station writes no trace output, and a missing card is an expected state here.
void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

PcmHandle OpenPcm(const std::string& device) {
    static std::once_flag silenced;
    std::call_once(silenced, [] { snd_lib_error_set_handler(SilentAlsaErrors); });

    snd_pcm_t* raw = nullptr;
    // Non-blocking open: a device held by another program fails at once instead of waiting.
    if (snd_pcm_open(&raw, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
        return nullptr;
    }
    PcmHandle pcm(raw);
    if (snd_pcm_nonblock(pcm.get(), 0) < 0 ||
        snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                           AlsaBeeper::kSampleRate, 1, kLatencyMicroseconds) < 0) {
        return nullptr;
    }
    return pcm;
}

// Plays the tone to its end or to cancellation; false when the device failed on the way, so the
// caller waits out the rest silently.
bool PlayTone(snd_pcm_t* pcm, int frequencyHz, std::chrono::milliseconds duration,
              const CancelToken& cancel) {
    const auto totalFrames =
        static_cast<std::uint64_t>(duration.count()) * AlsaBeeper::kSampleRate / 1000;
    const double step = 2.0 * std::numbers::pi * frequencyHz / AlsaBeeper::kSampleRate;
    double phase = 0.0;
    std::array<std::int16_t, kChunkFrames> chunk{};
    for (std::uint64_t played = 0; played < totalFrames;) {
        if (cancel.IsCancelled()) {
            snd_pcm_drop(pcm);
            return true;
        }
        const auto frames =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, totalFrames - played));
        for (std::size_t i = 0; i < frames; ++i) {
            chunk[i] = static_cast<std::int16_t>(std::lround(kAmplitude * std::sin(phase)));
            phase = std::fmod(phase + step, 2.0 * std::numbers::pi);
        }
        auto written = snd_pcm_writei(pcm, chunk.data(), frames);
        if (written < 0) {
            written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
            if (written < 0) {
                return false;
            }
        }
        played += static_cast<std::uint64_t>(written);
    }
    snd_pcm_drain(pcm);
    return true;
}

} // namespace

AlsaBeeper::AlsaBeeper(std::string device) : device_(std::move(device)) {}

void AlsaBeeper::Beep(int frequencyHz, std::chrono::milliseconds duration,
                      const CancelToken& cancel) {
    if (duration.count() <= 0) {
        return;
    }
    const auto end = Clock::now() + duration;
    if (frequencyHz > 0 && frequencyHz < static_cast<int>(kSampleRate / 2)) {
        if (PcmHandle pcm = OpenPcm(device_);
            pcm && PlayTone(pcm.get(), frequencyHz, duration, cancel)) {
            return;
        }
    }
    cancel.WaitUntil(end);
}

} // namespace qx44

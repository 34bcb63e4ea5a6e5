#pragma once

#include <QTimer>
#include <bitset>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QKeyEvent;

namespace qx44 {

// The station's keyboard repeats every held key, modifiers included; a window system that leaves
// some keys unrepeated (X marks the modifiers so) has them repeated here at its own rate. As on a
// PC keyboard, the key pressed last repeats until it comes up or another key goes down.
class KeyRepeater {
public:
    struct Settings {
        std::chrono::milliseconds delay{660};
        std::chrono::milliseconds interval{40};
        // By native scan code: the keys the window system repeats itself.
        std::bitset<256> repeatedBySystem;
    };

    // `press` gets each repeat, as an auto-repeated press of the held key.
    explicit KeyRepeater(std::function<void(const QKeyEvent&)> press);
    ~KeyRepeater();
    KeyRepeater(const KeyRepeater&) = delete;
    KeyRepeater& operator=(const KeyRepeater&) = delete;

    // Nothing: the window system repeats what is to be repeated (or nothing at all).
    void SetSettings(std::optional<Settings> settings);
    // Every key event the terminal gets, except the repeats made here.
    void Follow(const QKeyEvent& event);
    void Stop();

private:
    void Repeat();

    std::function<void(const QKeyEvent&)> press_;
    std::optional<Settings> settings_;
    QTimer timer_;
    std::unique_ptr<QKeyEvent> held_;
};

} // namespace qx44

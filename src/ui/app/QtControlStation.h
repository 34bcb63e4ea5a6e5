#pragma once

#include "core/control/IControlStation.h"

class QWidget;

namespace qx44 {

class CDosScreen;
class HostLink;

// The station as the control port reaches it, on the UI thread: screens read under their locks,
// keys as synthetic key events to whatever window has the keyboard (so they take the real keys'
// path), and pictures of the main window as the screen shows it.
class QtControlStation : public IControlStation {
public:
    QtControlStation(QWidget& window, const CDosScreen& textScreen, const CDosScreen& statusLine,
                     const HostLink& link);

    ScreenSnapshot TextScreen() const override;
    ScreenSnapshot StatusLine() const override;
    HostLinkState HostState() const override;
    void InjectKey(const NamedKey& key, bool down) override;
    std::string SavePicture(const std::string& path) override;
    void Shutdown() override;

private:
    QWidget& window_;
    const CDosScreen& textScreen_;
    const CDosScreen& statusLine_;
    const HostLink& link_;
};

} // namespace qx44

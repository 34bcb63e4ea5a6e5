#pragma once

#include "core/control/IControlStation.h"

class QWidget;

namespace qx44 {

class CDosScreen;
class HostLink;
class IScreenMouse;

// The station as the control port reaches it, on the UI thread: screens read under their locks,
// keys as synthetic key events to whatever window has the keyboard (so they take the real keys'
// path), clicks to the same mouse receiver the screen windows report to, and pictures of the
// main window as the screen shows it.
class QtControlStation : public IControlStation {
public:
    QtControlStation(QWidget& window, const CDosScreen& textScreen, const CDosScreen& statusLine,
                     const HostLink& link, IScreenMouse& mouse);

    ScreenSnapshot TextScreen() const override;
    ScreenSnapshot StatusLine() const override;
    HostLinkState HostState() const override;
    void InjectKey(const NamedKey& key, bool down) override;
    void MouseDown(int column, int row) override;
    void MouseUp(int column, int row) override;
    void MouseDoubleClick(int column, int row) override;
    std::string SavePicture(const std::string& path) override;
    void Shutdown() override;

private:
    QWidget& window_;
    const CDosScreen& textScreen_;
    const CDosScreen& statusLine_;
    const HostLink& link_;
    IScreenMouse& mouse_;
};

} // namespace qx44

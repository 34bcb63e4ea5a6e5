#pragma once

#include <QImage>
#include <string>

class QWidget;

namespace qx44 {

struct NamedKey;

// The control port's commands that need the window, on the UI thread: keys as synthetic key
// events to whatever window has the keyboard (so they take the real keys' path), pictures of the
// main window as the screen shows it, and the program's end.
class QtControlStation {
public:
    explicit QtControlStation(QWidget& window) : window_(window) {}

    void InjectKey(const NamedKey& key, bool down);
    std::string SavePicture(const std::string& path);
    // The same picture, in memory.
    QImage Picture() const;
    void Shutdown() { EndProgram(); }
    // As SIGTERM does, once the reply in hand is on its way.
    static void EndProgram();

private:
    QWidget& window_;
};

} // namespace qx44

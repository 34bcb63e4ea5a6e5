#pragma once

#include <mpv/client.h>
#include <mpv/render.h>
#include <string>

namespace qx44 {

// The functions of libmpv the engine calls, under their own names.
#define QX44_MPV_FUNCTIONS(X)                                                                      \
    X(mpv_create)                                                                                  \
    X(mpv_set_option_string)                                                                       \
    X(mpv_initialize)                                                                              \
    X(mpv_terminate_destroy)                                                                       \
    X(mpv_error_string)                                                                            \
    X(mpv_observe_property)                                                                        \
    X(mpv_set_wakeup_callback)                                                                     \
    X(mpv_wait_event)                                                                              \
    X(mpv_command)                                                                                 \
    X(mpv_get_property)                                                                            \
    X(mpv_set_property)                                                                            \
    X(mpv_render_context_create)                                                                   \
    X(mpv_render_context_set_update_callback)                                                      \
    X(mpv_render_context_update)                                                                   \
    X(mpv_render_context_render)                                                                   \
    X(mpv_render_context_free)

// libmpv opened at run time, when the player is first used: linked into the program, it and the
// decoders, voices and renderers it pulls in would be mapped and touched in every station,
// although most never play anything.
class MpvLibrary {
public:
    // Opens the library and resolves every function; on failure IsLoaded() is false and Error()
    // says why.
    explicit MpvLibrary(const std::string& name);
    ~MpvLibrary();
    MpvLibrary(const MpvLibrary&) = delete;
    MpvLibrary& operator=(const MpvLibrary&) = delete;

    bool IsLoaded() const { return handle_ != nullptr; }
    const std::string& Error() const { return error_; }

#define QX44_MPV_DECLARE(name) decltype(&::name) name = nullptr;
    QX44_MPV_FUNCTIONS(QX44_MPV_DECLARE)
#undef QX44_MPV_DECLARE

private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace qx44

#include "ui/media/MpvLibrary.h"

#include <dlfcn.h>
#include <type_traits>

namespace qx44 {

MpvLibrary::MpvLibrary(const std::string& name) {
    // Never unloaded: mpv's decoders and audio outputs may leave exit handlers behind.
    handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle_ == nullptr) {
        const char* reason = ::dlerror();
        error_ = reason != nullptr ? reason : name + " cannot be loaded";
        return;
    }
    const auto resolve = [this, &name](auto& function, const char* symbol) {
        if (error_.empty()) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                ::dlsym(handle_, symbol));
            if (function == nullptr) {
                error_ = name + " has no " + symbol;
            }
        }
    };
#define QX44_MPV_RESOLVE(name) resolve(name, #name);
    QX44_MPV_FUNCTIONS(QX44_MPV_RESOLVE)
#undef QX44_MPV_RESOLVE
    if (!error_.empty()) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

MpvLibrary::~MpvLibrary() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
    }
}

} // namespace qx44

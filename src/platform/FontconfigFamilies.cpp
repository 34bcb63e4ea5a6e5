#include "platform/FontconfigFamilies.h"

#include <fontconfig/fontconfig.h>
#include <memory>
#include <string>

namespace qx44 {

namespace {

template <auto Free> struct Freer {
    template <typename T> void operator()(T* object) const { Free(object); }
};
using Config = std::unique_ptr<FcConfig, Freer<FcConfigDestroy>>;
using Pattern = std::unique_ptr<FcPattern, Freer<FcPatternDestroy>>;
using ObjectSet = std::unique_ptr<FcObjectSet, Freer<FcObjectSetDestroy>>;
using FontSet = std::unique_ptr<FcFontSet, Freer<FcFontSetDestroy>>;

} // namespace

std::vector<std::string_view>
FontconfigFamilies::Missing(std::span<const std::string_view> families) {
    // A configuration of its own, read afresh, rather than the one this process may have read
    // before a font was installed.
    const Config config(FcInitLoadConfigAndFonts());
    const ObjectSet objects(FcObjectSetBuild(FC_FAMILY, nullptr));
    const auto listed = [&](const std::string& name) {
        const Pattern pattern(FcPatternCreate());
        if (!config || !objects || !pattern ||
            !FcPatternAddString(pattern.get(), FC_FAMILY,
                                reinterpret_cast<const FcChar8*>(name.c_str()))) {
            return false;
        }
        const FontSet fonts(FcFontList(config.get(), pattern.get(), objects.get()));
        return fonts && fonts->nfont > 0;
    };
    std::vector<std::string_view> missing;
    for (const std::string_view family : families) {
        if (!listed(std::string(family))) {
            missing.push_back(family);
        }
    }
    return missing;
}

} // namespace qx44

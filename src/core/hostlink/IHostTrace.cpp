#include "core/hostlink/IHostTrace.h"

namespace qx44 {

IHostTrace& IHostTrace::None() {
    static IHostTrace none;
    return none;
}

} // namespace qx44

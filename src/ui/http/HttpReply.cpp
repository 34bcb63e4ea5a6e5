#include "ui/http/HttpReply.h"

#include "core/control/ControlReply.h"

namespace qx44 {

HttpReply HttpReply::Error(int status, std::string_view message) {
    return Json(status, QByteArray::fromStdString(ControlReply::Error(message).ToLine()));
}

} // namespace qx44

#include "presets/StoreMessage.h"

#include "editor/ParameterModel.h"
#include "link/Hex.h"

namespace StoreMessage {

QString text(const ParameterModel& model)
{
    QString out = QStringLiteral("03");
    for (ParameterId id : kAssignableOrder)
        out += Hex::hex(model.value(id), 8);
    return out;
}

} // namespace StoreMessage

#pragma once

#include <QString>

#include <optional>

// The console's raw sender writes one parameter message: 01, a 16-bit address
// and a 32-bit value. Only a text that makes exactly that message is sent; a
// shorter one would go out with stale bytes of an older message behind it.
namespace RawMessage {

// "01" + address + data when the address is four hexadecimal digits and the
// data eight; nothing otherwise.
std::optional<QString> parameterMessage(const QString& address, const QString& data);

} // namespace RawMessage

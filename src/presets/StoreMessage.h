#pragma once

#include <QString>

class ParameterModel;

// The store-settings message: command 03 and the ten assignable values, each
// as eight upper-case hexadecimal digits, most significant first (41 bytes).
// The pedal keeps them apart from its presets, across updates.
namespace StoreMessage {

constexpr int kBytes = 41;

QString text(const ParameterModel& model);

} // namespace StoreMessage

#pragma once

#include <QString>

#include <optional>

namespace common {

// Modal boxes with a single "OK" button that is both default and escape button. Lines
// in `text` are separated by a single carriage return. Centred on the primary screen;
// with `top` given, only centred horizontally and placed with its top edge there.
void showInformationBox(const QString &text, std::optional<int> top = std::nullopt);
// Caption: the application title, no icon.
void showPlainBox(const QString &text);
// The box an unhandled error in an event handler ends in: the message with a full stop.
void showErrorBox(const QString &message);

} // namespace common

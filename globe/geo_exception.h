#pragma once

#include <stdexcept>
#include <string>

#include <QString>

namespace zimbalo::globe {

/// The one error type of the globe component; what() carries the message text.
class GeoException : public std::runtime_error {
public:
    explicit GeoException(const std::string& message) : std::runtime_error(message) {}

    explicit GeoException(const QString& message) : std::runtime_error(message.toStdString()) {}

    /// The message as a QString (UTF-8 decoded).
    QString Message() const { return QString::fromUtf8(what()); }
};

}  // namespace zimbalo::globe

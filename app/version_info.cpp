#include "app/version_info.h"

namespace zimbalo::app {

QString FileVersion() {
    return QStringLiteral(ZIMBALO_VERSION);
}

}  // namespace zimbalo::app

#pragma once

#include <QString>

namespace zimbalo::app {

/// `object` with its objectName set to `name` (the name tests and the caption sets find it by).
template <typename T>
T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

/// The layout of a group box of the left column, with the margins all of them share.
template <typename Layout>
Layout* groupLayout(QWidget* box) {
    auto* l = new Layout(box);
    l->setContentsMargins(4, 0, 4, 2);
    return l;
}

}  // namespace zimbalo::app

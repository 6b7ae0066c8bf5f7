#include "menu/NameValidator.h"

#include "menu/Cp1252.h"

namespace menu {

QValidator::State NameValidator::validate(QString& input, int& /*position*/) const {
    for (const QChar c : input) {
        // Every character of the code page lies in the Basic Multilingual
        // Plane, so half of a surrogate pair is never one of them.
        if (c.isSurrogate() || !Cp1252CanEncode(c.unicode())) {
            return Invalid;
        }
    }
    return Acceptable;
}

}  // namespace menu

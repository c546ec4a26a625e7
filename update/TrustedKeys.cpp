#include "update/TrustedKeys.h"

namespace update {

const QList<MinisignKey>& trustedKeys()
{
    static const QList<MinisignKey> keys = [] {
        QList<MinisignKey> parsed;
        // The build checks the form of every key and a unit test that each one parses, so none is dropped here.
        for (const QByteArray& text : trustedKeyTexts()) {
            if (const auto key = parseMinisignKey(text))
                parsed.append(*key);
        }
        return parsed;
    }();
    return keys;
}

} // namespace update

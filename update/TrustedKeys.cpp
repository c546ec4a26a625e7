#include "update/TrustedKeys.h"

namespace update {

const QList<MinisignKey>& trustedKeys()
{
    static const QList<MinisignKey> keys = [] {
        QList<MinisignKey> parsed;
        // The build checks the form of every key, so a line that does not parse cannot occur here.
        for (const QByteArray& text : trustedKeyTexts()) {
            if (const auto key = parseMinisignKey(text))
                parsed.append(*key);
        }
        return parsed;
    }();
    return keys;
}

} // namespace update

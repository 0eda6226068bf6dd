#include "platform/qtkit/text.h"

#include "platform/runtime/cp874.h"

namespace mp {

QString qs(std::string_view cp874) {
    QString out;
    out.reserve(static_cast<int>(cp874.size()));
    for (unsigned char byte : cp874) out.append(QChar(static_cast<char16_t>(cp874ToUnicode(byte))));
    return out;
}

std::string cp(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    return utf8ToCp874(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

}  // namespace mp

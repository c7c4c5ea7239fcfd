#include "paint/GuiText.h"

#include <QFile>
#include <QStringDecoder>

QString ToQString(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), qsizetype(text.size())));
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::string ToCoreText(const QString& text) {
    return text.toUtf8().toStdString();
}

std::string ToCorePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromCorePath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

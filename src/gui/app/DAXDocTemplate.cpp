#include "app/DAXDocTemplate.h"

#include "paint/GuiText.h"
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"

#include <QFile>

#include <cstring>
#include <exception>

namespace {

QString Failed(const QString& reason) {
    const QString prefix = QString::fromUtf8(Strings::kFailedToOpen);
    if (reason.startsWith(prefix))
        return reason;
    return reason.isEmpty() ? prefix : prefix + " " + reason;
}

} // namespace

std::unique_ptr<CDAXDoc> CDAXDocTemplate::NewDocument(int applicationUnit) {
    return std::make_unique<CDAXDoc>(applicationUnit);
}

bool CDAXDocTemplate::StartsWithTag(const QString& path, QString& reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QString("%1 cannot be read: %2.").arg(path, file.errorString());
        return false;
    }
    const QByteArray head = file.read(qint64(std::strlen(kProjectTag)));
    const std::vector<std::uint8_t> bytes(head.begin(), head.end());
    if (ProjectFile::HasTag(bytes))
        return true;
    reason = QString("%1 is not a project file: it does not start with \"%2\".")
                 .arg(path, QString::fromLatin1(kProjectTag));
    return false;
}

CDAXDocTemplate::COpenResult CDAXDocTemplate::OpenDocumentFile(const QString& path,
                                                               bool anotherProjectOpen,
                                                               int applicationUnit) {
    COpenResult result;
    QString reason;
    if (anotherProjectOpen && !StartsWithTag(path, reason)) {
        result.error = Failed(reason);
        return result;
    }
    try {
        auto document = std::make_unique<CDAXDoc>(applicationUnit);
        std::string error, notice;
        if (!ProjectFile::Open(ToCorePath(path), *document, error, &notice)) {
            result.error = Failed(ToQString(error));
            return result;
        }
        result.notice = ToQString(notice);
        result.document = std::move(document);
    } catch (const std::bad_alloc&) {
        result.error = Failed("Not enough memory to read " + path + ".");
    } catch (const std::exception& e) {
        result.error = Failed(QString::fromUtf8(e.what()));
    }
    return result;
}

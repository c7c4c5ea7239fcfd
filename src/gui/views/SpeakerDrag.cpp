#include "views/SpeakerDrag.h"

CSpeakerDragData::CSpeakerDragData(CDAXDoc& document, int modelIndex) : m_document(&document) {
    setData(kSpeakerMimeType, QByteArray::number(modelIndex));
}

CDAXDoc* SpeakerDragDocument(const QMimeData* data) {
    const auto* drag = qobject_cast<const CSpeakerDragData*>(data);
    return drag && drag->hasFormat(kSpeakerMimeType) ? drag->Document() : nullptr;
}

int SpeakerDragIndex(const QMimeData* data) {
    if (!data || !data->hasFormat(kSpeakerMimeType))
        return -1;
    bool ok = false;
    const int index = data->data(kSpeakerMimeType).toInt(&ok);
    return ok && index >= 0 ? index : -1;
}

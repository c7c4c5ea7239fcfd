#pragma once

#include <QMimeData>

class CDAXDoc;

// A speaker dragged from the speaker data list: the model's index as decimal text under our own
// MIME type, and, for views of this program, the project it comes from, so a view of another
// project can refuse it.
inline constexpr char kSpeakerMimeType[] = "application/x-daxara-speaker";

class CSpeakerDragData : public QMimeData {
    Q_OBJECT
public:
    CSpeakerDragData(CDAXDoc& document, int modelIndex);
    CDAXDoc* Document() const { return m_document; }

private:
    CDAXDoc* m_document;
};

// The project of a speaker drag, or nullptr when the data is not a speaker drag of this program.
CDAXDoc* SpeakerDragDocument(const QMimeData* data);
// The dragged model's index, or -1.
int SpeakerDragIndex(const QMimeData* data);

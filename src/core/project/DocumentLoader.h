#pragma once

#include "project/DAXDoc.h"

// Fills a document the way a project file does, before anyone works with it: the file reader
// takes a fresh document through it, and test scenes are set up with it. It tells no view,
// records no undo step and leaves the modified flag alone, so the document's own flows and the
// front ends never use it; they change the project through CDAXDoc's operations.
class CDocumentLoader {
public:
    explicit CDocumentLoader(CDAXDoc& doc) : m_doc(doc) {}

    const CProjectSettings& Settings() const { return m_doc.Settings(); }
    // The settings as the file holds them; the models follow their length unit.
    void ReplaceSettings(CProjectSettings settings) { m_doc.ReplaceSettings(std::move(settings)); }
    CSpeakerModelContainer& Models() { return m_doc.m_models; }
    CInstallationContainer& Room() { return m_doc.m_room; }
    CColorMapConditionList& Conditions() { return m_doc.m_conditions; }
    CSoundGraphConditionList& Graphs() { return m_doc.m_graphs; }
    // The version of the file being read, while it is read.
    void SetFileVersion(std::uint32_t version) { m_doc.m_fileVersion = version; }
    void SetLegacyFormat(bool legacy) { m_doc.m_legacyFormat = legacy; }

private:
    CDAXDoc& m_doc;
};

#pragma once

#include <QString>

#include <memory>

class CDAXDoc;

// Makes project documents: new ones in the application's unit, and opened ones from files. When
// another project is already open, a file that does not start with the project tag is refused
// before anything is created, so the open projects stay exactly as they were.
class CDAXDocTemplate {
public:
    struct COpenResult {
        std::unique_ptr<CDAXDoc> document; // null when the file could not be opened
        QString error;                     // "Failed to open document." and the reason
        QString notice;                    // "Not available file." for an unknown version
    };

    static std::unique_ptr<CDAXDoc> NewDocument(int applicationUnit);
    static COpenResult OpenDocumentFile(const QString& path, bool anotherProjectOpen,
                                        int applicationUnit);
    // True when the file's first bytes are the project tag; otherwise `reason` says why not.
    static bool StartsWithTag(const QString& path, QString& reason);
};

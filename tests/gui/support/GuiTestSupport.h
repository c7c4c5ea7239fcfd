#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A temporary folder of one test function: removed afterwards, never shared between tests or
// between test programs running at the same time.
class CGuiTestDir {
public:
    CGuiTestDir();
    bool IsValid() const { return m_dir->isValid(); }
    QString Path() const { return m_dir->path(); }
    QString FilePath(const QString& name) const { return m_dir->filePath(name); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

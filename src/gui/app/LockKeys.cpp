#include "app/LockKeys.h"

#include <QDir>
#include <QFile>

namespace {

bool Lit(const QString& ledPath) {
    QFile file(ledPath + "/brightness");
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.readLine().trimmed().toInt() > 0;
}

} // namespace

CLockKeys ReadLockKeys(const QString& ledFolder) {
    CLockKeys keys;
    const QDir folder(ledFolder);
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        bool* lock = nullptr;
        if (name.endsWith("::capslock"))
            lock = &keys.caps;
        else if (name.endsWith("::numlock"))
            lock = &keys.num;
        else if (name.endsWith("::scrolllock"))
            lock = &keys.scroll;
        if (lock && !*lock)
            *lock = Lit(folder.filePath(name));
    }
    return keys;
}

#include "app/InterimDialogs.h"

#include "paint/GuiText.h"
#include "project/forms/InitialSettingsForm.h"

#include <QInputDialog>

bool CInterimDialogPort::RunInitialSettings(CInitialSettingsForm& form) {
    QStringList units;
    for (const std::string& item : form.UnitCombo().items)
        units << ToQString(item);
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(m_parent, ToQString(form.Title()), ToQString(form.UnitsLabel()),
                              units, form.UnitCombo().selection, false, &ok);
    if (!ok)
        return false;
    form.SelectUnit(int(units.indexOf(chosen)));
    return true;
}

#include "dialogs/ListeningPointsDialog.h"

#include "common/FormatSignificant.h"
#include "paint/GuiText.h"
#include "project/ColorMapLayout.h"
#include "project/DAXDoc.h"
#include "project/ListeningPoints.h"
#include "project/Strings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString PointText(const CListeningPoint& p, int unit) {
    return ToQString(p.name + "  (" + FormatSignificant(p.position.x, 4) + ", " +
                     FormatSignificant(p.position.y, 4) + ", " +
                     FormatSignificant(p.position.z, 4) + " " + UnitText(unit) + ")");
}
} // namespace

CListeningPointsDialog::CListeningPointsDialog(CDAXDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_list(new QListWidget(this)) {
    setObjectName("listeningPoints");
    setWindowTitle("Listening Points");
    m_list->setObjectName("pointList");
    auto* rename = new QPushButton("&Rename...", this);
    auto* remove = new QPushButton("Re&move", this);
    rename->setObjectName("rename");
    remove->setObjectName("remove");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(rename, &QPushButton::clicked, this, [this] {
        const QString old = SelectedName();
        if (old.isEmpty())
            return;
        bool ok = false;
        const QString name = QInputDialog::getText(this, "Rename Listening Point", "Name:",
                                                   QLineEdit::Normal, old, &ok);
        if (ok)
            RenameSelected(name.trimmed());
    });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    auto* side = new QVBoxLayout;
    side->addWidget(rename);
    side->addWidget(remove);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_list);
    row->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    resize(480, 320);
    Refill();
}

void CListeningPointsDialog::Refill() {
    const int row = m_list->currentRow();
    m_list->clear();
    for (const CListeningPoint& p : m_doc.Settings().listeningPoints)
        m_list->addItem(PointText(p, m_doc.Settings().lengthUnit));
    m_list->setCurrentRow(std::min(std::max(row, 0), m_list->count() - 1));
}

QString CListeningPointsDialog::SelectedName() const {
    const int row = m_list->currentRow();
    const auto& points = m_doc.Settings().listeningPoints;
    return row >= 0 && row < static_cast<int>(points.size())
               ? ToQString(points[static_cast<std::size_t>(row)].name)
               : QString();
}

void CListeningPointsDialog::Refuse(const QString& text) {
    QMessageBox::warning(this, windowTitle(), text);
}

bool CListeningPointsDialog::RenameSelected(const QString& name) {
    const QString old = SelectedName();
    if (old.isEmpty())
        return false;
    const EPointEdit result = RenameListeningPoint(m_doc, ToCoreText(old), ToCoreText(name));
    Refill();
    if (result != EPointEdit::Done)
        Refuse(ToQString(PointEditText(result, ToCoreText(name))));
    return result == EPointEdit::Done;
}

bool CListeningPointsDialog::RemoveSelected() {
    const QString old = SelectedName();
    if (old.isEmpty())
        return false;
    const bool done = RemoveListeningPoint(m_doc, ToCoreText(old)) == EPointEdit::Done;
    Refill();
    return done;
}

bool MarkListeningPoint(QWidget* parent, CDAXDoc& doc, double x, double y, double z) {
    bool ok = false;
    const QString name =
        QInputDialog::getText(parent, "Mark Listening Point",
                              QString("Name of the point at (%1, %2, %3):")
                                  .arg(ToQString(FormatSignificant(x, 4)),
                                       ToQString(FormatSignificant(y, 4)),
                                       ToQString(FormatSignificant(z, 4))),
                              QLineEdit::Normal, ToQString(NextPointName(doc)), &ok)
            .trimmed();
    if (!ok)
        return false;
    const EPointEdit result = AddListeningPoint(doc, ToCoreText(name), {x, y, z});
    if (result != EPointEdit::Done)
        QMessageBox::warning(parent, "Mark Listening Point",
                             ToQString(PointEditText(result, ToCoreText(name))));
    return result == EPointEdit::Done;
}

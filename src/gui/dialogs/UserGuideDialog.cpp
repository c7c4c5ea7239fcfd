#include "dialogs/UserGuideDialog.h"

#include "paint/GuiText.h"
#include "project/MenuLayout.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QScreen>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

CUserGuideDialog::CUserGuideDialog(QWidget* parent)
    : QDialog(parent), m_browser(new QTextBrowser(this)) {
    setObjectName("userGuide");
    setWindowTitle("Daxara User Guide");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_browser->setOpenExternalLinks(false);
    QFile guide(QStringLiteral(":/docs/user-guide.md"));
    if (guide.open(QIODevice::ReadOnly))
        m_browser->setMarkdown(QString::fromUtf8(guide.readAll()));
    else
        m_browser->setPlainText("The user guide is missing from this build.");
    if (const QScreen* screen = parent ? parent->screen() : nullptr)
        resize(screen->availableGeometry().size() * 3 / 5);
    else
        resize(900, 700);
}

CShortcutsDialog::CShortcutsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("keyboardShortcuts");
    setWindowTitle("Daxara Keyboard Shortcuts");
    const std::vector<CShortcut> shortcuts = KeyboardShortcuts();
    auto* table = new QTableWidget(static_cast<int>(shortcuts.size()), 2, this);
    table->setObjectName("shortcutTable");
    table->setHorizontalHeaderLabels({"Keys", "Command"});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < static_cast<int>(shortcuts.size()); ++i) {
        table->setItem(i, 0, new QTableWidgetItem(ToQString(shortcuts[static_cast<std::size_t>(i)].keys)));
        table->setItem(i, 1, new QTableWidgetItem(ToQString(shortcuts[static_cast<std::size_t>(i)].what)));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(520, 560);
}

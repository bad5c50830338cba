#include "SessionsDialog.h"

#include "CellStore.h"
#include "Clock.h"
#include "Prompts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

SessionsDialog::SessionsDialog(CellStore& store, Prompts& prompts, const Clock& clock,
                               qint64 current, QWidget* parent)
    : QDialog(parent), m_store(store), m_prompts(prompts), m_clock(clock), m_current(current)
{
    setObjectName(QStringLiteral("Sessions"));
    setWindowTitle(QStringLiteral("Sessions"));
    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("GridSessions"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Session"), QStringLiteral("Started"), QStringLiteral("Cells")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &SessionsDialog::openSelected);

    auto* buttons = new QDialogButtonBox(this);
    const auto add = [&](const QString& text, const QString& name, void (SessionsDialog::*run)()) {
        QPushButton* b = buttons->addButton(text, QDialogButtonBox::ActionRole);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, run);
        return b;
    };
    add(QStringLiteral("Open"), QStringLiteral("CmdOpen"), &SessionsDialog::openSelected)
        ->setDefault(true);
    add(QStringLiteral("New..."), QStringLiteral("CmdNew"), &SessionsDialog::newSession);
    add(QStringLiteral("Rename..."), QStringLiteral("CmdRename"), &SessionsDialog::renameSelected);
    add(QStringLiteral("Delete..."), QStringLiteral("CmdDelete"), &SessionsDialog::deleteSelected);
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(560, 360);
    fill(current);
}

void SessionsDialog::fill(qint64 select)
{
    const auto sessions = m_store.sessions();
    m_table->setRowCount(0);
    if (!sessions) {
        tell(m_store.error());
        return;
    }
    m_table->setRowCount(int(sessions->size()));
    for (int r = 0; r < sessions->size(); ++r) {
        const GradeSession& s = (*sessions)[r];
        auto* name = new QTableWidgetItem(s.name);
        name->setData(Qt::UserRole, s.key);
        m_table->setItem(r, 0, name);
        m_table->setItem(
            r, 1, new QTableWidgetItem(s.created.toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
        m_table->setItem(r, 2, new QTableWidgetItem(QString::number(s.cellCount)));
        if (s.key == select)
            m_table->selectRow(r);
    }
    m_table->resizeColumnsToContents();
}

qint64 SessionsDialog::selectedKey() const
{
    const QList<QTableWidgetItem*> items = m_table->selectedItems();
    return items.isEmpty()
               ? 0
               : m_table->item(items.first()->row(), 0)->data(Qt::UserRole).toLongLong();
}

void SessionsDialog::tell(const QString& text)
{
    m_prompts.message(text, Prompts::Icon::Critical, windowTitle());
}

void SessionsDialog::openSelected()
{
    if ((m_chosen = selectedKey()) != 0)
        accept();
}

void SessionsDialog::newSession()
{
    GradeSession s;
    s.created = m_clock.now();
    s.name = m_prompts.input(
        QStringLiteral("Name of the new session:"), windowTitle(),
        QStringLiteral("Session %1").arg(s.created.toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
    if (s.name.trimmed().isEmpty())
        return;
    s.name = s.name.trimmed();
    if (!m_store.createSession(s)) {
        tell(m_store.error());
        return;
    }
    m_chosen = s.key;
    accept();
}

void SessionsDialog::renameSelected()
{
    const qint64 key = selectedKey();
    const auto session = key ? m_store.session(key) : std::nullopt;
    if (!session)
        return;
    const QString name =
        m_prompts.input(QStringLiteral("New name of the session:"), windowTitle(), session->name)
            .trimmed();
    if (name.isEmpty() || name == session->name)
        return;
    if (!m_store.renameSession(key, name))
        tell(m_store.error());
    fill(key);
}

void SessionsDialog::deleteSelected()
{
    const qint64 key = selectedKey();
    const auto session = key ? m_store.session(key) : std::nullopt;
    if (!session)
        return;
    if (key == m_current) {
        tell(QStringLiteral("The session open in the window cannot be deleted; open another "
                            "one first."));
        return;
    }
    if (!m_prompts.confirm(QStringLiteral("Session \"%1\" and its %2 cells will be deleted!")
                               .arg(session->name)
                               .arg(session->cellCount),
                           Prompts::Icon::Exclamation, windowTitle(),
                           Prompts::DefaultButton::Cancel))
        return;
    if (!m_store.deleteSession(key))
        tell(m_store.error());
    fill(m_current);
}

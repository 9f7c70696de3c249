#include "ColumnChooserButton.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QTableView>

ColumnChooserButton::ColumnChooserButton(QTableView* grid, ColumnChooser::Texts texts)
    : QToolButton(grid)
    , m_grid(grid)
    , m_texts(texts)
{
    setObjectName(grid->objectName() + QStringLiteral("Kolonlar"));
    setArrowType(Qt::DownArrow);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(ColumnChooser::caption(texts));
    connect(this, &QToolButton::clicked, this, &ColumnChooserButton::openChooser);
    if (QAbstractItemModel* model = grid->model()) {
        // Connected after the header's own handlers, so the header is rebuilt before columns hide.
        connect(model, &QAbstractItemModel::modelReset, this, &ColumnChooserButton::applyHidden);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ColumnChooserButton::applyHidden);
        connect(model, &QAbstractItemModel::columnsInserted, this, &ColumnChooserButton::applyHidden);
    }
    connect(grid->horizontalHeader(), &QHeaderView::geometriesChanged, this, &ColumnChooserButton::place);
    connect(grid->verticalHeader(), &QHeaderView::geometriesChanged, this, &ColumnChooserButton::place);
    grid->installEventFilter(this);
    place();
    raise();
}

ColumnChooserButton::~ColumnChooserButton() = default;

QTableView* ColumnChooserButton::grid() const
{
    return m_grid;
}

ColumnChooser::Texts ColumnChooserButton::texts() const
{
    return m_texts;
}

QStringList ColumnChooserButton::columnTitles() const
{
    QStringList titles;
    const QAbstractItemModel* model = m_grid->model();
    if (!model)
        return titles;
    for (int column = 0; column < model->columnCount(); ++column)
        titles.append(model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    return titles;
}

QStringList ColumnChooserButton::hiddenTitles() const
{
    return m_hidden;
}

void ColumnChooserButton::setHiddenTitles(const QStringList& titles)
{
    m_hidden = titles;
    applyHidden();
}

ColumnChooser* ColumnChooserButton::openChooser()
{
    if (m_chooser) {
        m_chooser->raise();
        return m_chooser;
    }
    m_chooser = new ColumnChooser(this, m_texts, m_grid->window());
    m_chooser->setAttribute(Qt::WA_DeleteOnClose);
    m_chooser->open();
    return m_chooser;
}

ColumnChooser* ColumnChooserButton::chooser() const
{
    return m_chooser;
}

bool ColumnChooserButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        place();
    return QToolButton::eventFilter(watched, event);
}

void ColumnChooserButton::applyHidden()
{
    const QStringList titles = columnTitles();
    // Never hide every column, whatever the remembered list says.
    bool anyShown = false;
    for (const QString& title : titles)
        anyShown = anyShown || !m_hidden.contains(title);
    for (int column = 0; column < titles.size(); ++column)
        m_grid->setColumnHidden(column, anyShown && m_hidden.contains(titles.at(column)));
}

void ColumnChooserButton::place()
{
    const int frame = m_grid->frameWidth();
    const int height = qMax(m_grid->horizontalHeader()->height(), 16);
    const int width = m_grid->verticalHeader()->isVisible() ? qMax(m_grid->verticalHeader()->width(), 16) : 16;
    setGeometry(frame, frame, width, height);
    raise();
}

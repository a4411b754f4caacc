// The watch window.
#include "Watch/WatchForm.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvo::ui {

TWatchForm::TWatchForm(TSoftAG& softAG, IProjectPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), FSoftAG(softAG), FPrompts(prompts),
      FModel(softAG) {
    FormCreate();
    FModel.OnChanged = [this] { Refresh(); };
    FSoftAG.AddConnector(&FModel);
    Refresh();
}

TWatchForm::~TWatchForm() {
    FModel.OnChanged = nullptr;
    FSoftAG.RemoveConnector(&FModel);
}

void TWatchForm::FormCreate() {
    setObjectName(QStringLiteral("WatchForm"));
    setWindowTitle(QStringLiteral("Watch expressions"));
    resize(421, 228);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    FWatchList = new QTableWidget(1, WATCH_COLUMNS, this);
    FWatchList->setObjectName(QStringLiteral("WatchList"));
    QStringList titles;
    for (int c = 0; c < WATCH_COLUMNS; ++c)
        titles << QString::fromUtf8(TWatchModel::ColumnTitle(c));
    FWatchList->setHorizontalHeaderLabels(titles);
    for (int c = 0; c < WATCH_COLUMNS; ++c) // the long last title may not fit its column
        FWatchList->horizontalHeaderItem(c)->setToolTip(titles[c]);
    const int widths[WATCH_COLUMNS] = {104, 104, 104, 105};
    for (int c = 0; c < WATCH_COLUMNS; ++c)
        FWatchList->setColumnWidth(c, widths[c]);
    FWatchList->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    FWatchList->verticalHeader()->hide();
    FWatchList->verticalHeader()->setDefaultSectionSize(FWatchList->fontMetrics().height() + 6);
    FWatchList->setSelectionMode(QAbstractItemView::SingleSelection);
    FWatchList->setSelectionBehavior(QAbstractItemView::SelectItems);
    FWatchList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FWatchList->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(FWatchList);

    FWatchListMenu = new QMenu(this);
    FWatchListMenu->setObjectName(QStringLiteral("WatchListMenu"));
    auto* group = new QActionGroup(FWatchListMenu);
    auto add = [&](const char* name, const char* caption, TDisplayType type) {
        QAction* a = FWatchListMenu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromUtf8(name));
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, type] { FModel.ChooseDisplayType(type); });
        return a;
    };
    FMenuDecimal = add("MenuDecimal", "Decimal", DTDEC);
    FMenuHex = add("MenuHex", "Hex", DTHEX);
    FMenuBinary = add("MenuBinary", "Binary", DTBIN);

    connect(FWatchList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex idx = FWatchList->indexAt(pos);
        const int col = idx.isValid() ? idx.column() : -1;
        const int row = idx.isValid() ? idx.row() + 1 : -1; // grid row 0 is the header
        WatchListContextPopup(col, row, FWatchList->viewport()->mapToGlobal(pos));
    });

    // Bottom right of the work area.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() + 1 - width() - 20, area.bottom() + 1 - height() - 50);
    }
}

bool TWatchForm::WatchListContextPopup(int col, int row, const QPoint& globalPos) {
    const TWatchModel::TPopup p = FModel.ContextPopup(col, row);
    if (!p.Show)
        return false;
    FMenuDecimal->setChecked(p.Checked == DTDEC);
    FMenuHex->setChecked(p.Checked == DTHEX);
    FMenuBinary->setChecked(p.Checked == DTBIN);
    FWatchListMenu->popup(globalPos);
    return true;
}

void TWatchForm::Refresh() {
    const int rows = FModel.RowCount() - 1;
    if (FWatchList->rowCount() != rows)
        FWatchList->setRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < WATCH_COLUMNS; ++c) {
            const QString text = QString::fromStdString(FModel.Cell(c, r + 1));
            QTableWidgetItem* item = FWatchList->item(r, c);
            if (!item)
                FWatchList->setItem(r, c, new QTableWidgetItem(text));
            else if (item->text() != text)
                item->setText(text);
        }
}

void TWatchForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FModel.SetVisible(true);
    Refresh();
}

void TWatchForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    FModel.SetVisible(false);
}

void TWatchForm::closeEvent(QCloseEvent* event) {
    std::string message;
    if (!FModel.QueryClose(message)) {
        event->ignore();
        FPrompts.ShowMessage(message);
        return;
    }
    event->accept(); // a tool window without WA_DeleteOnClose only hides
}

} // namespace korvo::ui

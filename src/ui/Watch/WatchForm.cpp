// The watch window.
#include "Watch/WatchForm.h"

#include "Sim_ag/ForceTarget.h"
#include "Watch/WatchForce.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
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

    FMenuForce = new QAction(QStringLiteral("Force value..."), this);
    FMenuForce->setObjectName(QStringLiteral("MenuForce"));
    connect(FMenuForce, &QAction::triggered, this, &TWatchForm::ForceClicked);
    FMenuReleaseForce = new QAction(QStringLiteral("Release force"), this);
    FMenuReleaseForce->setObjectName(QStringLiteral("MenuReleaseForce"));
    connect(FMenuReleaseForce, &QAction::triggered, this, [this] { ReleaseRow(FForceRow); });
    FMenuReleaseAllForces = new QAction(QStringLiteral("Release all forces"), this);
    FMenuReleaseAllForces->setObjectName(QStringLiteral("MenuReleaseAllForces"));
    connect(FMenuReleaseAllForces, &QAction::triggered, this, [this] { ReleaseAllForces(); });
    FWatchListMenu->addSeparator();
    FForceMenu = new QMenu(this);
    FForceMenu->setObjectName(QStringLiteral("WatchForceMenu"));
    for (QAction* a : {FMenuForce, FMenuReleaseForce, FMenuReleaseAllForces}) {
        FWatchListMenu->addAction(a);
        FForceMenu->addAction(a);
    }
    AskValue = [this](const QString& label, const QString& initial) -> std::optional<std::string> {
        bool ok = false;
        const QString text = QInputDialog::getText(this, QStringLiteral("Force value"), label,
                                                   QLineEdit::Normal, initial, &ok);
        if (!ok)
            return std::nullopt;
        return text.toStdString();
    };

    connect(FWatchList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex idx = FWatchList->indexAt(pos);
        const int col = idx.isValid() ? idx.column() : -1;
        const int row = idx.isValid() ? idx.row() + 1 : -1; // grid row 0 is the header
        const QPoint global = FWatchList->viewport()->mapToGlobal(pos);
        if (!WatchListContextPopup(col, row, global))
            ForcePopup(row, global);
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
    PrepareForceItems(row);
    FWatchListMenu->popup(globalPos);
    return true;
}

bool TWatchForm::RowTarget(int row, TForceTarget& target, std::string& error) const {
    return WatchRowForceTarget(FSoftAG, FModel, row, target, error);
}

void TWatchForm::PrepareForceItems(int row) {
    FForceRow = row;
    TForceTarget t;
    std::string error;
    const bool target = RowTarget(row, t, error);
    FMenuForce->setEnabled(target);
    FMenuReleaseForce->setEnabled(target && FSoftAG.FindForce(t.Adr, t.Bit, t.DataType));
    FMenuReleaseAllForces->setEnabled(!FSoftAG.Forces().empty());
}

bool TWatchForm::ForcePopup(int row, const QPoint& globalPos) {
    TForceTarget t;
    std::string error;
    if (!RowTarget(row, t, error) && FSoftAG.Forces().empty())
        return false;
    PrepareForceItems(row);
    FForceMenu->popup(globalPos);
    return true;
}

void TWatchForm::ForceClicked() {
    const int row = FForceRow;
    TForceTarget t;
    std::string error;
    if (!RowTarget(row, t, error) || !AskValue)
        return;
    const auto& w = FModel.CurrentList().Rows[size_t(row - 1)];
    const TSoftAG::TForce* f = FSoftAG.FindForce(t.Adr, t.Bit, t.DataType);
    const QString initial = f ? QString::number(f->Value) : QString();
    const auto text = AskValue(QStringLiteral("Value of %1 (42, 16#2A, 2#101010, TRUE, T#1s):")
                                   .arg(QString::fromStdString(w.VarName)),
                               initial);
    if (text)
        ForceRow(row, *text);
}

bool TWatchForm::ForceRow(int row, const std::string& value) {
    TForceTarget t;
    std::string error;
    int64_t v = 0;
    if (!RowTarget(row, t, error) || !ParseForceValue(t.DataType, value, v, error) ||
        !(error = FSoftAG.Force(t.Adr, t.Bit, t.DataType, v)).empty()) {
        FPrompts.ShowMessage(error);
        return false;
    }
    if (FModel.Visible())
        FModel.UpdateValues();
    Refresh();
    return true;
}

bool TWatchForm::ReleaseRow(int row) {
    TForceTarget t;
    std::string error;
    if (!RowTarget(row, t, error) || !FSoftAG.ReleaseForce(t.Adr, t.Bit, t.DataType))
        return false;
    Refresh();
    return true;
}

void TWatchForm::ReleaseAllForces() {
    FSoftAG.ReleaseAllForces();
    Refresh();
}

bool TWatchForm::RowForced(int row) const {
    return FSoftAG.AnyForced() && WatchRowForced(FSoftAG, FModel, row);
}

void TWatchForm::Refresh() {
    const int rows = FModel.RowCount() - 1;
    if (FWatchList->rowCount() != rows)
        FWatchList->setRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < WATCH_COLUMNS; ++c) {
            const QString text = QString::fromStdString(FModel.Cell(c, r + 1));
            QTableWidgetItem* item = FWatchList->item(r, c);
            if (!item) {
                item = new QTableWidgetItem(text);
                FWatchList->setItem(r, c, item);
            } else if (item->text() != text) {
                item->setText(text);
            }
        }
    // Forced rows: bold on an orange background, "Forced" as tip.
    for (int r = 0; r < rows; ++r) {
        const bool forced = RowForced(r + 1);
        for (int c = 0; c < WATCH_COLUMNS; ++c) {
            QTableWidgetItem* item = FWatchList->item(r, c);
            if (!item || item->font().bold() == forced)
                continue;
            QFont f = item->font();
            f.setBold(forced);
            item->setFont(f);
            item->setBackground(forced ? QBrush(QColor(0xFF, 0xD8, 0xA0)) : QBrush());
            item->setToolTip(forced ? QStringLiteral("Forced") : QString());
        }
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

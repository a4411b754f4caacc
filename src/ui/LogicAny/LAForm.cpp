// The logic analyzer panel.
#include "LogicAny/LAForm.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace korvo::ui {

namespace {

QColor ToQColor(TRGB c) {
    return QColor(c.R, c.G, c.B);
}
const QColor BACKGROUND = ToQColor(la_colors::Background);

// Paints primitives onto the image; lines exclude their end point. hatchShift: how far the
// picture moved left since its last full redraw, so new hatching lines up with moved hatching.
void PaintOps(QImage& image, const std::vector<TDrawOp>& ops, const QFont& font, int& hatchShift) {
    QPainter p(&image);
    p.setFont(font);
    const QFontMetrics fm(font);
    for (const TDrawOp& op : ops) {
        const QColor c = ToQColor(op.Color);
        switch (op.Kind) {
        case TDrawKind::Fill:
            if (op.X1 <= 0)
                hatchShift = 0; // a redraw from the left edge
            p.fillRect(QRect(op.X1, op.Y1, op.X2 - op.X1, op.Y2 - op.Y1), c);
            break;
        case TDrawKind::Hatch:
            p.setBrushOrigin(-hatchShift, 0);
            p.fillRect(QRect(op.X1, op.Y1, op.X2 - op.X1, op.Y2 - op.Y1), QBrush(c, Qt::BDiagPattern));
            break;
        case TDrawKind::Line: {
            const int dx = (op.X2 > op.X1) - (op.X2 < op.X1), dy = (op.Y2 > op.Y1) - (op.Y2 < op.Y1);
            if (dx == 0 && dy == 0)
                break;
            p.setPen(QPen(c, 0));
            p.drawLine(op.X1, op.Y1, op.X2 - dx, op.Y2 - dy);
            break;
        }
        case TDrawKind::Pixel:
            if (image.rect().contains(op.X1, op.Y1))
                image.setPixelColor(op.X1, op.Y1, c);
            break;
        case TDrawKind::Text:
            p.setPen(c);
            p.drawText(QPoint(op.X1, op.Y1 + fm.ascent()), QString::fromStdString(op.Text));
            break;
        case TDrawKind::Scroll: {
            p.end(); // move the pixels themselves, line by line
            const int dx = std::min(op.X1, image.width());
            const qsizetype bytes = qsizetype(image.width() - dx) * 4;
            for (int y = 0; y < image.height(); ++y) {
                uchar* line = image.scanLine(y);
                std::memmove(line, line + qsizetype(dx) * 4, size_t(bytes));
            }
            p.begin(&image);
            p.setFont(font);
            hatchShift = (hatchShift + dx) % 8; // the pattern repeats every 8 pixels
            break;
        }
        case TDrawKind::Label:
            p.setPen(c);
            p.drawText(QRect(op.X1, op.Y1, op.X2 - op.X1, op.Y2 - op.Y1), Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromStdString(op.Text));
            break;
        }
    }
}

} // namespace

class TQtTextMetrics final : public ITextMetrics {
public:
    explicit TQtTextMetrics(const QFont& font) : FMetrics(font) {}
    int TextWidth(const std::string& text) const override {
        return FMetrics.horizontalAdvance(QString::fromStdString(text));
    }
    int TextHeight(const std::string& text) const override { return text.empty() ? 0 : FMetrics.height(); }

private:
    QFontMetrics FMetrics;
};

// DrawTo: shows the off-screen image.
class TTraceBox final : public QWidget {
public:
    TTraceBox(const QImage& image, QWidget* parent) : QWidget(parent), FImage(image) {
        setObjectName(QStringLiteral("DrawTo"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), BACKGROUND);
        p.drawImage(0, 0, FImage);
    }

private:
    const QImage& FImage;
};

// pbSignalLabels: the names of the drawn rows.
class TSignalLabels final : public QWidget {
public:
    explicit TSignalLabels(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("pbSignalLabels"));
    }
    const TLogicAnalyzer* Analyzer = nullptr;

private:
    int FNoShift = 0;

public:
protected:
    void paintEvent(QPaintEvent*) override {
        QImage img(size(), QImage::Format_RGB32);
        img.fill(BACKGROUND);
        if (Analyzer)
            PaintOps(img, Analyzer->LabelOps(), font(), FNoShift);
        QPainter(this).drawImage(0, 0, img);
    }
};

TLAForm::TLAForm(TSoftAG& softAG, IProjectPrompts& prompts, QWidget* parent)
    : QWidget(parent), FSoftAG(softAG), FPrompts(prompts) {
    FormCreate();
    FMetrics = std::make_unique<TQtTextMetrics>(FLabels->font());
    FAnalyzer = std::make_unique<TLogicAnalyzer>(softAG, FMetrics.get());
    FLabels->Analyzer = FAnalyzer.get();
    FAnalyzer->OnSignalListChanged = [this] { RebuildWatchList(); };
    FAnalyzer->OnPictureChanged = [this] { PictureChanged(); };
    FSoftAG.AddConnector(FAnalyzer.get());
    ChooseExportFile = [this]() -> std::optional<std::string> {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export recording"), QString(),
            QStringLiteral("Value change dump (*.vcd);;CSV (*.csv);;All files (*)"));
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    };
    FAnalyzer->UpdateSignalList();
}

TLAForm::~TLAForm() {
    FAnalyzer->OnSignalListChanged = nullptr;
    FAnalyzer->OnPictureChanged = nullptr;
    FSoftAG.RemoveConnector(FAnalyzer.get());
}

QWidget* TLAForm::DrawTo() const {
    return FDrawTo;
}

void TLAForm::FormCreate() {
    setObjectName(QStringLiteral("LAForm"));
    setWindowTitle(QStringLiteral("Logic Analyzer"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* top = new QHBoxLayout;
    FToolBar = new QToolBar(this);
    FToolBar->setObjectName(QStringLiteral("ToolBar"));
    for (const char* caption : {"Start", "Stop", "Add", "Remove"})
        FToolBar->addAction(QString::fromUtf8(caption))->setEnabled(false);
    FToolReset = FToolBar->addAction(QStringLiteral("Clear"));
    FToolReset->setObjectName(QStringLiteral("ToolReset"));
    connect(FToolReset, &QAction::triggered, this, &TLAForm::ToolResetClick);
    FToolBar->addSeparator();
    FToolExport = FToolBar->addAction(QStringLiteral("Export..."));
    FToolExport->setObjectName(QStringLiteral("ToolExport"));
    FToolExport->setToolTip(QStringLiteral("Save the recording as VCD (waveform viewers) or CSV"));
    connect(FToolExport, &QAction::triggered, this, &TLAForm::ToolExportClick);
    top->addWidget(FToolBar);
    // Indicator lamps: red shown, green and yellow hidden; the analyzer never changes them.
    for (const char* colour : {"red", "green", "yellow"}) {
        auto* lamp = new QLabel(this);
        lamp->setFixedSize(12, 12);
        lamp->setStyleSheet(
            QStringLiteral("background:%1;border-radius:6px;").arg(QString::fromUtf8(colour)));
        lamp->setVisible(QString::fromUtf8(colour) == QStringLiteral("red"));
        top->addWidget(lamp);
    }
    top->addStretch(1);
    layout->addLayout(top);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    FWatchList = new QListWidget(splitter);
    FWatchList->setObjectName(QStringLiteral("WatchList"));
    connect(FWatchList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (FRebuilding)
            return;
        FAnalyzer->SetTicked(FWatchList->row(item), item->checkState() == Qt::Checked);
    });

    FOuterBox = new QScrollArea(splitter);
    FOuterBox->setObjectName(QStringLiteral("OuterBox"));
    FOuterBox->setWidgetResizable(true);
    FOuterBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* inner = new QWidget;
    QPalette pal = inner->palette();
    pal.setColor(QPalette::Window, BACKGROUND);
    inner->setPalette(pal);
    inner->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(inner);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    FLabels = new TSignalLabels(inner);
    row->addWidget(FLabels, 0, Qt::AlignTop);
    FScrollBox = new QScrollArea(inner);
    FScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    FScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FScrollBox->setFrameShape(QFrame::NoFrame);
    FScrollBox->setPalette(pal);
    FDrawTo = new TTraceBox(FDBBitmap, nullptr);
    FScrollBox->setWidget(FDrawTo);
    row->addWidget(FScrollBox, 1, Qt::AlignTop);
    FOuterBox->setWidget(inner);
    splitter->addWidget(FWatchList);
    splitter->addWidget(FOuterBox);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({160, 600});
    layout->addWidget(splitter, 1);
    setMinimumHeight(120);
}

void TLAForm::RebuildWatchList() {
    FRebuilding = true;
    FWatchList->clear();
    for (const TSignalEntry& e : FAnalyzer->Signals().Entries) {
        auto* item = new QListWidgetItem(QString::fromStdString(e.Name), FWatchList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(e.Ticked ? Qt::Checked : Qt::Unchecked);
    }
    FRebuilding = false;
}

void TLAForm::PictureChanged() {
    const TTraceDrawing& d = FAnalyzer->Drawing();
    const QSize size(d.BitmapWidth(), d.BitmapHeight());
    if (FDBBitmap.size() != size) {
        // The drawing continues on what is there: keep the old picture when the image grows.
        QImage grown(size, QImage::Format_RGB32);
        grown.fill(BACKGROUND);
        if (!FDBBitmap.isNull() && d.Painted() > 0) {
            QPainter p(&grown);
            p.drawImage(0, 0, FDBBitmap);
        }
        FDBBitmap = grown;
    }
    PaintOps(FDBBitmap, d.Ops(), FDrawTo->font(), FHatchShift);
    FAnalyzer->Drawing().ClearOps();

    FDrawTo->setFixedSize(FAnalyzer->DrawToWidth(), d.BitmapHeight());
    FLabels->setFixedSize(FAnalyzer->LabelColumnWidth(), d.BitmapHeight());
    FScrollBox->setFixedHeight(d.BitmapHeight() + FScrollBox->horizontalScrollBar()->sizeHint().height());
    FLabels->update();
    FDrawTo->update();
    if (FAnalyzer->TakeScrollToEnd())
        QTimer::singleShot(0, this, [this] {
            QScrollBar* bar = FScrollBox->horizontalScrollBar();
            bar->setValue(bar->maximum());
        });
}

void TLAForm::UpdateDisplay() {
    FAnalyzer->UpdateDisplay();
}

void TLAForm::ToolResetClick() {
    FAnalyzer->Clear();
}

void TLAForm::ToolExportClick() {
    if (!ChooseExportFile)
        return;
    const std::optional<std::string> path = ChooseExportFile();
    if (!path || path->empty())
        return;
    const std::string error = FAnalyzer->Export(*path, ExportFormatFor(*path));
    if (!error.empty())
        FPrompts.ShowMessage(error);
}

} // namespace korvo::ui

#include "SimForm/SimForm.h"

#include "Main/MainForm.h"
#include "Main/ProjectInterfaces.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvo::ui {

namespace {

constexpr int ToolBarHeight = 26;

TVisRect ToVisRect(const QRect& g) {
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

QColor ArgbColor(uint32_t c) {
    return QColor::fromRgba(c);
}

// The pixels of a TVisImage as a QImage, without copying.
QImage WrapImage(const TVisImage& image) {
    return QImage(reinterpret_cast<const uchar*>(image.Pixels.data()), image.Width, image.Height,
                  image.Width * 4, QImage::Format_ARGB32);
}

// Message boxes of the title scan and the picture catalogue.
class TPromptHost final : public IVisHost {
public:
    explicit TPromptHost(IProjectPrompts& prompts) : FPrompts(prompts) {}
    void ShowMessage(const std::string& Text) override { FPrompts.ShowMessage(Text); }
    void Beep() override { QApplication::beep(); }
    uint32_t GetTickCount() override { return 0; }

private:
    IProjectPrompts& FPrompts;
};

// The paint box: draws the visualization's picture.
class TPaintBox final : public QWidget {
public:
    TPaintBox(TSimulator& sim, QWidget* parent) : QWidget(parent), FSim(sim) {
        setObjectName(QStringLiteral("PaintBox"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        TQtVisCanvas canvas(p);
        FSim.Paint(canvas);
    }

private:
    TSimulator& FSim;
};

} // namespace

void TQtVisCanvas::FillRect(const TVisRect& R, uint32_t Color) {
    if (!R.IsEmpty())
        FPainter.fillRect(QRect(R.Left, R.Top, R.Width(), R.Height()), ArgbColor(Color));
}

void TQtVisCanvas::DrawFrame(const TPicStrip& Strip, int32_t Frame, int32_t X, int32_t Y) {
    if (Frame < 0 || Frame >= static_cast<int32_t>(Strip.Frames.size()))
        return;
    const TVisImage& f = Strip.Frames[static_cast<size_t>(Frame)];
    if (f.Width > 0 && f.Height > 0)
        FPainter.drawImage(QPoint(X, Y), WrapImage(f)); // alpha 0 stays transparent
}

void TQtVisCanvas::DrawImage(const TVisImage& Image, int32_t X, int32_t Y) {
    if (Image.Width <= 0 || Image.Height <= 0)
        return;
    const QPainter::CompositionMode mode = FPainter.compositionMode();
    FPainter.setCompositionMode(QPainter::CompositionMode_Source);
    FPainter.drawImage(QPoint(X, Y), WrapImage(Image));
    FPainter.setCompositionMode(mode);
}

TSimForm::TSimForm(QWidget* area, TSoftAG& softAG, IProjectPrompts& prompts)
    : QWidget(area), FSoftAG(softAG), FPrompts(prompts), FSim(*this) {
    setObjectName(QStringLiteral("Simulator"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The tool bar is the title bar: active title colours, raised edges left, top and right.
    FToolBar = new QWidget(this);
    FToolBar->setObjectName(QStringLiteral("ToolBar"));
    FToolBar->setFixedHeight(ToolBarHeight);
    FToolBar->setAutoFillBackground(true);
    FToolBar->setStyleSheet(QStringLiteral("#ToolBar { background: palette(highlight); "
                                           "border-left: 1px solid palette(light); border-top: 1px solid "
                                           "palette(light); border-right: 1px solid palette(dark); }"
                                           "#ToolBar QLabel { color: palette(highlighted-text); }"));
    FToolBar->setAttribute(Qt::WA_StyledBackground);
    auto* bar = new QHBoxLayout(FToolBar);
    bar->setContentsMargins(2, 1, 2, 1);
    bar->setSpacing(4);
    FCloseButton = new QToolButton(FToolBar);
    FCloseButton->setObjectName(QStringLiteral("CloseButton"));
    FCloseButton->setText(QStringLiteral("Close"));
    FCloseButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    FCloseButton->setStyleSheet(QStringLiteral("QToolButton { background: palette(button); color: "
                                               "palette(button-text); border: 1px solid palette(dark); "
                                               "padding: 1px 6px; }"));
    connect(FCloseButton, &QToolButton::clicked, this, &QWidget::close);
    bar->addWidget(FCloseButton);
    FCaptionLabel = new QLabel(FToolBar);
    FCaptionLabel->setObjectName(QStringLiteral("CaptionLabel"));
    FCaptionLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont bold = FCaptionLabel->font();
    bold.setBold(true);
    FCaptionLabel->setFont(bold);
    bar->addWidget(FCaptionLabel, 1);
    layout->addWidget(FToolBar);

    FPaintBoxPanel = new QWidget(this);
    FPaintBoxPanel->setObjectName(QStringLiteral("PaintBoxPanel"));
    FPaintBoxPanel->setAttribute(Qt::WA_StyledBackground);
    FPaintBoxPanel->setStyleSheet(QStringLiteral("#PaintBoxPanel { background: palette(window); "
                                                 "border: 1px solid palette(dark); }"));
    FPaintBox = new TPaintBox(FSim, FPaintBoxPanel);
    FPaintBox->move(1, 1);
    layout->addWidget(FPaintBoxPanel);

    for (QWidget* w : {FToolBar, FPaintBoxPanel, FPaintBox})
        w->installEventFilter(this);
}

TSimForm::~TSimForm() {
    FLink.reset(); // unregister before the objects go
}

bool TSimForm::SetInfoFile(const QString& fileName) {
    if (!FSim.SetInfoFile(fileName.toStdString()))
        return false;
    const QString caption = QString::fromStdString(FSim.Caption());
    setWindowTitle(caption);
    FCaptionLabel->setText(caption);
    const int w = std::max(0, FSim.PaintWidth()), h = std::max(0, FSim.PaintHeight());
    FPaintBox->setFixedSize(w, h);
    FPaintBoxPanel->setFixedSize(w + 2, h + 2);
    // TEXT objects directly in the window: labels over the picture at their positions.
    int i = 0;
    for (const auto& t : FSim.TextLabels()) {
        auto* label = new QLabel(QString::fromStdString(t.Text), FPaintBoxPanel);
        label->setObjectName(QStringLiteral("Text%1").arg(i++));
        label->setAttribute(Qt::WA_TransparentForMouseEvents); // clicks reach the picture
        label->move(FPaintBox->x() + t.Left, FPaintBox->y() + t.Top);
        label->adjustSize();
        label->show();
    }
    adjustSize();
    return true;
}

void TSimForm::Connect() {
    if (!FLink)
        FLink = std::make_unique<TVisSoftAGLink>(FSim, FSoftAG);
}

void TSimForm::Reset() {
    FSim.Reset();
    FSim.IdleAction();
}

void TSimForm::ShowMessage(const std::string& Text) {
    if (FSoftAG.FMode != MM_RUN) {
        FPrompts.ShowMessage(Text);
        return;
    }
    // Running: a modal box here would let the run timer cycle the soft PLC inside the cycle
    // (or the function) that is reporting. Shown once control is back in the event loop; the
    // same text waiting already is not queued twice.
    if (std::find(FPendingMessages.begin(), FPendingMessages.end(), Text) != FPendingMessages.end())
        return;
    FPendingMessages.push_back(Text);
    if (FPendingMessages.size() == 1)
        QTimer::singleShot(0, this, [this] {
            const std::vector<std::string> messages = std::move(FPendingMessages);
            FPendingMessages.clear();
            for (const std::string& m : messages)
                FPrompts.ShowMessage(m);
        });
}

void TSimForm::Beep() {
    QApplication::beep();
}

void TSimForm::RepaintNeeded() {
    FPaintBox->update();
}

void TSimForm::DragWindowStart(QWidget* sender, QPoint p) {
    const QPoint c = sender->mapTo(this, p);
    FSim.FDrag.Start({c.x(), c.y()});
}

void TSimForm::DragWindowMouseMove(QWidget* sender, QPoint p) {
    if (!FSim.FDrag.Dragging() || !parentWidget())
        return;
    const QPoint c = sender->mapTo(this, p);
    QWidget* area = parentWidget();
    std::vector<TVisRect> siblings;
    for (QObject* o : area->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || w->isHidden())
            continue;
        siblings.push_back(ToVisRect(w->geometry()));
    }
    if (auto pos =
            FSim.FDrag.Move({c.x(), c.y()}, ToVisRect(geometry()), area->width(), area->height(), siblings))
        move(pos->X, pos->Y);
}

bool TSimForm::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (w == FToolBar) {
            raise();
            DragWindowStart(w, p);
            return true;
        }
        if (w == FPaintBox) {
            if (!FSim.MouseDown(p.x(), p.y()))
                DragWindowStart(w, p);
            raise();
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (w == FPaintBox) {
            FSim.MouseUp(p.x(), p.y()); // ends the drag too
            return true;
        }
        if (w == FToolBar) {
            FSim.FDrag.End();
            return true;
        }
        return false;
    }
    case QEvent::MouseMove:
        DragWindowMouseMove(w, static_cast<QMouseEvent*>(event)->position().toPoint());
        return w != FPaintBoxPanel;
    default:
        return false;
    }
}

void TSimForm::closeEvent(QCloseEvent* event) {
    FLink.reset(); // no more notifications once closed
    FSim.FDrag.End();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Main window side

QList<TSimForm*> OpenVisualizations(TMainForm& mainForm) {
    QList<TSimForm*> list;
    if (QWidget* area = mainForm.SimulatorsPanel())
        for (QObject* o : area->children())
            if (auto* s = qobject_cast<TSimForm*>(o); s && !s->isHidden())
                list.push_back(s);
    return list;
}

TSimForm* OpenSAG(TMainForm& mainForm, const QString& fileName) {
    auto* form = new TSimForm(mainForm.SimulatorsPanel(), mainForm.SoftAG(), mainForm.Prompts());
    if (!form->SetInfoFile(fileName)) {
        delete form; // nothing registered yet
        return nullptr;
    }
    form->SetProject(&mainForm.Project());
    form->Connect();
    form->move(10, 10);
    form->show();
    form->raise();
    form->IdleAction();
    return form;
}

void SetupVisualizations(TMainForm& mainForm) {
    const std::string dataDir = FindVisDataDir();
    TPromptHost host(mainForm.Prompts());
    mainForm.SimFiles.clear();
    for (QMenu* menu : {mainForm.SimPopupMenu(), mainForm.MenuExecuteProcesses()})
        if (menu)
            menu->clear();
    for (const std::string& f : CollectSimFiles(dataDir))
        mainForm.SimFiles.push_back(QString::fromStdString(f));
    TMainForm* main = &mainForm;
    for (qsizetype x = 0; x < mainForm.SimFiles.size(); ++x) {
        QString caption = QString::fromStdString(ReadSDFTitle(mainForm.SimFiles[x].toStdString(), &host));
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        for (QMenu* menu : {mainForm.SimPopupMenu(), mainForm.MenuExecuteProcesses()}) {
            if (!menu)
                continue;
            QAction* a = menu->addAction(caption);
            a->setData(static_cast<int>(x));
            QObject::connect(a, &QAction::triggered, main, [main, a] {
                const int tag = a->data().toInt();
                if (tag >= 0 && tag < main->SimFiles.size())
                    OpenSAG(*main, main->SimFiles[tag]);
            });
        }
    }

    TPictureLoadHooks hooks = ErrorLogHooks();
    hooks.ProcessMessages = [] { QApplication::processEvents(); };
    IProjectPrompts* prompts = &mainForm.Prompts();
    hooks.ShowError = [prompts](const std::string& text, int) { prompts->ShowMessage(text); };
    PictureLibrary().Load(dataDir, hooks);

    mainForm.ResetVisualizations = [main] {
        for (TSimForm* s : OpenVisualizations(*main))
            s->Reset();
    };
}

} // namespace korvo::ui

#include "ui/shell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <algorithm>

#include "ui/canvas_widget.h"
#include "ui/image_jobs.h"
#include "ui/prompts.h"
#include "ui/failure_report.h"
#include "ui/shutdown.h"
#include "ui/source_position.h"
#include "ui/status_fields.h"
#include "ui/file_commands.h"
#include "ui/options_window.h"
#include "ui/raceline_overlay.h"
#include "core/track/editor.h"

namespace velmora {
namespace {

const QColor kWindowColour(31, 121, 168);

// A top-level window whose close box is the program's to handle.
template <class Base>
class OwnCloseWindow : public Base {
public:
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        if (onClose)
            onClose();
    }
};

// Title bar with system menu and close box; no minimise, maximise or sizing.
constexpr Qt::WindowFlags kFixedFrame = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Qt creates nothing that can come back empty, but a check stays where a
// creation could fail, so the report names the step that did.
template <class T>
T* Checked(T* made, const char* what, int position)
{
    if (!made)
        ReportFatal(ReportText(what, "", position));
    return made;
}

void PaintBackground(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, kWindowColour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

bool IsPassEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::HoverMove:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::Shortcut:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

}  // namespace

Shell::Shell(Workspace workspace, QSize display) : ws(std::move(workspace))
{
    ws.prefs = ws.settings; // what the window starts with is what the user prefers
    shutdown = [] { EndRun(); };
    BuildMainWindow(display);
    prompts = MakeDialogPrompts(mainWindow.get());
    BuildAddTextWindow();
    optionsWindow = std::make_unique<OptionsWindow>(ws.settings);
    Checked(optionsWindow.get(), "could not open window", 222);
    imageJobs = std::make_unique<ImageJobs>(ws, [this] { ShowState(); });
    ws.imageJobs = imageJobs.get();
    raceline = std::make_unique<RacelineOverlay>([this] { canvas->update(); });
    canvas->overlay = [this](QPainter& painter, const QRect&) { raceline->Paint(painter, VisibleCanvas()); };
    // The label and the legend keep their place in the view: scrolled, the
    // whole view is drawn again rather than the pixels moved with the canvas.
    for (QScrollBar* bar : {scrollArea->horizontalScrollBar(), scrollArea->verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (raceline->Shown())
                canvas->update();
        });
    ShowState();
    qApp->installEventFilter(this);
}

Shell::~Shell()
{
    qApp->removeEventFilter(this);
    if (canvas)
        canvas->overlay = nullptr; // the overlay goes before the canvas does
}

void Shell::BuildMainWindow(QSize display)
{
    auto* window = new OwnCloseWindow<QMainWindow>;
    mainWindow.reset(Checked(window, "could not open window", 125));
    window->onClose = [this] { OnMainClosed(); };
    window->setWindowFlags(kFixedFrame);
    window->setWindowTitle("Velmora");
    // A display too small for the layout still gets a usable window.
    const QSize inner(std::max(display.width() - 20, 400), std::max(display.height() - 90, 300));
    window->setFixedSize(inner);
    window->move(10, 10);

    auto* client = new QWidget;
    PaintBackground(client);
    window->setCentralWidget(client);

    scrollArea = Checked(new QScrollArea(client), "could not create scroll gadget", 130);
    scrollArea->setGeometry(10, 10, inner.width() - 20, inner.height() - 70);
    scrollArea->setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    scrollArea->setWidgetResizable(false);
    scrollArea->horizontalScrollBar()->setSingleStep(kScrollStep);
    scrollArea->verticalScrollBar()->setSingleStep(kScrollStep);

    scrollInner = new QWidget;
    ws.canvas = QImage(CanvasSide(ws.settings.CanvasWidth), CanvasSide(ws.settings.CanvasHeight),
                       QImage::Format_RGB32);
    if (ws.canvas.isNull())
        ReportFatal(ReportText("could not create canvas", "", 133));
    canvas = Checked(new CanvasWidget(ws.canvas, scrollInner), "could not create canvas", 133);
    canvas->move(kCanvasMargin, kCanvasMargin);
    canvas->onClick = [this](Qt::MouseButton b) { HandleCanvasClick(b); };
    canvas->onWheel = [this](int n) { HandleWheel(n); };
    FitCanvas();
    scrollArea->setWidget(scrollInner);

    BuildMenu();
    BuildShortcuts();
    BuildStatusBar(inner.width());
}

QAction* MenuItems::operator[](int id) const
{
    for (const auto& [itemId, action] : byId) {
        if (itemId == id)
            return action;
    }
    return nullptr;
}

void Shell::BuildMenu()
{
    QMenuBar* bar = Checked(mainWindow->menuBar(), "could not create menu", 155);
    QMenu* menu = nullptr;
    for (const MenuCommand& command : MenuCommands()) {
        if (!command.menu)
            continue;  // a shortcut
        if (!menu || menu->title() != command.menu)
            menu = bar->addMenu(command.menu);
        if (!command.run) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(command.text);
        action->setEnabled(command.enabledAtStart);
        action->setCheckable(command.checkable);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { HandleMenu(id); });
        actions.byId.emplace_back(id, action);
    }
}

void Shell::BuildShortcuts()
{
    // Bound to the main window: they do nothing while another window of the
    // program is the active one.
    for (const MenuCommand& command : MenuCommands()) {
        if (command.menu)
            continue;
        auto* shortcut = new QShortcut(QKeySequence(command.text), mainWindow.get());
        shortcut->setContext(Qt::WindowShortcut);
        const int id = command.id;
        connect(shortcut, &QShortcut::activated, this, [this, id] { HandleMenu(id); });
        shortcuts.push_back(shortcut);
    }
}

void Shell::BuildStatusBar(int width)
{
    QStatusBar* bar =
        Checked(MakeStatusBar({120, width - 320, 200}, statusFields), "could not create status bar", 186);
    mainWindow->setStatusBar(bar);
}

void Shell::BuildAddTextWindow()
{
    auto* window = new OwnCloseWindow<QWidget>;
    addTextWindow.reset(Checked(window, "could not open window", 201));
    window->onClose = [this] { OnAddTextClosed(); };
    window->setWindowFlags(kFixedFrame | Qt::WindowStaysOnTopHint);
    // The blanks put "size" in the title bar above the spinner.
    window->setWindowTitle("Add Text" + QString(56, ' ') + "size");
    window->move(50, 50);
    window->setFixedSize(380, 55);
    PaintBackground(window);

    addTextField = Checked(new QLineEdit(window), "could not create string gadget", 206);
    addTextField->setGeometry(10, 10, 300, 25);
    addTextSize = Checked(new QSpinBox(window), "could not create spinner", 209);
    addTextSize->setGeometry(320, 2, 46, 43);
    addTextSize->setRange(1, 3);
    addTextSize->setValue(2);
    // The arrows change the size; the number itself cannot be typed over.
    if (auto* number = addTextSize->findChild<QLineEdit*>())
        number->setReadOnly(true);
}

void Shell::Show()
{
    mainWindow->show();
    AfterEvent();
}

void Shell::FitCanvas()
{
    // The margin goes round all four sides, so every canvas pixel can be
    // scrolled into view.
    canvas->setFixedSize(ws.canvas.size());
    scrollInner->setFixedSize(ws.canvas.size() + QSize(2 * kCanvasMargin, 2 * kCanvasMargin));
}

QRect Shell::VisibleCanvas() const
{
    const QWidget* view = scrollArea->viewport();
    return QRect(canvas->mapFrom(view, QPoint(0, 0)), view->size()) & canvas->rect();
}

void Shell::ShowRaceline(bool shown)
{
    raceline->SetShown(shown, ws);
}

void Shell::HandleMenu(int id)
{
    VELMORA_HERE();
    if (ws.optionsLoopRunning)
        return;  // the Options window has the user's attention: dropped
    const MenuCommand* command = FindCommand(id);
    if (!command)
        return;
    command->run(*this, id);
    if (id == kCmdQuit)
        return;  // the window is on its way out
    AfterCommand();
}

void Shell::HandleCanvasClick(Qt::MouseButton button)
{
    VELMORA_HERE();
    if (button == Qt::LeftButton) {
        if (ws.editor.model.TextMode == 1)
            PlaceLabel();
        else
            HandleLeftClick(ws.editor, ws.settings);
    } else if (button == Qt::RightButton) {
        VELMORA_HERE();
        Undo(ws.editor, ws.settings);
    }
    AfterCommand();
}

void Shell::PlaceLabel()
{
    VELMORA_HERE();
    const QString text = addTextField->text();
    const int size = addTextSize->value();
    const QFont& font = size == 1 ? ws.assets.smallFont : size == 3 ? ws.assets.largeFont : ws.assets.mediumFont;
    const QFontMetrics metrics(font);
    PlaceText(ws.editor, ws.settings, text.toStdString(), size, metrics.horizontalAdvance(text), metrics.height());
}

void Shell::HandleWheel(int notches)
{
    VELMORA_HERE();
    QScrollBar* bar = scrollArea->verticalScrollBar();
    bar->setValue(bar->value() + kScrollStep * -notches);  // the bar keeps it in range
}

void Shell::AfterCommand()
{
    VELMORA_HERE();
    SyncCanvas(ws);
    canvas->update();
    raceline->Follow(ws); // the track may have changed
    // The pass that follows every event comes after the command, so the
    // readout and the pointer shape answer to the changed track at once,
    // not only at the next pointer move.
    AfterEvent();
    ShowState();
}

void Shell::AfterEvent()
{
    // A modal dialog of a command, like the Options window's own loop, holds
    // the program until it closes: the main window's pass waits for it.
    if (ws.optionsLoopRunning || inPass_ || QApplication::activeModalWidget())
        return;
    inPass_ = true;
    VELMORA_HERE();
    const QPoint p = QCursor::pos() - canvas->mapToGlobal(QPoint(0, 0));
    SamplePointer(ws.editor, p.x(), p.y());
    ShowReadout(ws.editor, ws.settings);
    ShowState();
    inPass_ = false;
}

void Shell::ShowState()
{
    const EditorView& view = ws.editor.view;
    actions[kCmdCloseLoop]->setEnabled(view.closeLoopEnabled);
    actions[kCmdRedo]->setEnabled(view.redoEnabled);
    actions[kCmdShowRaceline]->setChecked(raceline && raceline->Shown());
    const std::array<const std::string*, 3> texts{&view.status0, &view.status1, &view.status2};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString text = QString::fromStdString(*texts[i]);
        if (statusFields[i]->text() != text)
            statusFields[i]->setText(text);
    }
    const Qt::CursorShape shape = view.notAllowedPointer ? Qt::ForbiddenCursor : Qt::ArrowCursor;
    if (canvas->cursor().shape() != shape)
        canvas->setCursor(shape);
    const bool textMode = ws.editor.model.TextMode == 1;
    if (addTextWindow->isVisible() != textMode)
        addTextWindow->setVisible(textMode);
}

void Shell::OnAddTextClosed()
{
    VELMORA_HERE();
    if (ws.optionsLoopRunning)
        return;  // events of other windows wait for the Options window
    addTextWindow->hide();
    ws.editor.model.TextMode = 0;
    AfterEvent(); // out of text mode the pointer shape judges the turn again
    ShowState();
}

void Shell::OnMainClosed()
{
    VELMORA_HERE();
    if (ws.optionsLoopRunning)
        return;
    Quit();
}

void Shell::Quit()
{
    // An image being written is finished first, so that no export is lost
    // half-way; the window goes on answering until then.
    imageJobs->WhenIdle([this] { shutdown(); }, "finishing the image, then quitting");
}

bool Shell::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->isWidgetType() && IsPassEvent(event->type()))
        AfterEvent();
    return false;
}

}  // namespace velmora

#pragma once

#include <QObject>
#include <QSize>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ui/menu_commands.h"
#include "ui/workspace.h"

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QScrollArea;
class QShortcut;
class QSpinBox;
class QWidget;

namespace velmora {

class CanvasWidget;
class ImageJobs;
class OptionsWindow;
class RacelineOverlay;

inline constexpr int kScrollStep = 100;
inline constexpr int kCanvasMargin = 10;  // canvas offset inside the scroll area

// The menu items with their command ids. Looked up, not indexed: an id
// without an item gives nullptr.
struct MenuItems {
    std::vector<std::pair<int, QAction*>> byId;
    QAction* operator[](int id) const;
};

// Every window of the program, built once and kept for the whole run, with
// the workspace the commands act on. The main window stays hidden until
// Show(), so a start-up failure never leaves a half-built window on screen.
class Shell : public QObject {
public:
    // Builds the windows for a primary display of `display` pixels. A window
    // or control that cannot be created ends the program with a fatal report.
    Shell(Workspace workspace, QSize display);
    ~Shell() override;

    Workspace ws;
    Prompts prompts;
    // How the run ends (close box, Quit); tests put a double here.
    std::function<void()> shutdown;

    std::unique_ptr<QMainWindow> mainWindow;
    QScrollArea* scrollArea = nullptr;
    QWidget* scrollInner = nullptr;
    CanvasWidget* canvas = nullptr;
    MenuItems actions;
    std::array<QLabel*, 3> statusFields{};
    std::vector<QShortcut*> shortcuts;
    std::unique_ptr<QWidget> addTextWindow;
    QLineEdit* addTextField = nullptr;
    QSpinBox* addTextSize = nullptr;
    std::unique_ptr<OptionsWindow> optionsWindow;
    std::unique_ptr<ImageJobs> imageJobs;  // goes first: it may still report to the window
    std::unique_ptr<RacelineOverlay> raceline;  // over the canvas widget, never in the picture

    void Show();

    // A menu or shortcut command; ids outside the table do nothing.
    void HandleMenu(int id);
    // Ends the run once no picture is being written any more.
    void Quit();
    void HandleCanvasClick(Qt::MouseButton button);
    void HandleWheel(int notches);

    // The pass after every event: pointer sample, readout, and the window
    // brought in line with the editor. Stands still while Options runs.
    void AfterEvent();
    // Mirrors the editor's view (menu states, status texts, pointer shape,
    // Add Text window) into the widgets.
    void ShowState();
    // The canvas control and the scrollable area follow ws.canvas's size.
    void FitCanvas();
    // Shows or hides the race line over the canvas.
    void ShowRaceline(bool shown);
    // The window brought in line after a command changed the document: the
    // canvas repainted, the race line following the track, the readout.
    // Commands whose work ends in the background call it when it does.
    void AfterCommand();

    // The part of the canvas the scroll area shows, in canvas pixels: where
    // the race line's label and legend go.
    QRect VisibleCanvas() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMainWindow(QSize display);
    void BuildMenu();
    void BuildShortcuts();
    void BuildStatusBar(int width);
    void BuildAddTextWindow();
    void PlaceLabel();
    void OnAddTextClosed();
    void OnMainClosed();

    bool inPass_ = false;
};

}  // namespace velmora

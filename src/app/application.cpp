#include "app/application.h"

#include <QApplication>
#include <QMainWindow>

// Placeholder until the main window lands.
namespace velmora {

int RunApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Velmora");
    window.show();
    return app.exec();
}

}  // namespace velmora

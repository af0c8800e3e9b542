#pragma once

#include "core/result.h"
#include "outputs/output_table.h"
#include "ui/simulator_export_choice.h"

#include <QDialog>
#include <QString>
#include <vector>

class QCheckBox;
class QFormLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace velmora {

// One check box per output of the table, in its order, so that an output
// added to the table is offered here too, named as the editor names it with
// what it writes as its tooltip; the name of the files, the vehicle (a
// shipped profile or a vehicle file), the spacing of the sampled outputs,
// the PNG level, where the race line's heading 0 points, the height of the
// Gazebo walls and the output folder, each shown as it was last chosen. An
// option of an output without a control of its own gets a text field, read
// as the command line reads it. Numbers are read and shown with a decimal
// point whatever the locale. What is wrong shows in a line that has its room
// from the start, so the dialog keeps its size and its buttons their place.
class SimulatorExportDialog : public QDialog {
public:
    SimulatorExportDialog(const SimulatorExport& initial, const std::string& vehicle, QWidget* parent);

    // What the dialog holds, or what is wrong with it (the vehicle file is
    // read here).
    Result<SimulatorExport> Chosen() const;

    QLineEdit* name = nullptr;
    std::vector<QCheckBox*> outputs; // one per entry of Outputs(), in its order
    QComboBox* vehicle = nullptr;    // editable: a shipped name or a file's path
    QLineEdit* spacing = nullptr;    // empty: the default
    QSpinBox* pngLevel = nullptr;
    QComboBox* headingZero = nullptr; // east, north
    QLineEdit* wallHeight = nullptr;
    QLineEdit* folder = nullptr;
    QPushButton* chooseFolder = nullptr;
    QPushButton* chooseVehicle = nullptr;
    std::vector<std::pair<const OutputOption*, QLineEdit*>> otherOptions; // empty text: the option's default
    QLabel* problem = nullptr;
    QPushButton* ok = nullptr;

private:
    void AddOptions(const SimulatorExport& initial, const std::string& vehicleName, QFormLayout* form);
    void Exclude(std::size_t checked);
    void TryAccept();
};

} // namespace velmora

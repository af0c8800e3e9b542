#pragma once

#include "core/result.h"
#include "outputs/output_table.h"
#include "ui/simulator_export_choice.h"

#include <QDialog>
#include <QString>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace velmora {

// One check box per output of the table, in its order, so that an output
// added to the table is offered here too; the vehicle (a shipped profile or
// a vehicle file), the spacing of the sampled outputs, the PNG level, and
// the output folder. The options of the outputs that have no control of
// their own (--heading-zero, --wall-height, ...) get a text field each, read
// as the command line reads them. Numbers are read with a decimal point
// whatever the locale.
class SimulatorExportDialog : public QDialog {
public:
    SimulatorExportDialog(const SimulatorExport& initial, const std::string& vehicle, QWidget* parent);

    // What the dialog holds, or what is wrong with it (the vehicle file is
    // read here).
    Result<SimulatorExport> Chosen() const;

    std::vector<QCheckBox*> outputs; // one per entry of Outputs(), in its order
    QComboBox* vehicle = nullptr;    // editable: a shipped name or a file's path
    QLineEdit* spacing = nullptr;    // empty: the default
    QSpinBox* pngLevel = nullptr;
    QLineEdit* folder = nullptr;
    QPushButton* chooseFolder = nullptr;
    QPushButton* chooseVehicle = nullptr;
    std::vector<std::pair<const OutputOption*, QLineEdit*>> otherOptions; // empty text: the option's default
    QLabel* problem = nullptr;
    QPushButton* ok = nullptr;

private:
    void Exclude(std::size_t checked);
    void TryAccept();
};

} // namespace velmora

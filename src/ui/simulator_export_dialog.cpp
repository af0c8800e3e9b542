#include "ui/simulator_export_dialog.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"
#include "core/raceline/vehicle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmora {

namespace {

// The options with a control of their own in the dialog.
bool HasOwnControl(const OutputOption& option)
{
    const std::string name = option.name;
    return name == "png-level" || name == "vehicle";
}

QString BoxText(const OutputEntry& entry)
{
    return QString("--%1   %2").arg(QString::fromUtf8(entry.flag), QString::fromUtf8(entry.files));
}

QString OneLine(const char* help)
{
    return QString::fromUtf8(help).replace('\n', ' ');
}

QGroupBox* OutputBoxes(const OutputChoices& initial, std::vector<QCheckBox*>& boxes, QWidget* parent)
{
    auto* group = new QGroupBox("Outputs (NAME is the track's name)", parent);
    auto* layout = new QVBoxLayout(group);
    for (const OutputEntry* entry : Outputs()) {
        auto* box = new QCheckBox(BoxText(*entry), group);
        box->setToolTip(OneLine(entry->help));
        box->setChecked(initial.Wants(entry->flag));
        layout->addWidget(box);
        boxes.push_back(box);
    }
    return group;
}

QComboBox* VehicleBox(const std::string& vehicle, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    for (const QString& name : QString::fromStdString(KnownVehicleNames()).split(", "))
        box->addItem(name);
    box->setCurrentText(QString::fromStdString(vehicle));
    return box;
}

} // namespace

SimulatorExportDialog::SimulatorExportDialog(const SimulatorExport& initial, const std::string& vehicleName,
                                             QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("Export for Simulators");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(OutputBoxes(initial.choices, outputs, this));
    for (std::size_t i = 0; i < outputs.size(); ++i)
        connect(outputs[i], &QCheckBox::toggled, this, [this, i](bool on) {
            if (on)
                Exclude(i);
        });

    auto* form = new QFormLayout;
    vehicle = VehicleBox(vehicleName, this);
    chooseVehicle = new QPushButton("File\u2026", this);
    auto* vehicleRow = new QHBoxLayout;
    vehicleRow->addWidget(vehicle, 1);
    vehicleRow->addWidget(chooseVehicle);
    form->addRow("Vehicle", vehicleRow);
    connect(chooseVehicle, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, "Vehicle File");
        if (!file.isEmpty())
            vehicle->setCurrentText(file);
    });
    spacing = new QLineEdit(initial.choices.spacing > 0 ? QString::fromStdString(FormatShortest(initial.choices.spacing))
                                                        : QString(),
                            this);
    spacing->setPlaceholderText("the shorter of 1 m and 4 pixels");
    form->addRow("Spacing (m)", spacing);
    pngLevel = new QSpinBox(this);
    pngLevel->setRange(1, 9);
    pngLevel->setValue(initial.choices.options.pngLevel);
    pngLevel->setToolTip("zlib level of the pictures: 1 fastest, 9 smallest (as Export Image)");
    form->addRow("PNG level", pngLevel);
    for (const OutputEntry* entry : Outputs())
        for (const OutputOption& option : entry->options) {
            if (HasOwnControl(option))
                continue;
            auto* field = new QLineEdit(this);
            field->setPlaceholderText("default");
            field->setToolTip(OneLine(option.help));
            form->addRow(QString("--%1 %2").arg(option.name, option.valueName ? option.valueName : ""), field);
            otherOptions.emplace_back(&option, field);
        }
    folder = new QLineEdit(initial.folder, this);
    chooseFolder = new QPushButton("Choose\u2026", this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder, 1);
    folderRow->addWidget(chooseFolder);
    form->addRow("Output folder", folderRow);
    connect(chooseFolder, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, "Output Folder", folder->text());
        if (!chosen.isEmpty())
            folder->setText(chosen);
    });
    layout->addLayout(form);

    problem = new QLabel(this);
    problem->setWordWrap(true);
    layout->addWidget(problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText("Export");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAccept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

// Two outputs that cannot go together (PNG and BMP): the one checked last
// wins.
void SimulatorExportDialog::Exclude(std::size_t checked)
{
    const OutputEntry& entry = *Outputs()[checked];
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const OutputEntry& other = *Outputs()[i];
        const bool clash = (entry.excludes && other.flag == std::string(entry.excludes)) ||
                           (other.excludes && entry.flag == std::string(other.excludes));
        if (i != checked && clash)
            outputs[i]->setChecked(false);
    }
}

Result<SimulatorExport> SimulatorExportDialog::Chosen() const
{
    SimulatorExport chosen;
    for (std::size_t i = 0; i < outputs.size(); ++i)
        if (outputs[i]->isChecked())
            chosen.choices.outputs.insert(Outputs()[i]->flag);
    if (chosen.choices.outputs.empty())
        return Fail("nothing to write: check an output");
    if (Status combined = CheckOutputCombination(chosen.choices); !combined)
        return Fail(combined.error());
    const std::string spaced(TrimBlanks(spacing->text().toStdString()));
    if (!spaced.empty() && !ReadPositive(spaced, chosen.choices.spacing))
        return Fail("the spacing needs a number of metres greater than 0, like 0.5, not \"" + spaced + "\"");
    chosen.choices.options.pngLevel = pngLevel->value();
    Result<NamedVehicle> car = LoadVehicle(std::string(TrimBlanks(vehicle->currentText().toStdString())));
    if (!car)
        return Fail(car.error());
    chosen.choices.options.vehicle = std::move(*car);
    for (const auto& [option, field] : otherOptions) {
        const std::string text(TrimBlanks(field->text().toStdString()));
        if (text.empty())
            continue;
        if (Status read = option->read(text, chosen.choices.options); !read)
            return Fail(read.error());
    }
    chosen.folder = folder->text().trimmed();
    if (chosen.folder.isEmpty())
        return Fail("choose the folder the files go into");
    return chosen;
}

void SimulatorExportDialog::TryAccept()
{
    const Result<SimulatorExport> chosen = Chosen();
    if (!chosen) {
        problem->setText(QString::fromStdString(chosen.error()));
        return;
    }
    accept();
}

} // namespace velmora

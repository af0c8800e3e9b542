#include "ui/simulator_export_dialog.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"
#include "core/raceline/vehicle.h"
#include "ui/file_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmora {

namespace {

// Lines of room for what is wrong: the longest message (a vehicle file's
// path and why it could not be read) fits without the dialog growing.
constexpr int kProblemLines = 3;
// Characters of room for the output folder's path.
constexpr int kFolderChars = 64;

// The options with a control of their own in the dialog.
bool HasOwnControl(const OutputOption& option)
{
    const std::string name = option.name;
    return name == "png-level" || name == "vehicle" || name == "heading-zero" || name == "wall-height";
}

const OutputOption* OptionNamed(const char* name)
{
    for (const OutputEntry* entry : Outputs())
        for (const OutputOption& option : entry->options)
            if (std::string(option.name) == name)
                return &option;
    return nullptr;
}

QString OneLine(const char* help)
{
    return QString::fromUtf8(help).replace('\n', ' ');
}

QString Description(const OutputEntry& entry)
{
    return QString::fromUtf8(entry.files) + ": " + OneLine(entry.help);
}

// The check boxes in two columns, so that the dialog fits a small screen.
QGroupBox* OutputBoxes(const OutputChoices& initial, std::vector<QCheckBox*>& boxes, QWidget* parent)
{
    auto* group = new QGroupBox("Outputs", parent);
    auto* layout = new QGridLayout(group);
    const auto all = Outputs();
    const int rows = static_cast<int>((all.size() + 1) / 2);
    for (std::size_t i = 0; i < all.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(all[i]->label), group);
        box->setToolTip(Description(*all[i]));
        box->setChecked(initial.Wants(all[i]->flag));
        layout->addWidget(box, static_cast<int>(i) % rows, static_cast<int>(i) / rows);
        boxes.push_back(box);
    }
    return group;
}

// A file the user chose stays chosen; otherwise the car of the race line
// shown.
QString VehicleText(const SimulatorExport& initial, const std::string& vehicleName)
{
    const std::optional<NamedVehicle>& last = initial.choices.options.vehicle;
    if (last && !BuiltInVehicle(last->given))
        return QString::fromStdString(last->given);
    return QString::fromStdString(vehicleName);
}

QComboBox* VehicleBox(const QString& vehicle, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    for (const QString& name : QString::fromStdString(KnownVehicleNames()).split(", "))
        box->addItem(name);
    box->setCurrentText(vehicle);
    return box;
}

// A row whose field is a layout gets no buddy of its own: its mnemonic
// would show as a plain "&".
QLabel* BuddyLabel(const QString& text, QWidget* field)
{
    auto* label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

QComboBox* HeadingBox(HeadingZero initial, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItem("East (+x), as F1TENTH files", "east");
    box->addItem("North (+y), as TUM's optimiser", "north");
    box->setCurrentIndex(initial == HeadingZero::North ? 1 : 0);
    return box;
}

// The value of `field` read by the option's own reader; a failure names the
// option as the dialog does.
Status ReadField(const OutputOption& option, const QLineEdit* field, OutputOptions& options)
{
    const std::string text(TrimBlanks(field->text().toStdString()));
    if (text.empty())
        return {};
    if (Status read = option.read(text, options); !read)
        return Fail(std::string(option.label) + " " + read.error());
    return {};
}

} // namespace

SimulatorExportDialog::SimulatorExportDialog(const SimulatorExport& initial, const std::string& vehicleName,
                                             QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("Export for Simulators");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    name = new QLineEdit(initial.name, this);
    name->setPlaceholderText("the files' name: NAME.png, NAME_raceline.csv, \u2026");
    name->setToolTip("the name every file written begins with");
    top->addRow("&Name", name);
    layout->addLayout(top);
    layout->addWidget(OutputBoxes(initial.choices, outputs, this));
    for (std::size_t i = 0; i < outputs.size(); ++i)
        connect(outputs[i], &QCheckBox::toggled, this, [this, i](bool on) {
            if (on)
                Exclude(i);
        });

    auto* form = new QFormLayout;
    AddOptions(initial, vehicleName, form);
    folder = new QLineEdit(initial.folder, this);
    folder->setMinimumWidth(folder->fontMetrics().averageCharWidth() * kFolderChars);
    chooseFolder = new QPushButton("Ch&oose\u2026", this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder, 1);
    folderRow->addWidget(chooseFolder);
    form->addRow(BuddyLabel("Output &folder", folder), folderRow);
    connect(chooseFolder, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, "Output Folder", folder->text());
        if (!chosen.isEmpty())
            folder->setText(chosen);
    });
    layout->addLayout(form);

    problem = new QLabel(this);
    problem->setWordWrap(true);
    problem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    problem->setFixedHeight(problem->fontMetrics().lineSpacing() * kProblemLines);
    layout->addWidget(problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText("&Export");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAccept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Laid out once at its full size: a message never moves the buttons.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SimulatorExportDialog::AddOptions(const SimulatorExport& initial, const std::string& vehicleName,
                                       QFormLayout* form)
{
    const OutputOptions& options = initial.choices.options;
    vehicle = VehicleBox(VehicleText(initial, vehicleName), this);
    vehicle->setToolTip(OneLine(OptionNamed("vehicle")->help));
    chooseVehicle = new QPushButton("F&ile\u2026", this);
    auto* vehicleRow = new QHBoxLayout;
    vehicleRow->addWidget(vehicle, 1);
    vehicleRow->addWidget(chooseVehicle);
    form->addRow(BuddyLabel("&Vehicle", vehicle), vehicleRow);
    connect(chooseVehicle, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, "Vehicle File", FileDialogFolder(folder->text()));
        RememberFileDialogChoice(file);
        if (!file.isEmpty())
            vehicle->setCurrentText(file);
    });
    const double spaced = initial.choices.spacing;
    spacing = new QLineEdit(spaced > 0 ? QString::fromStdString(FormatShortest(spaced)) : QString(), this);
    spacing->setPlaceholderText("the shorter of 1 m and 4 pixels");
    spacing->setToolTip("metres between the rows of the centre line and the waypoints");
    form->addRow("&Spacing (m)", spacing);
    pngLevel = new QSpinBox(this);
    pngLevel->setRange(1, 9);
    pngLevel->setValue(options.pngLevel);
    pngLevel->setToolTip("zlib level of the pictures: 1 fastest, 9 smallest (as Export Image)");
    form->addRow("&PNG level", pngLevel);
    headingZero = HeadingBox(options.headingZero, this);
    headingZero->setToolTip(OneLine(OptionNamed("heading-zero")->help));
    form->addRow("Race line &heading 0", headingZero);
    wallHeight = new QLineEdit(QString::fromStdString(FormatShortest(options.wallHeight)), this);
    wallHeight->setToolTip(OneLine(OptionNamed("wall-height")->help));
    form->addRow("Gazebo &wall height (m)", wallHeight);
    for (const OutputEntry* entry : Outputs())
        for (const OutputOption& option : entry->options) {
            if (HasOwnControl(option))
                continue;
            auto* field = new QLineEdit(this);
            field->setPlaceholderText("default");
            field->setToolTip(OneLine(option.help));
            form->addRow(QString::fromUtf8(option.label), field);
            otherOptions.emplace_back(&option, field);
        }
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
    chosen.name = name->text().trimmed();
    if (chosen.name.isEmpty())
        return Fail("give the files a name");
    if (chosen.name.contains('/') || chosen.name.contains('\\') || chosen.name == "." || chosen.name == "..")
        return Fail("the name is for the files, not a folder: no / or \\ in it");
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
    OutputOptions& options = chosen.choices.options;
    options.pngLevel = pngLevel->value();
    Result<NamedVehicle> car = LoadVehicle(std::string(TrimBlanks(vehicle->currentText().toStdString())));
    if (!car)
        return Fail(car.error());
    options.vehicle = std::move(*car);
    options.headingZero = headingZero->currentData().toString() == "north" ? HeadingZero::North : HeadingZero::East;
    if (Status read = ReadField(*OptionNamed("wall-height"), wallHeight, options); !read)
        return Fail(read.error());
    for (const auto& [option, field] : otherOptions)
        if (Status read = ReadField(*option, field, options); !read)
            return Fail(read.error());
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

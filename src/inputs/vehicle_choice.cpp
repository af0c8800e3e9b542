#include "inputs/vehicle_choice.h"

#include "inputs/file_read.h"

#include <QFileInfo>

namespace velmora {

Result<NamedVehicle> LoadVehicle(const std::string& given)
{
    if (Result<Vehicle> builtIn = BuiltInVehicle(given))
        return NamedVehicle{*builtIn, given, given};
    const QString path = QString::fromStdString(given);
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes)
        return Fail(given + ": no such vehicle (" + KnownVehicleNames() + ") and " + bytes.error());
    const Result<Vehicle> read =
        ParseVehicle(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    if (!read)
        return Fail(path.toStdString() + ": " + read.error());
    return NamedVehicle{*read, QFileInfo(path).completeBaseName().toStdString(), given};
}

NamedVehicle DefaultVehicle()
{
    const std::string name = DefaultVehicleName();
    return NamedVehicle{*BuiltInVehicle(name), name, name};
}

} // namespace velmora

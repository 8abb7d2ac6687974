#include "model/parameter_archive.h"

namespace tarn {

void storeParameter(ArchiveWriter& archive, const Parameter& parameter) {
    archive.writeClass("MyConverter", kConverterSchema);
    archive.writeText(parameter.networkName());
    archive.writeText(parameter.valueText());

    archive.writeClass("Parameter", kParameterSchema);
    archive.writeText(parameter.caption());
    archive.writeBool(parameter.hasLinearIndex());
    archive.writeInt32(parameter.linearIndex());
    archive.writeInt32(parameter.addressOffset());
    archive.writeBool(parameter.accessible());
    archive.writeText(parameter.statusText());
    archive.writeBool(parameter.valueChanged());
    archive.writeBool(parameter.editableChanged());
    archive.writeBool(parameter.ownerChanged());
    archive.writeBool(parameter.editable());
    archive.writeBool(parameter.ownerIsFirm());
    archive.writeInt32(parameter.tableMode());
}

void loadParameter(ArchiveReader& archive, Parameter& parameter, bool keepValue) {
    if (archive.readClass("MyConverter") == kConverterSchema) {
        archive.readText();  // network name
        std::string value = archive.readText();
        if (!keepValue) {
            parameter.setValueText(std::move(value));
        }
    }
    if (archive.readClass("Parameter") != kParameterSchema) {
        return;
    }
    parameter.setCaption(archive.readText());
    parameter.setHasLinearIndex(archive.readBool());
    parameter.setLinearIndex(archive.readInt32());
    parameter.setAddressOffset(archive.readInt32());
    parameter.setAccessible(archive.readBool());
    parameter.setStatusText(archive.readText());
    parameter.setValueChanged(archive.readBool());
    parameter.setEditableChanged(archive.readBool());
    parameter.setOwnerChanged(archive.readBool());
    parameter.setEditable(archive.readBool());
    parameter.setOwnerIsFirm(archive.readBool());
    parameter.setTableMode(archive.readInt32());
}

}  // namespace tarn

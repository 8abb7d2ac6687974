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
        archive.skipText();  // network name
        // Texts are copied only where they differ from what the parameter
        // holds: a file mostly repeats the captions and states of the tree
        // it is read into, and every copy of a long text allocates.
        const std::string_view value = archive.readTextView();
        if (!keepValue && parameter.valueText() != value) {
            parameter.setValueText(std::string(value));
        }
    }
    if (archive.readClass("Parameter") != kParameterSchema) {
        return;
    }
    if (const std::string_view caption = archive.readTextView(); parameter.caption() != caption) {
        parameter.setCaption(std::string(caption));
    }
    parameter.setHasLinearIndex(archive.readBool());
    parameter.setLinearIndex(archive.readInt32());
    parameter.setAddressOffset(archive.readInt32());
    parameter.setAccessible(archive.readBool());
    if (const std::string_view status = archive.readTextView(); parameter.statusText() != status) {
        parameter.setStatusText(std::string(status));
    }
    parameter.setValueChanged(archive.readBool());
    parameter.setEditableChanged(archive.readBool());
    parameter.setOwnerChanged(archive.readBool());
    parameter.setEditable(archive.readBool());
    parameter.setOwnerIsFirm(archive.readBool());
    parameter.setTableMode(archive.readInt32());
}

}  // namespace tarn

#include "comm/device_detection.h"

#include "comm/device_identification.h"
#include "comm/device_link.h"
#include "comm/frame_source.h"
#include "comm/probe_framing.h"
#include "model/object_with_parameters.h"
#include "model/parameter.h"
#include "model/port_settings.h"

namespace tarn {

bool DetectDevice(DeviceLink& link, const ObjectWithParameters& programSettings,
                  DeviceIdentity* identity) {
    // Also at start-up, on the user-interface thread.
    const FrameSourceScope source(FrameSource::ConnectionSearch);
    SerialPort& port = link.port();
    LinkContext& context = link.context();
    port.setDirectionMode(SerialPort::kDirectionByRts);
    link.OpenLink(portSettingsFrom(programSettings), true);

    // The converter may switch the line direction by itself or need RTS:
    // one attempt each, the self-switching one first.
    for (int attempt = 0; attempt < 2; ++attempt) {
        port.setDirectionMode(port.directionMode() == SerialPort::kDirectionByRts
                                  ? SerialPort::kDirectionAutomatic
                                  : SerialPort::kDirectionByRts);
        context.setProtocolSelector(kProtocolDevice);
        DeviceIdentity answered;
        const unsigned flags = IdentifyDevice(link, nullptr, &answered);
        if (identity != nullptr) {
            *identity = answered;
        }
        if ((flags & kDeviceIsThisModel) != 0) {
            if ((flags & kDeviceVersion2) != 0) {
                context.clearRunResultBits(kRunLineFault | kRunNoDevice);
            }
            return true;
        }
        if ((flags & kDeviceAnswered) != 0) {
            context.setRunResultCode(kRunNoDevice);
        }
    }

    // Something on the line may answer another framing.
    port.setDirectionMode(SerialPort::kDirectionAutomatic);
    for (const int selector : {kProtocolModbusRtu, kProtocolModbusAscii, kProtocolDcon}) {
        context.setProtocolSelector(selector);
        Parameter probe("dev");
        if (link.ExchangeParameter(probe, true) == ExchangeResult::Ok) {
            context.clearRunResultBits(kRunTimeout | kRunNoDevice);
            context.setProtocolSelector(kProtocolDevice);
            return true;
        }
    }
    port.setDirectionMode(SerialPort::kDirectionByRts);
    context.setProtocolSelector(kProtocolDevice);
    return false;
}

}  // namespace tarn

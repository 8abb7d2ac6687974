#include "sim/builtin_parameters.h"

#include <cmath>

#include "model/network_settings.h"
#include "platform/numbers.h"

namespace tarn::sim {

void addModuleCommands(SimulatedModule& module) {
    // Identification and service commands. They carry no attributes. A
    // parameter the set already has keeps its definition.
    module.addParameter("dev", "string", 1, "TARN", false, true, false);
    module.addParameter("ver", "string", 1, "2.03", false, true, false);
    module.addParameter("exit", "string", 1, "", false, true, false);
    module.addParameter("INIT", "void", 1, "", true, true, false);
    module.addParameter("CLB.I", "int", 1, "0", true, true, false);
    module.addParameter("CLB.A", "void", 1, "", true, true, false);

    // Calibration coefficients: K4 and K20 of each output, 0 to 4095; CLB.I
    // names the one being adjusted.
    module.addParameter("CLB.K", "int", 16, "2048", true, true, true);
    module.setLimits("CLB.K", 0, 4095);
    module.setLimits("CLB.I", 0, 15);
}

void addBuiltInParameters(SimulatedModule& module) {
    // Network settings of the module on its line, at the factory settings.
    for (const NetworkSetting& setting : kLineSettings) {
        module.addParameter(std::string(setting.networkName), std::string(setting.valueType), 1,
                            std::string(setting.factoryValue));
    }
    module.addParameter("Prot", "BRIX:Modbus_RTU:Modbus_ASCII:DCON", 1, "BRIX");

    addModuleCommands(module);

    // Outputs: type of each of the eight, and the control parameters of the
    // intelligent actuator mode (eight per output).
    module.addParameter("POUt",
                        "Дискретный:Аналоговый_4-20_мА:Аналоговый_0-20_мА:Аналоговый_0-5_мА", 8,
                        "Дискретный");
    module.setValue("POUt", 0, "Аналоговый 4-20 мА");
    module.setValue("POUt", 1, "Аналоговый 0-20 мА");
    module.addParameter("nPCP", "int", 64, "0");
    module.addParameter("nPCO", "int", 64, "0");

    // A network name kept as four name codes: "M.S.T.R." at indices 0-3.
    module.addParameter("CHAr", "int", 16, "78");
    const int codes[] = {45, 57, 59, 55};
    for (int i = 0; i < 4; ++i) {
        module.setValue("CHAr", i, std::to_string(codes[i]));
    }

    // Values.
    module.addParameter("SP", "float", 1, "25.000");
    module.addParameter("HYS", "float", 1, "0.500");
    module.addParameter("t.On", "CLK_frm", 1, "07:30");
    module.addParameter("Alr.t", "CLK_frm", 1, "00:15");
    module.addParameter("SErN", "int", 1, "12345", false, true, true);  // locked

    // Live values: output states (polled, index in the address), a
    // temperature and a counter.
    module.addParameter("r.oe.s", "int", 8, "0", false, true, false);
    module.setLive("r.oe.s", [](double seconds, int index) {
        return std::to_string((static_cast<long>(seconds) + index) % 2);
    });
    module.addParameter("tIn", "float", 1, "20.000", false, true, true);
    module.setLive("tIn", [](double seconds, int) {
        return numbers::fixed(20.0 + 5.0 * std::sin(seconds / 10.0), 3);
    });
    module.addParameter("CnT", "int", 1, "0", false, true, true);
    module.setLive("CnT", [](double seconds, int) {
        return std::to_string(static_cast<long>(seconds * 10) % 65536);
    });
}

}  // namespace tarn::sim

// The simulated module on a pseudo-terminal, the link opened on it and an
// engine over the link: what every exchange and scanner case of tarn-bench
// runs on.
#pragma once

#include <memory>

#include "bench/counting_progress_display.h"
#include "comm/device_link.h"
#include "comm/exchange_engine.h"
#include "comm/link_context.h"
#include "platform/user_interaction.h"
#include "sim/pty_server.h"
#include "sim/simulated_module.h"

namespace tarn::bench {

class BenchLine {
public:
    // `lineTiming`: the simulator takes as long as the characters would on
    // the line; otherwise it answers at once.
    BenchLine(sim::SimulatedModule& module, int baud, bool lineTiming, int turnaroundUs,
              UserInteraction& ui);
    ~BenchLine();
    BenchLine(const BenchLine&) = delete;
    BenchLine& operator=(const BenchLine&) = delete;

    bool ready() const { return ready_; }
    int baud() const { return baud_; }
    ExchangeEngine& engine() { return engine_; }
    DeviceLink& link() { return link_; }
    sim::PtyServer& server() { return *server_; }
    const CountingProgressDisplay& display() const { return display_; }

private:
    int baud_;
    bool ready_ = false;
    std::unique_ptr<sim::PtyServer> server_;
    LinkContext context_;
    DeviceLink link_;
    CountingProgressDisplay display_;
    ExchangeEngine engine_;
};

}  // namespace tarn::bench

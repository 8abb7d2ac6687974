#include "bench/bench_line.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "comm/engine_observer.h"
#include "comm/line_settings.h"

namespace tarn::bench {

BenchLine::BenchLine(sim::SimulatedModule& module, int baud, bool lineTiming, int turnaroundUs,
                     UserInteraction& ui)
    : baud_(baud), link_(context_, &ui), engine_(link_, ui, display_) {
    sim::ServerOptions options;
    options.lineTiming = lineTiming;
    options.turnaroundUs = turnaroundUs;
    server_ = std::make_unique<sim::PtyServer>(module, options);
    std::string error;
    if (!server_->start(&error)) {
        std::fprintf(stderr, "tarn-bench: the simulated line could not be set up: %s\n",
                     error.c_str());
        return;
    }
    PortSettings settings;
    settings.port = server_->devicePath();
    settings.baudRate = baud;
    if (link_.OpenLink(settings, true) != PortOpenResult::Opened) {
        return;
    }
    EngineSettings engineSettings;
    engineSettings.closingPause = std::chrono::milliseconds(0);
    engine_.setSettings(engineSettings);
    ready_ = true;
}

BenchLine::~BenchLine() {
    engine_.StopThreads();
    link_.CloseLink();
    server_->stop();
}

}  // namespace tarn::bench

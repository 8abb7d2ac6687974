// The simulated module built from the tree files serves every parameter that
// any operating mode shows: a whole tree reads without a single failure.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "comm/device_link.h"
#include "description/description_parser.h"
#include "description/tree_container.h"
#include "description/tree_modes.h"
#include "model/instantiation_context.h"
#include "platform/text.h"
#include "sim/builtin_parameters.h"
#include "sim/pty_server.h"
#include "sim/tree_parameters.h"
#include "simulated_line.h"
#include "support/private_files.h"
#include "support/recording_interaction.h"

namespace tarn {
namespace {

using testing::RecordingInteraction;

void exchangeAll(DeviceLink& link, const DescBranch& branch, bool read,
                 std::vector<std::string>& failures) {
    for (const auto& p : branch.parameters()) {
        if (!p->accessible() && !read) {
            continue;
        }
        const ExchangeResult result = link.ExchangeParameter(*p, read);
        if (result != ExchangeResult::Ok || !p->statusText().empty()) {
            failures.push_back(branch.name() + "/" + p->networkName() + ":" +
                               std::to_string(p->linearIndex()) + " " +
                               std::to_string(static_cast<int>(result)) + " " + p->statusText());
        }
    }
    for (const auto& child : branch.children()) {
        exchangeAll(link, *child, read, failures);
    }
}

TEST(TreeModule, EveryParameterOfEveryModeReadsAndWritesBack) {
    testing::ScratchFolder scratch;
    const auto kContainer = testing::privateContainer(scratch);
    sim::SimulatedModule module;
    const sim::TreeParameterLoad load = sim::addTreeParameters(module, kContainer);
    ASSERT_EQ(load.modes, 7);
    EXPECT_TRUE(load.problems.empty()) << load.problems.front();
    sim::addModuleCommands(module);
    sim::addLiveBehaviour(module);

    testing::TemporaryFolder ports;
    setenv("TARN_PORTS_DIR", ports.path().c_str(), 1);
    sim::ServerOptions options;
    options.comNumber = 12;
    sim::PtyServer server(module, options);
    std::string error;
    ASSERT_TRUE(server.start(&error)) << error;

    LinkContext context;
    RecordingInteraction ui;
    DeviceLink link(context, &ui);
    link.port().setDirectionMode(SerialPort::kDirectionAutomatic);
    PortSettings settings;
    settings.port = "COM12";
    ASSERT_EQ(link.OpenLink(settings, true), PortOpenResult::Opened);

    for (const std::uint32_t mode : kTreeModes) {
        SCOPED_TRACE(mode);
        const TreeText text = readTreeText(kContainer, treeFileForMode(mode).fileName);
        ASSERT_TRUE(text.usable());
        InstantiationContext instantiation(ui);
        const ParameterTree tree = buildParameterTree(text::fromCp1251(text.bytes), instantiation);
        ASSERT_TRUE(tree.root && tree.scanners);
        std::vector<std::string> failures;
        exchangeAll(link, *tree.root, true, failures);
        exchangeAll(link, *tree.scanners, true, failures);
        // What was read is what the module accepts back.
        exchangeAll(link, *tree.root, false, failures);
        EXPECT_TRUE(failures.empty())
            << failures.size() << " failures, first: " << failures.front();
    }
    // The module's name as the description initialises it.
    Parameter name("CHAr*");
    name.setValueType("name");
    ASSERT_EQ(link.ExchangeParameter(name, true), ExchangeResult::Ok) << name.statusText();
    EXPECT_EQ(name.valueText(), "TARN");
    link.CloseLink();
    server.stop();
    unsetenv("TARN_PORTS_DIR");
}

}  // namespace
}  // namespace tarn

// Operating modes of the configurator and the tree file each one loads.
//
// The low four bits of a mode select the parameter group (1 direct control of
// the outputs, 2 intelligent control of actuators, 3 everything), the bit of
// value 16 asks for the parameters of the VL1 relay extension, and 32 is the
// separate SUPER mode. Only the seven modes of the table load a tree.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tarn {

struct ModeTree {
    std::string fileName;  // the stream of the tree container; empty for an unknown mode
    std::string caption;   // shown in the main window's title; empty for an unknown mode
};

// Every mode that has a tree file, in the order of the table.
inline constexpr std::array<std::uint32_t, 7> kTreeModes = {1, 2, 3, 17, 18, 19, 32};

// The mode the program takes by itself (unattended runs, old configuration
// files, failed reads).
inline constexpr std::uint32_t kDefaultTreeMode = 19;

// The tree file and caption of a mode; both empty for any other value.
ModeTree treeFileForMode(std::uint32_t mode);

}  // namespace tarn

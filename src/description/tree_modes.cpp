#include "description/tree_modes.h"

namespace tarn {

namespace {

struct ModeRow {
    std::uint32_t mode;
    const char* fileName;
    const char* caption;
};

constexpr ModeRow kModeTable[] = {
    {1, "tarn_direct_off.tree", "Непосредственное управление выходами (VL1 не требуется)"},
    {2, "tarn_intellect_off.tree", "Интеллектуальное управление ИМ (VL1 не требуется)"},
    {3, "tarn.tree", "Полный доступ ко всем параметрам (VL1 не требуется)"},
    {17, "tarn_direct_on.tree", "Непосредственное управление выходами (VL1 требуется)"},
    {18, "tarn_intellect_on.tree", "Интеллектуальное управление ИМ (VL1 требуется)"},
    {19, "tarnfull.tree", "Полный доступ ко всем параметрам (VL1 требуется)"},
    {32, "tarn_super.tree", "Версия SUPER"},
};

}  // namespace

ModeTree treeFileForMode(std::uint32_t mode) {
    for (const ModeRow& row : kModeTable) {
        if (row.mode == mode) {
            return {row.fileName, row.caption};
        }
    }
    return {};
}

}  // namespace tarn

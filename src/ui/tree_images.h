// The small images of the parameter tree, by the index the model gives each
// row (branch kinds, parameter kinds, the polled-value states).
#pragma once

#include <QIcon>

namespace tarn {

// Images the tree uses.
enum TreeImage : int {
    kImageDevice = 1,        // "Параметры прибора" without a tree; polling off
    kImageComputer = 2,      // "Параметры компьютера"
    kImagePollingOn = 3,     // state image of a polled value being polled
    kImageNetwork = 4,       // the module's network settings
    kImagePolled = 17,       // a polled value
    kImageProgramPort = 19,  // the program's own port settings
    kImageService = 20,      // the program's service parameters
    kImageConfiguration = 25,
    kImageListValue = 27,   // an enumeration
    kImagePlainValue = 28,  // a number, time, text or name
    kImageHidden = 30,      // not accessible
    kImageHeader = 49,      // the header row of the polled values
};

// The icon of an image index; indices without artwork of their own get a
// plain branch (folder) icon.
QIcon treeImage(int index);

}  // namespace tarn

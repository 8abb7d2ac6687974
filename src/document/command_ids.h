// The identifiers of the program's commands. Menus, keyboard shortcuts, the
// toolbar and the unattended start-up all raise these.
#pragma once

namespace tarn::command {

enum Id : int {
    // Device and tree.
    kIdentify = 138,  // "Проверка связи с прибором"
    kReadAll = 139,
    kWriteAll = 140,
    kSinglePoint = 141,  // "Опрос отдельного параметра"
    kReadBranch = 150,   // raised by the view's branch commands
    kWriteBranch = 151,
    kWriteChangedBranch = 152,
    kCompareBranch = 153,
    kWriteChanged = 256,
    kCompare = 257,
    kAply = 265,
    kInitialiseDevice = 269,
    kPreviousProblem = 276,
    kNextProblem = 277,
    kViewReadBranch = 279,
    kViewWriteBranch = 280,
    kViewWriteChangedBranch = 281,
    kViewCompareBranch = 282,
    kChangePasswords = 296,
    kInit = 301,
    kCalibrate = 303,
    // Program modes.
    kAutoRead = 134,
    kShowIndices = 145,
    kImmediateWrite = 268,
    kNoAttributes = 294,
    // Converter (who switches the line direction).
    kConverterAutomatic = 32798,
    kConverterSemiAutomatic = 32799,
    // View.
    kReadParameter = 32808,
    kWriteParameter = 32809,
    kForgetValue = 32811,
    kExportHtml = 32804,
    kTrendPlots = 32851,  // "Графики": shows or hides the trend plot window
    kBusMonitor = 32852,  // "Монитор обмена": shows or hides the bus monitor
    // Files and help.
    kNew = 57600,
    kOpen = 57601,
    kSave = 57603,
    kSaveAs = 57604,
    kAbout = 57664,
    kHelp = 57667,        // "&Справка" in the menu
    kHelpButton = 57670,  // F1 and the help buttons
    kExit = 57665,
};

// Commands that talk to the module: grey, and not carried out, in offline
// operation.
inline bool isDeviceCommand(int id) {
    switch (id) {
        case kAutoRead:
        case kIdentify:
        case kReadAll:
        case kWriteAll:
        case kSinglePoint:
        case kWriteChanged:
        case kCompare:
        case kAply:
        case kImmediateWrite:
        case kInitialiseDevice:
        case kPreviousProblem:
        case kNextProblem:
        case kViewReadBranch:
        case kViewWriteBranch:
        case kViewWriteChangedBranch:
        case kViewCompareBranch:
        case kNoAttributes:
        case kInit:
        case kCalibrate:
            return true;
        default:
            return false;
    }
}

}  // namespace tarn::command

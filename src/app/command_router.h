// Which part of the program carries out which menu command: the document's
// commands, the file commands, the view, the main window or the program
// itself (help, about, the HTML list).
#pragma once

namespace tarn {

class TarnApplication;

// Runs command `id` as its menu item does. Device commands do nothing in
// offline operation (their items are grey).
void routeCommand(TarnApplication& program, int id);

}  // namespace tarn

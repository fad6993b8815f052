#pragma once
#include <QStringList>
#include <QTextStream>
#include <memory>

class QCoreApplication;

namespace tessaly::store {
class CardStore;
}

namespace tessaly::cli {

// The application object for this run: printing lays out text with fonts,
// which needs a GUI application (offscreen unless a display is chosen).
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv);

// print labels --sheet NAME [--start K] [--company] OUT.pdf
// print list --kind phone|full [--paper a4|letter] [--company] OUT.pdf
// print sheets: the label sheets known, with any problems of the user's file.
int PrintCommand(store::CardStore& store, const QStringList& args, QTextStream& out);

}  // namespace tessaly::cli

// The real rename run and its undo as a program of their own, for the sync order test to watch under strace:
// every "*.dat" of the folder gets an "x" in front, then the run is taken back.

#include "engine/rename_run.h"
#include "engine/undo_run.h"
#include "reliability_support.h"
#include "support/engine_run.h"

#include <QDir>
#include <QFile>

int main(int argc, char** argv) {
    using namespace filarion;
    if (argc != 2) {
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    engine::RenameRequest request = test::insertRequest(QStringLiteral("x"), QStringLiteral("0"));
    request.Folder = folder;
    request.Files = QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    test::SilentServices services; // every question answered with Yes
    engine::RenameFiles(request, services, test::fixedEnvironment());
    engine::undoLastRun(folder, services, test::fixedEnvironment());
}

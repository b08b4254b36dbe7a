// The real rename run and its undo as a program of their own, for the sync order test to watch under strace:
// every "*.dat" of the folder gets an "x" in front, then the run is taken back.

#include "engine/rename_run.h"
#include "engine/undo_run.h"
#include "support/engine_run.h"

#include <QDir>
#include <QFile>

namespace {

class YesServices : public filarion::test::RecordingServices {
public:
    bool askYesNo(const QString& text) override {
        questions.push_back(text);
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    filarion::engine::RenameRequest request = filarion::test::insertRequest(QStringLiteral("x"), QStringLiteral("0"));
    request.Folder = folder;
    request.Files = QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    YesServices services;
    filarion::engine::RenameFiles(request, services, filarion::test::fixedEnvironment());
    filarion::engine::undoLastRun(folder, services, filarion::test::fixedEnvironment());
    return services.questions.size() == 1 ? 0 : 1;
}

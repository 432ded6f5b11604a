// Writes a writable folder (VELOQUIX_HOME) as a user who has made circuits
// would leave it, for the benchmarks that start the application itself:
//   make_bench_home DIR PARTS [CIRCUITS] [--thumbnails] [--list]
// CIRCUITS circuits are listed (default 1); the newest, first in the list,
// has PARTS parts and the others 100 each, strewn as the other benchmarks
// strew them. With --thumbnails each gets the thumbnail the editor makes of
// it; with --list none is open, so the application starts on the list,
// otherwise on the newest circuit's board. The window is kept at 1024 x 768,
// the size of the bare window the benchmarks measure beside the editor, so
// that what they compare is the programs and not the windows' pixels.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "BenchEditor.h"
#include "WindowPlacement.h"
#include "headless/HeadlessDriver.h"

USING_NS_CC;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR PARTS [CIRCUITS] [--thumbnails] [--list]\n", argv[0]);
        return 2;
    }
    const std::string home = argv[1];
    const int parts = std::atoi(argv[2]);
    int circuits = 1;
    bool thumbnails = false;
    bool list = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--thumbnails") == 0) {
            thumbnails = true;
        } else if (std::strcmp(argv[i], "--list") == 0) {
            list = true;
        } else {
            circuits = std::atoi(argv[i]);
        }
    }
    if (parts < 0 || circuits < 1) {
        std::fprintf(stderr, "%s: PARTS must be 0 or more and CIRCUITS 1 or more\n", argv[0]);
        return 2;
    }
    mkdir(home.c_str(), 0700);
    ZelmcircuitScene* editor = startHeadlessEditorIn(home, "make_bench_home", true);
    if (!editor) return 1;
    FileUtils* files = FileUtils::getInstance();
    const std::string screen = files->getWritablePath() + "screen";
    if (!files->isDirectoryExist(screen)) files->createDirectory(screen);

    std::mt19937 random(3);
    for (int c = 0; c < circuits; ++c) {
        editor->clearBoard();
        strewParts(editor, c + 1 == circuits ? parts : 100, random);
        // The store gives each new circuit the first free second: ids never clash.
        const std::string id = editor->store().addCircuit("");
        editor->saveCircuit(id);
        if (thumbnails) {
            editor->snapshot().render(editor->boardView());
            editor->snapshot().renderThumbnail()->saveToFile(CircuitStore::thumbnailName(id), Image::Format::PNG);
        }
        // Runs the saves' callbacks and lets go of the render textures.
        HeadlessDriver().frame();
    }
    UserDefault* store = UserDefault::getInstance();
    if (list) store->deleteValueForKey("load");
    WindowPlacement window;
    window.bounds = Rect(0, 0, 1024, 768);
    window.positioned = true;
    store->setStringForKey(veloquix::kWindowPlacementKey, veloquix::encodePlacement(window));
    store->flush();
    Director::destroyInstance();
    UserDefault::destroyInstance();
    return 0;
}

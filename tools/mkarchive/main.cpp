// mkarchive: draws, synthesises and packs every entry of the resource archive
// "qinvar.mvz" from code. Usage:
//   mkarchive --archive <file.mvz> [--tree <folder>] [--contact-sheet <file.png>]
//             [--screens <folder>]
// --tree writes the same entries as a plain folder tree, for reading them one
// by one (the engine's directory file system reads it; the game itself only
// opens the archive); --contact-sheet writes every image and a
// picture of every layout into one PNG for review; --screens writes every
// screen and dialog assembled as the game shows it, one PNG each.
#include "tools/mkarchive/Composites.h"
#include "tools/mkarchive/ContactSheet.h"
#include "tools/mkarchive/FontLibrary.h"
#include "tools/mkarchive/Producers.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace mkarchive;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: mkarchive --archive <file.mvz> [--tree <folder>] [--contact-sheet <file.png>]"
                         " [--screens <folder>]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string archive;
    std::string tree;
    std::string sheet;
    std::string screens;
    for (int i = 1; i < argc; ++i) {
        if (i + 1 >= argc)
            return usage();
        if (std::strcmp(argv[i], "--archive") == 0)
            archive = argv[++i];
        else if (std::strcmp(argv[i], "--tree") == 0)
            tree = argv[++i];
        else if (std::strcmp(argv[i], "--contact-sheet") == 0)
            sheet = argv[++i];
        else if (std::strcmp(argv[i], "--screens") == 0)
            screens = argv[++i];
        else
            return usage();
    }
    if (archive.empty() && tree.empty() && sheet.empty() && screens.empty())
        return usage();

    FontLibrary::s_open();
    bool ok = true;
    {
        AssetSet set;
        for (const Producer& p : kProducers) {
            if (!p.make(set)) {
                std::fprintf(stderr, "mkarchive: making the %s failed\n", p.what);
                ok = false;
                break;
            }
        }
        // The review sheet shows whatever was made, even when something is
        // missing; the archive and the tree are written only when complete.
        if (!sheet.empty())
            ok = writeContactSheet(set, sheet) && ok;
        ok = ok && set.complete();
        if (ok && !screens.empty())
            ok = writeScreenPreviews(set, screens);
        if (ok && !archive.empty())
            ok = set.writeArchive(archive);
        if (ok && !tree.empty())
            ok = set.writeTree(tree);
    }
    FontLibrary::s_close();
    return ok ? 0 : 1;
}
